// The body of the Tovani extension, shared by the entry point of GNOME 43-44
// (legacy.js) and the one of GNOME 45 and later (modules.js). The build
// places it between one of them and its end (*-end.js): it imports nothing
// and gets the Shell's modules from its caller.
//
// Tovani renders the guide; this shows its pictures where the pointer is and
// answers on the session bus (org.tovani.ShellExtension.xml). Everything
// here is reached from the Shell's main loop, so nothing may throw into it
// and nothing may wait on Tovani.

const TOVANI_BUS_NAME = 'org.tovani.ShellExtension';
const TOVANI_OBJECT_PATH = '/org/tovani/ShellExtension';
const TOVANI_API_VERSION = 1;
const TOVANI_INVALID_ARGS = 'org.freedesktop.DBus.Error.InvalidArgs';
const TOVANI_SHORTCUTS = ['toggle', 'next-line', 'previous-line', 'lock', 'style-1', 'style-2', 'style-3',
    'style-4', 'style-5', 'cycle-style', 'thicker', 'thinner'];
const TOVANI_LIMITS = {
    offset: 100000, size: 100000, pixels: 16384, pieces: 64, bytes: 256 * 1024 * 1024, message: 200,
};
const TOVANI_MODIFIERS = new Set(['control', 'ctrl', 'primary', 'shift', 'shft', 'alt', 'mod1', 'mod2', 'mod3',
    'mod4', 'mod5', 'super', 'meta', 'hyper', 'release']);

// Checks the pieces and shade of SetGuide; returns [pieces, shade] as plain
// objects, or throws an Error whose message tells what is wrong.
function tovaniCheckGuide(pieces, shade, monitorCount) {
    const bad = what => {
        throw new Error(what);
    };
    if (!Array.isArray(pieces) || pieces.length > TOVANI_LIMITS.pieces)
        bad(`at most ${TOVANI_LIMITS.pieces} pieces`);
    let bytes = 0;
    const checked = pieces.map((p, i) => {
        const [monitor, anchor, x, y, width, height, pixelWidth, pixelHeight, pixels] = p;
        const where = `piece ${i}`;
        if (!Number.isInteger(monitor) || monitor < 0 || monitor >= monitorCount)
            bad(`${where}: no monitor ${monitor}`);
        if (anchor !== 0 && anchor !== 1)
            bad(`${where}: anchor must be 0 or 1`);
        for (const v of [x, y]) {
            if (!Number.isFinite(v) || Math.abs(v) > TOVANI_LIMITS.offset)
                bad(`${where}: offset out of range`);
        }
        for (const v of [width, height]) {
            if (!Number.isFinite(v) || v <= 0 || v > TOVANI_LIMITS.size)
                bad(`${where}: size out of range`);
        }
        for (const v of [pixelWidth, pixelHeight]) {
            if (!Number.isInteger(v) || v < 1 || v > TOVANI_LIMITS.pixels)
                bad(`${where}: pixel size out of range`);
        }
        if (!pixels || pixels.length !== 4 * pixelWidth * pixelHeight)
            bad(`${where}: ${pixels ? pixels.length : 0} bytes for ${pixelWidth}x${pixelHeight} pixels`);
        bytes += pixels.length;
        if (bytes > TOVANI_LIMITS.bytes)
            bad('too many bytes');
        return {monitor, anchor, x, y, width, height, pixelWidth, pixelHeight, pixels};
    });
    if (!Array.isArray(shade) || shade.length !== 4 || !shade.every(v => Number.isFinite(v) && v >= 0 && v <= 1))
        bad('shade values must be within 0..1');
    return [checked, shade];
}

// Whether an accelerator in GTK's syntax ("<Control><Shift>r") names modifiers
// and one key that the Shell knows.
function tovaniAcceleratorParses(Clutter, accelerator) {
    const m = /^((?:<[A-Za-z0-9]+>)*)([^<>]+)$/.exec(accelerator);
    if (!m)
        return false;
    const modifiers = m[1].match(/<[A-Za-z0-9]+>/g) || [];
    if (!modifiers.every(s => TOVANI_MODIFIERS.has(s.slice(1, -1).toLowerCase())))
        return false;
    const key = m[2];
    return [key, key.toLowerCase(), key.charAt(0).toUpperCase() + key.slice(1).toLowerCase()]
        .some(k => typeof Clutter[`KEY_${k}`] === 'number');
}

// deps: the Shell's St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell, Main;
// global; shellVersion; settings (the extension's Gio.Settings);
// interfaceXml (org.tovani.ShellExtension.xml). Returns {destroy}.
function tovaniCreateGuide(deps) {
    const {St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell, Main, global, shellVersion, settings} = deps;
    const uiGroup = Main.layoutManager.uiGroup;
    const warned = new Set();
    // Runs a handler the Shell calls; what it throws is logged once per place.
    const guarded = (where, fn) => (...args) => {
        try {
            return fn(...args);
        } catch (e) {
            if (!warned.has(where)) {
                warned.add(where);
                console.warn(`Tovani: ${where}: ${e}\n${e.stack || ''}`);
            }
            return undefined;
        }
    };

    const root = new St.Widget({name: 'tovaniGuide', reactive: false, visible: false});
    uiGroup.add_child(root);
    const addedSignal = GObject.signal_lookup('child-added', Clutter.Actor.$gtype) ? 'child-added' : 'actor-added';
    const addedId = uiGroup.connect(addedSignal, guarded('raise', (_group, child) => {
        if (child !== root)
            uiGroup.set_child_above_sibling(root, null);
    }));

    const tracker = typeof global.backend?.get_cursor_tracker === 'function'
        ? global.backend.get_cursor_tracker() : Meta.CursorTracker.get_for_display(global.display);
    let trackerId = 0;

    let pieces = [];              // {rule: where and how big, content, actor}, bottom first
    let shade = [0, 0, 0, 0];
    let wanted = false;           // SetVisible
    let shown = false;            // the Visible property
    let layers = [];              // a clipped layer a monitor, with its shade and pieces
    let current = null;           // layers[] entry under the pointer
    let magnifier = null;         // {zoom, width, height, actor, clone} while shown
    let lastKey = '';
    let client = null, clientWatch = 0;
    const bindings = new Map();   // shortcut name -> accelerator bound with the Shell

    let cogl = null;
    const coglContext = () => {
        cogl ??= global.stage.context?.get_backend().get_cogl_context() ??
            Clutter.get_default_backend().get_cogl_context();
        return cogl;
    };
    const newContent = rule => {
        const content = St.ImageContent.new_with_preferred_size(rule.pixelWidth, rule.pixelHeight);
        const args = [new GLib.Bytes(rule.pixels), Cogl.PixelFormat.BGRA_8888_PRE,
            rule.pixelWidth, rule.pixelHeight, 4 * rule.pixelWidth];
        // Since GNOME 48 the Cogl context comes first.
        if (content.set_bytes.length > args.length)
            content.set_bytes(coglContext(), ...args);
        else
            content.set_bytes(...args);
        rule.pixels = null; // the texture holds them now
        return content;
    };

    const monitors = () => Main.layoutManager.monitors;
    // Device pixels per stage unit: the scale of the stage view showing the
    // monitor (the monitor's scale when framebuffers are scaled, else 1).
    const deviceScale = m => {
        for (const view of global.stage.peek_stage_views?.() ?? []) {
            const r = view.layout;
            if (r && m.x >= r.x && m.x < r.x + r.width && m.y >= r.y && m.y < r.y + r.height)
                return view.scale;
        }
        return 1;
    };

    // Tovani measures in points. The stage is laid out in points when the
    // monitors' framebuffers are scaled (fractional scaling on), else in
    // device pixels, where a point of a monitor of scale 2 is 2 stage units.
    const unitOf = m => Math.max(1, (m.geometry_scale ?? 1) / deviceScale(m));

    const shadeStyle = () => {
        const [r, g, b, a] = shade;
        return `background-color: rgba(${Math.round(r * 255)}, ${Math.round(g * 255)}, ${Math.round(b * 255)}, ${a});`;
    };

    // Builds the layers and the pieces' actors anew (new pictures, monitors).
    const rebuild = () => {
        for (const layer of layers)
            layer.actor.destroy();
        layers = monitors().map((m, i) => {
            const actor = new St.Widget({reactive: false, visible: false, clip_to_allocation: true,
                x: m.x, y: m.y, width: m.width, height: m.height});
            const shadeAbove = new St.Widget({reactive: false, style: shadeStyle(), width: m.width});
            const shadeBelow = new St.Widget({reactive: false, style: shadeStyle(), width: m.width});
            actor.add_child(shadeAbove);
            actor.add_child(shadeBelow);
            root.add_child(actor);
            return {monitor: i, actor, shadeAbove, shadeBelow, pieces: [], scale: deviceScale(m), unit: unitOf(m)};
        });
        for (const piece of pieces) {
            const layer = layers[piece.rule.monitor];
            if (!layer) {
                piece.actor = null;
                continue;
            }
            piece.actor = new Clutter.Actor({reactive: false, content: piece.content,
                width: piece.rule.width * layer.unit, height: piece.rule.height * layer.unit});
            layer.actor.add_child(piece.actor);
            layer.pieces.push(piece);
        }
        current = null;
        lastKey = '';
    };

    // Places the guide of the monitor under the pointer at the pointer.
    const place = (force = false) => {
        const [px, py] = global.get_pointer();
        const ms = monitors();
        let index = ms.findIndex(m => px >= m.x && px < m.x + m.width && py >= m.y && py < m.y + m.height);
        if (index < 0)
            index = current ? current.monitor : 0;
        const layer = layers[index];
        if (!layer)
            return;
        const followsColumn = magnifier !== null || layer.pieces.some(p => p.rule.anchor === 1);
        const key = `${index} ${py} ${followsColumn ? px : ''}`;
        if (!force && key === lastKey)
            return;
        lastKey = key;
        if (current !== layer) {
            if (current)
                current.actor.hide();
            layer.actor.show();
            current = layer;
        }
        const m = ms[index];
        const row = py - m.y, column = px - m.x, u = layer.unit;
        // On whole device pixels, so that pictures are shown as drawn.
        const snap = v => Math.round(v * layer.scale) / layer.scale;
        let top = Infinity, bottom = -Infinity;
        for (const {rule, actor} of layer.pieces) {
            const x = rule.anchor === 1 ? column + rule.x * u : rule.x * u;
            actor.set_position(snap(x), snap(row + rule.y * u));
            if (rule.anchor === 0) {
                top = Math.min(top, snap(row + rule.y * u));
                bottom = Math.max(bottom, snap(row + rule.y * u) + rule.height * u);
            }
        }
        if (magnifier) {
            // Centred on the pointer; the windows beneath, enlarged about it.
            const w = magnifier.width * u, h = magnifier.height * u;
            magnifier.actor.set_size(w, h);
            magnifier.border.set_size(w, h);
            magnifier.actor.set_position(snap(px - w / 2), snap(py - h / 2));
            magnifier.clone.set_position(w / 2 - px * magnifier.zoom, h / 2 - py * magnifier.zoom);
        }
        const shading = shade[3] > 0;
        layer.shadeAbove.visible = layer.shadeBelow.visible = shading;
        if (shading) {
            if (top > bottom)
                top = bottom = m.height;
            layer.shadeAbove.set_position(0, 0);
            layer.shadeAbove.height = Math.max(0, top);
            layer.shadeBelow.set_position(0, bottom);
            layer.shadeBelow.height = Math.max(0, m.height - bottom);
        }
    };
    const onPointer = guarded('pointer', () => place());

    let exported = null;
    const emitChanged = (name, value) => {
        if (exported)
            exported.emit_property_changed(name, value);
    };

    // Shows or hides everything, following the pointer only while shown.
    const update = () => {
        const show = wanted && (pieces.length > 0 || shade[3] > 0 || magnifier !== null);
        if (magnifier)
            magnifier.actor.visible = show;
        if (show) {
            place(true);
            root.show();
            uiGroup.set_child_above_sibling(root, null);
        } else {
            root.hide();
        }
        if (show && !trackerId) {
            trackerId = tracker.connect('position-invalidated', onPointer);
            tracker.track_position?.();
        } else if (!show && trackerId) {
            tracker.disconnect(trackerId);
            tracker.untrack_position?.();
            trackerId = 0;
        }
        if (show !== shown) {
            shown = show;
            emitChanged('Visible', GLib.Variant.new_boolean(shown));
        }
    };

    const unbind = name => {
        if (bindings.has(name)) {
            Main.wm.removeKeybinding(name);
            bindings.delete(name);
        }
    };
    const forget = () => {
        if (clientWatch)
            Gio.bus_unwatch_name(clientWatch);
        clientWatch = 0;
        client = null;
    };
    // The client went away: nothing of it stays on screen or on the keyboard.
    const clientVanished = guarded('client', () => {
        forget();
        wanted = false;
        pieces = [];
        shade = [0, 0, 0, 0];
        hideMagnifier();
        for (const name of [...bindings.keys()])
            unbind(name);
        rebuild();
        update();
    });
    const adopt = invocation => {
        const sender = invocation.get_sender();
        if (!sender || sender === client)
            return;
        forget();
        client = sender;
        clientWatch = Gio.bus_watch_name_on_connection(invocation.get_connection(), sender,
            Gio.BusNameWatcherFlags.NONE, null, clientVanished);
    };

    // In points, and device pixels per point.
    const monitorList = () => monitors().map(m => {
        const u = unitOf(m);
        return [Math.round(m.x / u), Math.round(m.y / u), Math.round(m.width / u), Math.round(m.height / u),
            deviceScale(m) * u];
    });

    const hideMagnifier = () => {
        magnifier?.actor.destroy();
        magnifier = null;
    };

    const service = {
        get ApiVersion() {
            return TOVANI_API_VERSION;
        },
        get ShellVersion() {
            return shellVersion;
        },
        get Monitors() {
            return monitorList();
        },
        get Visible() {
            return shown;
        },
        SetGuideAsync([newPieces, newShade], invocation) {
            let checked;
            try {
                checked = tovaniCheckGuide(newPieces, newShade, monitors().length);
            } catch (e) {
                invocation.return_dbus_error(TOVANI_INVALID_ARGS, e.message);
                return;
            }
            const made = checked[0].map(rule => ({rule, content: newContent(rule), actor: null}));
            adopt(invocation);
            pieces = made;
            shade = checked[1];
            rebuild();
            update();
            invocation.return_value(null);
        },
        SetMagnifierAsync([visible, zoom, width, height, frame], invocation) {
            const limit = TOVANI_LIMITS.pixels;
            if (!Number.isFinite(zoom) || zoom < 1 || zoom > 16 ||
                ![width, height].every(v => Number.isFinite(v) && v >= 1 && v <= limit) ||
                !Array.isArray(frame) || frame.length !== 4 || !frame.every(v => Number.isFinite(v) && v >= 0 && v <= 1)) {
                invocation.return_dbus_error(TOVANI_INVALID_ARGS, 'zoom 1..16, sizes 1..16384, frame colour 0..1');
                return;
            }
            adopt(invocation);
            hideMagnifier();
            if (visible) {
                const [r, g, b, a] = frame;
                const actor = new St.Widget({reactive: false, clip_to_allocation: true,
                    style: 'background-color: black;'});
                // Everything the Shell shows, the guide too: the magnifier
                // itself is outside of it, on the stage, above it all.
                const clone = new Clutter.Clone({source: uiGroup, reactive: false});
                clone.set_scale(zoom, zoom);
                const border = new St.Widget({reactive: false,
                    style: `border: 2px solid rgba(${Math.round(r * 255)}, ${Math.round(g * 255)}, ` +
                        `${Math.round(b * 255)}, ${a}); border-radius: 6px;`});
                actor.add_child(clone);
                actor.add_child(border);
                global.stage.add_child(actor);
                magnifier = {zoom, width, height, actor, clone, border};
            }
            lastKey = '';
            update();
            invocation.return_value(null);
        },
        SetVisibleAsync([visible], invocation) {
            adopt(invocation);
            wanted = visible;
            update();
            invocation.return_value(null);
        },
        ShowMessageAsync([text], invocation) {
            const [px, py] = global.get_pointer();
            const index = monitors().findIndex(m => px >= m.x && px < m.x + m.width && py >= m.y && py < m.y + m.height);
            const icon = new Gio.ThemedIcon({names: ['tovani', 'dialog-information-symbolic']});
            const label = [...text].slice(0, TOVANI_LIMITS.message).join('');
            const osd = Main.osdWindowManager;
            // GNOME 43 to 48 (48.7 too) take the monitor as show's first
            // argument; later Shells have showOne for one monitor.
            if (typeof osd.showOne === 'function')
                osd.showOne(Math.max(index, 0), icon, label, null, null);
            else
                osd.show(Math.max(index, 0), icon, label, null, null);
            invocation.return_value(null);
        },
        BindShortcutAsync([name, accelerator], invocation) {
            if (!TOVANI_SHORTCUTS.includes(name)) {
                invocation.return_dbus_error(TOVANI_INVALID_ARGS, `no shortcut ${name}`);
                return;
            }
            adopt(invocation);
            unbind(name);
            let bound = accelerator === '';
            if (!bound && tovaniAcceleratorParses(Clutter, accelerator)) {
                settings.set_strv(name, [accelerator]);
                const action = Main.wm.addKeybinding(name, settings, Meta.KeyBindingFlags.NONE,
                    Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW | Shell.ActionMode.POPUP,
                    guarded('shortcut', () => exported?.emit_signal('ShortcutActivated', new GLib.Variant('(s)', [name]))));
                bound = action !== Meta.KeyBindingAction.NONE;
                if (bound)
                    bindings.set(name, accelerator);
            }
            if (!bound || accelerator === '')
                settings.set_strv(name, []);
            invocation.return_value(new GLib.Variant('(b)', [bound]));
        },
    };

    // Methods answer themselves; a failure the checks did not foresee becomes
    // a D-Bus error for the caller, not an exception in the Shell.
    for (const name of Object.keys(service).filter(k => k.endsWith('Async'))) {
        const method = service[name];
        service[name] = (args, invocation) => {
            try {
                method(args, invocation);
            } catch (e) {
                guarded(name, () => {
                    throw e;
                })();
                invocation.return_dbus_error('org.freedesktop.DBus.Error.Failed', String(e));
            }
        };
    }

    const monitorsId = Main.layoutManager.connect('monitors-changed', guarded('monitors', () => {
        pieces = pieces.filter(p => p.rule.monitor < monitors().length);
        rebuild();
        update();
        emitChanged('Monitors', new GLib.Variant('a(iiiid)', monitorList()));
    }));

    rebuild();
    exported = Gio.DBusExportedObject.wrapJSObject(deps.interfaceXml, service);
    exported.export(Gio.DBus.session, TOVANI_OBJECT_PATH);
    const ownerId = Gio.bus_own_name_on_connection(Gio.DBus.session, TOVANI_BUS_NAME,
        Gio.BusNameOwnerFlags.NONE, null, null);

    return {
        destroy() {
            Gio.bus_unown_name(ownerId);
            exported.unexport();
            exported = null;
            forget();
            for (const name of [...bindings.keys()])
                unbind(name);
            wanted = false;
            update();
            Main.layoutManager.disconnect(monitorsId);
            uiGroup.disconnect(addedId);
            root.destroy();
            hideMagnifier();
            pieces = [];
            layers = [];
            current = null;
        },
    };
}
