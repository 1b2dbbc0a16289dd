// Tovani's extension for GNOME Shell 45 and later (ES modules). The build
// puts the shared body (guide.js) in place of the marker line below.
import St from 'gi://St';
import Clutter from 'gi://Clutter';
import Cogl from 'gi://Cogl';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import GObject from 'gi://GObject';
import Meta from 'gi://Meta';
import Shell from 'gi://Shell';
import System from 'system';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';
import * as Config from 'resource:///org/gnome/shell/misc/config.js';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';

// @TOVANI_GUIDE@

export default class TovaniExtension extends Extension {
    enable() {
        const [, xml] = this.dir.get_child('org.tovani.ShellExtension.xml').load_contents(null);
        this._guide = tovaniCreateGuide({
            St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell, Main, global, gc: () => System.gc(),
            shellVersion: Config.PACKAGE_VERSION,
            settings: this.getSettings(),
            interfaceXml: new TextDecoder().decode(xml),
        });
    }

    disable() {
        this._guide?.destroy();
        this._guide = null;
    }
}
