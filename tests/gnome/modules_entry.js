// Loads the GNOME 45+ entry point of the extension under plain gjs, with the
// Shell's modules replaced by stub_modules/ (modules_entry.sh rewrites the
// imports), and checks its wiring on a real session bus: enable() exports
// the interface and owns the name, SetGuide checks its input and shows a
// valid guide, disable() leaves nothing behind.
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import System from 'system';
import './stub_modules/global.js';
import TovaniExtension from './extension/extension.js';
import * as Main from './stub_modules/shell/ui/main.js';
import {tracker} from './stub_modules/gi/Meta.js';

const extensionDir = GLib.build_filenamev([GLib.path_get_dirname(System.programPath), 'extension']);

const bus = Gio.DBus.session;
const call = (dest, path, iface, method, args, type = null) => new Promise((resolve, reject) =>
    bus.call(dest, path, iface, method, args, type, Gio.DBusCallFlags.NONE, 5000, null, (c, result) => {
        try {
            resolve(c.call_finish(result).deepUnpack());
        } catch (e) {
            reject(e);
        }
    }));
const dbus = (method, args) => call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus', method, args);
const tovani = (method, args, type) => call('org.tovani.ShellExtension', '/org/tovani/ShellExtension',
    'org.tovani.ShellExtension', method, args, type);
const property = async name => (await call('org.tovani.ShellExtension', '/org/tovani/ShellExtension',
    'org.freedesktop.DBus.Properties', 'Get', new GLib.Variant('(ss)', ['org.tovani.ShellExtension', name])))[0].deepUnpack();
const wait = ms => new Promise(resolve => GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => resolve() ?? false));
const check = (ok, what) => {
    if (!ok)
        throw new Error(what);
};
const owned = async () => (await dbus('NameHasOwner', new GLib.Variant('(s)', ['org.tovani.ShellExtension'])))[0];
const guide = (monitor, pixels) => new GLib.Variant('(a(iuddddiiay)(dddd))',
    [[[monitor, 0, 0, -2, 1280, 4, 1280, 4, new Uint8Array(pixels)]], [0, 0, 0, 0.4]]);
const invalid = async (method, args, what) => {
    try {
        await tovani(method, args);
    } catch (e) {
        check(Gio.DBusError.get_remote_error(e) === 'org.freedesktop.DBus.Error.InvalidArgs', `${what}: ${e}`);
        return;
    }
    throw new Error(`${what} was accepted`);
};
const layers = () => Main.layoutManager.uiGroup.children.flatMap(root => root.children);

async function run() {
    // This process is Tovani here: the extension serves the name's owner.
    Gio.bus_own_name_on_connection(bus, 'org.tovani.Tovani', Gio.BusNameOwnerFlags.NONE, null, null);
    const extension = new TovaniExtension({uuid: 'tovani@tovani.org', path: extensionDir});
    extension.enable();
    for (let i = 0; i < 100 && !await owned(); i++)
        await wait(20);
    check(await owned(), 'enable() did not own org.tovani.ShellExtension');

    await invalid('SetGuide', guide(0, 4 * 1280 * 4 - 1), 'a byte short');
    check(layers().every(l => l.children.every(c => c.content === undefined)), 'a refused guide was shown');

    await tovani('SetGuide', guide(0, 4 * 1280 * 4));
    await tovani('SetVisible', new GLib.Variant('(b)', [true]));
    check(await property('Visible') === true, 'not Visible after SetGuide and SetVisible');
    check(tracker.connected('position-invalidated') === 1, 'the pointer is not followed while shown');
    const piece = layers()[0].children.find(c => c.content);
    check(piece && piece.y === 298 && piece.parent.visible && !layers()[1].visible, 'the band is not at the pointer');
    const [bound] = await tovani('BindShortcut', new GLib.Variant('(ss)', ['toggle', '<Control>r']), null);
    check(bound && Main.wm.bound.has('toggle'), 'BindShortcut did not bind');

    extension.disable();
    await wait(50);
    check(!await owned(), 'disable() kept the name');
    check(Main.layoutManager.uiGroup.children.length === 0, 'disable() left actors in the Shell');
    check(tracker.connected('position-invalidated') === 0, 'disable() left the pointer followed');
    check(Main.wm.bound.size === 0, 'disable() left shortcuts bound');
    check(Main.layoutManager.connected('monitors-changed') === 0, 'disable() left a monitors handler');
}

let status = 0;
const loop = new GLib.MainLoop(null, false);
run().catch(e => {
    printerr(`FAIL: ${e.message}\n${e.stack}`);
    status = 1;
}).finally(() => loop.quit());
loop.run();
if (status === 0)
    print('modules entry point passed');
System.exit(status);
