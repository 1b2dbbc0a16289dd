// The Shell's `global`, as far as the extension uses it.
globalThis.global = {display: {}, stage: {}, get_pointer: () => [100, 300, 0]};
