export default {ActionMode: {NORMAL: 1, OVERVIEW: 2, POPUP: 64}};
