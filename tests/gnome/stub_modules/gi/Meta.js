import {Signals} from '../actors.js';

export const tracker = new Signals();
export default {
    CursorTracker: {get_for_display: () => tracker},
    KeyBindingFlags: {NONE: 0},
    KeyBindingAction: {NONE: 0},
};
