// Stand-ins for the Shell's actors: a tree that records what is done to it.
import GObject from 'gi://GObject';

export class Signals {
    connect(name, fn) {
        this.handlers ??= new Map();
        this.lastId = (this.lastId ?? 0) + 1;
        this.handlers.set(this.lastId, [name, fn]);
        return this.lastId;
    }

    disconnect(id) {
        if (!this.handlers?.delete(id))
            throw new Error(`no handler ${id}`);
    }

    connected(name) {
        return [...this.handlers?.values() ?? []].filter(([n]) => n === name).length;
    }
}

export class Actor extends Signals {
    static $gtype = GObject.TYPE_OBJECT;

    constructor(props = {}) {
        super();
        Object.assign(this, {visible: true, x: 0, y: 0}, props);
        this.children = [];
    }

    add_child(child) {
        this.children.push(child);
        child.parent = this;
    }

    set_child_above_sibling(child) {
        this.children = [...this.children.filter(c => c !== child), child];
    }

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
        if (this.parent)
            this.parent.children = this.parent.children.filter(c => c !== this);
        this.destroyed = true;
    }
}
