// Stand-ins for the Shell's actors and signal emitters: they record what is
// done to them.
import GObject from 'gi://GObject';

export class Signals {
    connect(name, fn) {
        this.handlers ??= new Map();
        this.handlers.set(++Signals.lastId, name);
        return Signals.lastId;
    }

    disconnect(id) {
        if (!this.handlers.delete(id))
            throw new Error(`no handler ${id}`);
    }

    connected(name) {
        return [...this.handlers?.values() ?? []].filter(n => n === name).length;
    }
}
Signals.lastId = 0;

export class Actor extends Signals {
    static $gtype = GObject.TYPE_OBJECT;

    constructor(props = {}) {
        super();
        Object.assign(this, {visible: true, x: 0, y: 0, children: []}, props);
    }

    add_child(child) {
        this.children.push(child);
        child.parent = this;
    }

    set_child_above_sibling() {}

    set_position(x, y) {
        Object.assign(this, {x, y});
    }

    show() {
        this.visible = true;
    }

    hide() {
        this.visible = false;
    }

    destroy() {
        this.parent.children = this.parent.children.filter(c => c !== this);
    }
}
