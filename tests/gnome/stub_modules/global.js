// The Shell's `global`, as far as the extension uses it.
const signals = {connect: () => 1, disconnect: () => {}};
globalThis.global = {
    display: {...signals, focus_window: null},
    stage: {...signals, schedule_update: () => {}},
    get_pointer: () => [100, 300, 0], get_window_actors: () => [],
};
