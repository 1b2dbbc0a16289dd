// Tovani's extension for GNOME Shell 43 and 44 (imports.*). The build puts
// the shared body (guide.js) in place of the marker line below.
/* exported init */
const {St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell} = imports.gi;
const Main = imports.ui.main;
const Config = imports.misc.config;
const ExtensionUtils = imports.misc.extensionUtils;
const System = imports.system;

// @TOVANI_GUIDE@

class TovaniExtension {
    enable() {
        const dir = ExtensionUtils.getCurrentExtension().dir;
        const [, xml] = dir.get_child('org.tovani.ShellExtension.xml').load_contents(null);
        this._guide = tovaniCreateGuide({
            St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell, Main, global, gc: () => System.gc(),
            shellVersion: Config.PACKAGE_VERSION,
            settings: ExtensionUtils.getSettings(),
            interfaceXml: new TextDecoder().decode(xml),
        });
    }

    disable() {
        this._guide?.destroy();
        this._guide = null;
    }
}

function init() {
    return new TovaniExtension();
}
