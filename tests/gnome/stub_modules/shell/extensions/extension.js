// The Extension base class of GNOME Shell 45 and later, as far as the
// extension uses it.
import Gio from 'gi://Gio';

export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
        this.dir = Gio.File.new_for_path(metadata.path);
        this.settings = new Map();
    }

    getSettings() {
        return {set_strv: (key, value) => this.settings.set(key, value)};
    }
}
