export default {PixelFormat: {BGRA_8888_PRE: 0x2b}};
