import {Actor} from '../actors.js';

export {Actor};
export default {Actor, KEY_r: 0x72, KEY_F9: 0xffc6};
