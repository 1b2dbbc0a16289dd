import {Actor} from '../actors.js';

export class Widget extends Actor {}
export const ImageContent = {
    new_with_preferred_size: (width, height) => ({width, height, set_bytes(...args) {
        this.bytes = args.find(a => a?.get_size);
    }}),
};
export default {Widget, ImageContent};
