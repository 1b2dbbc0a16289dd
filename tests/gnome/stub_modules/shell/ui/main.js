// The parts of the Shell's main.js the extension uses.
import {Actor, Signals} from '../../actors.js';

export const layoutManager = Object.assign(new Signals(), {
    uiGroup: new Actor(),
    monitors: [{x: 0, y: 0, width: 1280, height: 800}, {x: 1280, y: 0, width: 1280, height: 800}],
});
export const wm = {
    bound: new Map(),
    addKeybinding(name, settings, flags, modes, handler) {
        this.bound.set(name, handler);
        return 100;
    },
    removeKeybinding(name) {
        this.bound.delete(name);
    },
};
export const osdWindowManager = {
    show(...args) {
        this.shown = args;
    },
};
