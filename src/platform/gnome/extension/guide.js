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
const TOVANI_INTERFACE = 'org.tovani.ShellExtension';
// Tovani holds this name for as long as it runs; the extension serves
// whoever holds it, and no one else.
const TOVANI_CLIENT_NAME = 'org.tovani.Tovani';
const TOVANI_API_VERSION = 3;
const TOVANI_INVALID_ARGS = 'org.freedesktop.DBus.Error.InvalidArgs';
const TOVANI_ACCESS_DENIED = 'org.freedesktop.DBus.Error.AccessDenied';
const TOVANI_KEY_TAKEN = 'org.tovani.ShellExtension.Error.KeyTaken';
const TOVANI_SHORTCUTS = ['toggle', 'next-line', 'previous-line', 'lock', 'read-aloud', 'style-1', 'style-2',
    'style-3', 'style-4', 'style-5', 'cycle-style', 'thicker', 'thinner'];
// Pictures are bounded by what the monitors can show: all pieces together
// at most twice the monitors' device pixels. Strings are read only up to
// their limit, in bytes, and never echoed back.
const TOVANI_LIMITS = {
    offset: 100000, size: 100000, pixels: 16384, pieces: 64, screens: 2, message: 200, accelerator: 64,
    // Bytes of calls after which the garbage collector runs (see collect).
    garbage: 8 * 1024 * 1024,
    // Held guide: how far (points) the pointer moves before a guide held
    // until then follows it again, and how long it rests (ms) before Tovani
    // hears where (LineGuide::reattachDistance, restMs).
    reattach: 8, rest: 100,
};
const TOVANI_MODIFIERS = new Map([['control', 'control'], ['ctrl', 'control'], ['primary', 'control'],
    ['shift', 'shift'], ['shft', 'shift'], ['alt', 'alt'], ['mod1', 'alt'], ['super', 'super'], ['mod4', 'super'],
    ['mod2', 'mod2'], ['mod3', 'mod3'], ['mod5', 'mod5'], ['meta', 'meta'], ['hyper', 'hyper'],
    ['release', 'release']]);
// Where GNOME Shell, mutter and the settings daemon keep the keys they bind.
const TOVANI_SYSTEM_KEYS = ['org.gnome.desktop.wm.keybindings', 'org.gnome.shell.keybindings',
    'org.gnome.mutter.keybindings', 'org.gnome.mutter.wayland.keybindings',
    'org.gnome.settings-daemon.plugins.media-keys'];

// The text of a string variant, cut to `chars` characters before any of it
// is read beyond 4 bytes a character; null when `maxBytes` is given and the
// string is longer than that.
function tovaniString(variant, chars, maxBytes = Infinity) {
    const size = variant.get_size() - 1; // serialized: the bytes and a NUL
    if (size > maxBytes)
        return null;
    let end = Math.min(size, 4 * chars);
    const head = variant.get_data_as_bytes().new_from_bytes(0, Math.min(end + 1, size)).toArray();
    // Not within a character.
    if (end < size) {
        while (end > 0 && (head[end] & 0xc0) === 0x80)
            end--;
    }
    return [...new TextDecoder().decode(head.subarray(0, end))].slice(0, chars).join('');
}

// The first of `rects` ({x, y, width, height}) that holds the point, -1 when
// none does. Tovani's rule for displays: half-open on every edge, so a
// monitor holds its top row and left column but not its bottom row or right
// column, and monitors that touch share no point.
function tovaniRectAt(rects, x, y) {
    return rects.findIndex(r => x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
}

// The bytes a call carries, found without reading them: the calls of this
// interface hold numbers, strings, byte arrays and at most a few dozen
// pieces; more pieces than that count as the largest message D-Bus carries.
function tovaniCallSize(params) {
    let size = 0;
    for (let i = 0; i < params.n_children(); i++) {
        const child = params.get_child_value(i);
        size += child.get_type_string().startsWith('a(') && child.n_children() > TOVANI_LIMITS.pieces
            ? 128 * 1024 * 1024 : child.get_size();
    }
    return size;
}

// Reads the pieces and shade of SetGuide from their variants, no more than
// the limits allow: returns [pieces, shade], each piece's pixels still in
// the message, or throws an Error whose message tells what is wrong.
// `budget` is the most pixels all pieces may have together.
function tovaniReadGuide(params, monitorCount, budget) {
    const bad = what => {
        throw new Error(what);
    };
    const list = params.get_child_value(0);
    if (list.n_children() > TOVANI_LIMITS.pieces)
        bad(`at most ${TOVANI_LIMITS.pieces} pieces`);
    let total = 0;
    const pieces = [];
    for (let i = 0; i < list.n_children(); i++) {
        const piece = list.get_child_value(i);
        const field = k => piece.get_child_value(k);
        const [monitor, anchor] = [field(0).get_int32(), field(1).get_uint32()];
        const [x, y, width, height] = [2, 3, 4, 5].map(k => field(k).get_double());
        const [pixelWidth, pixelHeight] = [field(6).get_int32(), field(7).get_int32()];
        const pixels = field(8);
        const where = `piece ${i}`;
        if (monitor < 0 || monitor >= monitorCount)
            bad(`${where}: no monitor ${monitor}`);
        if (anchor !== 0 && anchor !== 1)
            bad(`${where}: anchor must be 0 or 1`);
        if (![x, y].every(v => Number.isFinite(v) && Math.abs(v) <= TOVANI_LIMITS.offset))
            bad(`${where}: offset out of range`);
        if (![width, height].every(v => Number.isFinite(v) && v > 0 && v <= TOVANI_LIMITS.size))
            bad(`${where}: size out of range`);
        if (![pixelWidth, pixelHeight].every(v => v >= 1 && v <= TOVANI_LIMITS.pixels))
            bad(`${where}: pixel size out of range`);
        total += pixelWidth * pixelHeight;
        if (total > budget)
            bad('more pixels than the monitors can show');
        if (pixels.n_children() !== 4 * pixelWidth * pixelHeight)
            bad(`${where}: ${pixels.n_children()} bytes for ${pixelWidth}x${pixelHeight} pixels`);
        pieces.push({monitor, anchor, x, y, width, height, pixelWidth, pixelHeight, pixels});
    }
    const shade = params.get_child_value(1).deepUnpack();
    if (!shade.every(v => Number.isFinite(v) && v >= 0 && v <= 1))
        bad('shade values must be within 0..1');
    return [pieces, shade];
}

// An accelerator in GTK's syntax ("<Control><Shift>r") in one spelling:
// "alt+control+r", modifiers sorted; null when it names modifiers this does
// not know or no key.
function tovaniAcceleratorKey(accelerator) {
    const m = /^((?:<[A-Za-z0-9]+>)*)([^<>]+)$/.exec(accelerator);
    if (!m)
        return null;
    const modifiers = (m[1].match(/<[A-Za-z0-9]+>/g) || []).map(s => TOVANI_MODIFIERS.get(s.slice(1, -1).toLowerCase()));
    if (modifiers.includes(undefined))
        return null;
    return [...new Set(modifiers)].sort().concat(m[2].toLowerCase()).join('+');
}

// Why the accelerator cannot be bound for Tovani, or '' when it can: it
// needs Ctrl, Alt or Super and a key the Shell knows.
function tovaniAcceleratorProblem(Clutter, accelerator) {
    const key = tovaniAcceleratorKey(accelerator);
    const name = /([^<>]+)$/.exec(accelerator)?.[1] ?? '';
    if (!key || ![name, name.toLowerCase(), name.charAt(0).toUpperCase() + name.slice(1).toLowerCase()]
        .some(k => typeof Clutter[`KEY_${k}`] === 'number'))
        return 'not an accelerator with a key GNOME Shell knows';
    if (!key.split('+').slice(0, -1).some(m => m === 'control' || m === 'alt' || m === 'super'))
        return 'a shortcut needs Ctrl, Alt or Super with its key';
    return '';
}

// deps: the Shell's St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell, Main;
// global; gc (gjs's System.gc); shellVersion; settings (the extension's
// Gio.Settings); interfaceXml (org.tovani.ShellExtension.xml). Returns
// {destroy}.
function tovaniCreateGuide(deps) {
    const {St, Clutter, Cogl, Gio, GLib, GObject, Meta, Shell, Main, global, gc, shellVersion, settings} = deps;
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
    let trackerId = 0, trackerBlocked = false;

    let pieces = [];              // {rule: where and how big, content, actor}, bottom first
    let shade = [0, 0, 0, 0];
    let wanted = false;           // SetVisible
    let shown = false;            // the Visible property
    let layers = [];              // a clipped layer a monitor, with its shade and pieces
    let current = null;           // layers[] entry under the pointer
    let magnifier = null;         // {zoom, width, height, actor, clone} while shown
    let lastKey = '';
    let owner = null;             // Tovani's connection: the holder of TOVANI_CLIENT_NAME
    // HoldGuide: the row (stage units) anchor-0 pieces count from instead of
    // the pointer's, the rows of the line, how it is let go (0: the pointer
    // moves from ax, ay; 1: it leaves the line's rows; 2: never).
    let held = null;
    const bindings = new Map();   // shortcut name -> accelerator bound with the Shell

    let cogl = null;
    const coglContext = () => {
        cogl ??= global.stage.context?.get_backend().get_cogl_context() ??
            Clutter.get_default_backend().get_cogl_context();
        return cogl;
    };
    // The pixels stay in the message until the texture has them.
    const newContent = rule => {
        const content = St.ImageContent.new_with_preferred_size(rule.pixelWidth, rule.pixelHeight);
        const args = [rule.pixels.get_data_as_bytes(), Cogl.PixelFormat.BGRA_8888_PRE,
            rule.pixelWidth, rule.pixelHeight, 4 * rule.pixelWidth];
        // Since GNOME 48 the Cogl context comes first.
        if (content.set_bytes.length > args.length)
            content.set_bytes(coglContext(), ...args);
        else
            content.set_bytes(...args);
        rule.pixels = null;
        return content;
    };
    // New pixels of the same size go into the texture there is: a new one
    // for each picture would leave the Shell's memory in pieces.
    const refill = (content, rule) => {
        const texture = content.get_texture?.();
        if (!texture || texture.get_width() !== rule.pixelWidth || texture.get_height() !== rule.pixelHeight)
            return false;
        const {pixelWidth: w, pixelHeight: h} = rule;
        try {
            if (!texture.set_region(0, 0, 0, 0, w, h, w, h, Cogl.PixelFormat.BGRA_8888_PRE, 4 * w,
                rule.pixels.get_data_as_bytes().toArray()))
                return false;
        } catch {
            return false;
        }
        rule.pixels = null;
        content.invalidate();
        return true;
    };

    const monitors = () => Main.layoutManager.monitors;
    // Device pixels per stage unit: the scale of the stage view showing the
    // monitor (the monitor's scale when framebuffers are scaled, else 1).
    const deviceScale = m => {
        const views = (global.stage.peek_stage_views?.() ?? []).filter(view => view.layout);
        const index = tovaniRectAt(views.map(view => view.layout), m.x, m.y);
        return index < 0 ? 1 : views[index].scale;
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

    const sendToOwner = (signal, value) => {
        if (owner)
            Gio.DBus.session.emit_signal(owner, TOVANI_OBJECT_PATH, TOVANI_INTERFACE, signal, value);
    };
    const unitAt = (x, y) => {
        const m = monitors()[tovaniRectAt(monitors(), x, y)];
        return m ? unitOf(m) : 1;
    };

    // Places the guide of the monitor under the pointer at the pointer, or
    // on the row it is held at.
    const place = (force = false) => {
        const [px, py] = global.get_pointer();
        const ms = monitors();
        if (held) {
            const u = unitAt(px, py);
            if (held.release === 0 ? Math.hypot(px - held.ax, py - held.ay) > TOVANI_LIMITS.reattach * u
                : held.release === 1 && (py < held.row || py > held.row + held.height)) {
                held = null;
                sendToOwner('GuideReleased', null);
            }
        }
        const rowY = held ? held.row : py;
        let index = held ? tovaniRectAt(ms, px, held.row + held.height / 2) : -1;
        if (index < 0)
            index = tovaniRectAt(ms, px, py);
        if (index < 0)
            index = current ? current.monitor : 0;
        const layer = layers[index];
        if (!layer)
            return;
        const followsColumn = magnifier !== null || layer.pieces.some(p => p.rule.anchor === 1);
        const key = `${index} ${rowY} ${followsColumn ? px : ''}`;
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
        const row = rowY - m.y, column = px - m.x, u = layer.unit;
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

    // The pointer's signals come many times a frame; the pieces are placed
    // once, as the Shell begins the frame (the stage's before-update, once
    // a monitor). Meta.later_add fails on GNOME 43 (no display of its own)
    // and the laters object it has there is out of reach; an update is
    // asked for, as a hardware cursor's move asks for none.
    let moved = false, updateId = 0, restId = 0, lastMove = 0;
    // Where the pointer rests TOVANI_LIMITS.rest ms, and the window there:
    // to Tovani, once a rest; one timer, checked against the last frame's
    // time, so that a move costs no timer.
    const rested = guarded('rest', () => {
        const left = TOVANI_LIMITS.rest - (GLib.get_monotonic_time() - lastMove) / 1000;
        restId = left > 1 ? GLib.timeout_add(GLib.PRIORITY_DEFAULT, Math.ceil(left), rested) : 0;
        if (restId || !shown)
            return GLib.SOURCE_REMOVE;
        const [px, py] = global.get_pointer();
        const u = unitAt(px, py);
        sendToOwner('PointerRested', new GLib.Variant('(dd(ddddddx))', [px / u, py / u, describe(windowAt(px, py))]));
        return GLib.SOURCE_REMOVE;
    });
    const blockTracker = block => {
        if (!trackerId || block === trackerBlocked)
            return;
        trackerBlocked = block;
        if (block)
            tracker.block_signal_handler?.(trackerId);
        else
            tracker.unblock_signal_handler?.(trackerId);
    };
    const beforeUpdate = guarded('place', () => {
        if (!moved)
            return;
        moved = false;
        blockTracker(false);
        place();
        lastMove = GLib.get_monotonic_time();
        if (!restId)
            restId = GLib.timeout_add(GLib.PRIORITY_DEFAULT, TOVANI_LIMITS.rest, rested);
    });
    // The first move of a frame asks for the frame; the others call no
    // script at all: the handler sleeps until the frame begins.
    const onPointer = () => {
        if (moved)
            return;
        moved = true;
        blockTracker(true);
        global.stage.schedule_update();
    };
    const followPointer = follow => {
        if (follow && !updateId) {
            // Placed when shown (update()); a move asked for while hidden
            // must not keep the next moves from asking for a frame.
            moved = false;
            updateId = global.stage.connect('before-update', beforeUpdate);
        } else if (!follow && updateId) {
            global.stage.disconnect(updateId);
            if (restId)
                GLib.source_remove(restId);
            updateId = restId = 0;
            moved = false;
        }
    };

    // Another process's window: the topmost shown one whose frame holds
    // the point (frames take the clicks; client-side shadows do not).
    const windowAt = (x, y) => {
        const actors = global.get_window_actors();
        for (let i = actors.length - 1; i >= 0; i--) {
            const w = actors[i].get_meta_window();
            if (!w || w.minimized || !w.showing_on_its_workspace() || w.get_window_type() === Meta.WindowType.DESKTOP)
                continue;
            const r = w.get_frame_rect();
            if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
                return w;
        }
        return null;
    };
    // In points: the frame (what the window manager moves and the person
    // sees as the window), where the client's surface begins (the buffer:
    // its top-left is the client's (0, 0), outside the frame where the
    // client draws its own shadow, inside it where the Shell draws the
    // title bar), and the process. All 0 for none.
    const describe = w => {
        if (!w)
            return [0, 0, 0, 0, 0, 0, 0];
        const f = w.get_frame_rect(), b = w.get_buffer_rect();
        const u = unitAt(f.x + f.width / 2, f.y + f.height / 2);
        return [f.x / u, f.y / u, f.width / u, f.height / u, b.x / u, b.y / u, Math.max(0, w.get_pid())];
    };
    // The window with the keyboard focus, to Tovani when it changes, moves
    // or is resized: once when the Shell is idle, however many of those
    // came (a window dragged).
    let focused = null, focusIds = [], focusLater = 0;
    const sendFocus = () => {
        if (!focusLater) {
            focusLater = GLib.idle_add(GLib.PRIORITY_DEFAULT, guarded('focus', () => {
                focusLater = 0;
                sendToOwner('FocusChanged', new GLib.Variant('((ddddddx))', [describe(focused)]));
                return GLib.SOURCE_REMOVE;
            }));
        }
    };
    const unwatchFocus = () => {
        for (const id of focusIds)
            focused.disconnect(id);
        focusIds = [];
        focused = null;
    };
    const focusChanged = guarded('focus', () => {
        if (focused)
            unwatchFocus();
        focused = global.display.focus_window;
        if (focused)
            focusIds = ['position-changed', 'size-changed', 'unmanaged'].map(s => focused.connect(s, focusChanged));
        sendFocus();
    });

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
        followPointer(show);
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
            blockTracker(false);
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
        settings.set_strv(name, []);
    };

    // Tovani went away, or another one came: nothing of the one before stays
    // on screen, on the keyboard or in the settings.
    const reset = () => {
        wanted = false;
        held = null;
        pieces = [];
        shade = [0, 0, 0, 0];
        hideMagnifier();
        for (const name of TOVANI_SHORTCUTS)
            unbind(name);
        rebuild();
        update();
    };
    const ownerChanged = guarded('owner', newOwner => {
        if (newOwner === owner)
            return;
        reset();
        owner = newOwner;
    });

    // In points, and device pixels per point.
    const monitorList = () => monitors().map(m => {
        const u = unitOf(m);
        return [Math.round(m.x / u), Math.round(m.y / u), Math.round(m.width / u), Math.round(m.height / u),
            deviceScale(m) * u];
    });
    const pixelBudget = () => TOVANI_LIMITS.screens * monitors().reduce((sum, m) => {
        const s = deviceScale(m);
        return sum + Math.ceil(m.width * s) * Math.ceil(m.height * s);
    }, 0);

    const hideMagnifier = () => {
        magnifier?.actor.destroy();
        magnifier = null;
    };

    // The keys GNOME binds itself, by the settings that hold them.
    const systemKeys = new Map();
    const takenBy = key => {
        for (const id of TOVANI_SYSTEM_KEYS) {
            if (!systemKeys.has(id)) {
                const schema = Gio.SettingsSchemaSource.get_default()?.lookup(id, true);
                systemKeys.set(id, schema ? {schema, settings: new Gio.Settings({settings_schema: schema})} : null);
            }
            const keys = systemKeys.get(id);
            for (const name of keys?.schema.list_keys() ?? []) {
                const type = keys.schema.get_key(name).get_value_type().dup_string();
                const values = type === 'as' ? keys.settings.get_strv(name)
                    : type === 's' ? [keys.settings.get_string(name)] : [];
                if (values.some(v => tovaniAcceleratorKey(v) === key))
                    return name;
            }
        }
        for (const [name, accelerator] of bindings) {
            if (tovaniAcceleratorKey(accelerator) === key)
                return name;
        }
        return null;
    };

    // Every call, its pixels or strings, stays in memory as long as the
    // script's objects that stand for it (its parameters, its invocation):
    // until the next garbage collection, which the script's own small
    // objects seldom bring about. A few of them with the pictures of a
    // second monitor are worth more than a collection, so when calls of that
    // many bytes have come, one runs once the Shell is idle.
    let garbage = 0, collectId = 0;
    const collect = bytes => {
        garbage += bytes;
        if (garbage < TOVANI_LIMITS.garbage || collectId)
            return;
        collectId = GLib.idle_add(GLib.PRIORITY_LOW, () => {
            collectId = 0;
            garbage = 0;
            gc();
            return GLib.SOURCE_REMOVE;
        });
    };

    const refuse = (invocation, message, error = TOVANI_INVALID_ARGS) => {
        invocation.return_dbus_error(error, message);
    };

    // Each method gets the call's parameters as they came, unread.
    const methods = {
        SetGuide(params, invocation) {
            let read;
            try {
                read = tovaniReadGuide(params, monitors().length, pixelBudget());
            } catch (e) {
                refuse(invocation, e.message);
                return;
            }
            const [rules, newShade] = read;
            const shadeChanged = newShade.some((v, i) => v !== shade[i]);
            shade = newShade;
            // The same pictures of new pixels (the guide grown, another
            // colour): into the textures there are.
            if (rules.length === pieces.length && rules.every((rule, i) => rule.monitor === pieces[i].rule.monitor)) {
                pieces.forEach((piece, i) => {
                    const rule = rules[i];
                    if (!refill(piece.content, rule)) {
                        piece.content = newContent(rule);
                        piece.actor?.set_content(piece.content);
                    }
                    piece.rule = rule;
                    const unit = layers[rule.monitor]?.unit ?? 1;
                    piece.actor?.set_size(rule.width * unit, rule.height * unit);
                });
                if (shadeChanged) {
                    for (const layer of layers)
                        layer.shadeAbove.style = layer.shadeBelow.style = shadeStyle();
                }
            } else {
                pieces = rules.map(rule => ({rule, content: newContent(rule), actor: null}));
                rebuild();
            }
            lastKey = '';
            update();
            invocation.return_value(null);
        },
        SetMagnifier(params, invocation) {
            const [visible, zoom, width, height, frame] = params.deepUnpack();
            const limit = TOVANI_LIMITS.pixels;
            if (!Number.isFinite(zoom) || zoom < 1 || zoom > 16 ||
                ![width, height].every(v => Number.isFinite(v) && v >= 1 && v <= limit) ||
                !frame.every(v => Number.isFinite(v) && v >= 0 && v <= 1)) {
                refuse(invocation, 'zoom 1..16, sizes 1..16384, frame colour 0..1');
                return;
            }
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
        SetVisible(params, invocation) {
            wanted = params.get_child_value(0).get_boolean();
            update();
            sendFocus();
            invocation.return_value(null);
        },
        HoldGuide(params, invocation) {
            const [row, height, release] = params.deepUnpack();
            if (![row, height].every(Number.isFinite) || release > 2) {
                refuse(invocation, 'row and height must be numbers, release 0..2');
                return;
            }
            // Beyond every screen is as good as any further.
            const limit = TOVANI_LIMITS.offset;
            const [px, py] = global.get_pointer();
            const u = unitAt(px, py);
            held = {row: Math.min(Math.max(row, -limit), limit) * u, height: Math.min(Math.max(height, 0), limit) * u,
                release, ax: px, ay: py};
            lastKey = '';
            onPointer();
            invocation.return_value(null);
        },
        ReleaseGuide(params, invocation) {
            held = null;
            lastKey = '';
            onPointer();
            invocation.return_value(null);
        },
        ShowMessage(params, invocation) {
            const label = tovaniString(params.get_child_value(0), TOVANI_LIMITS.message);
            const [px, py] = global.get_pointer();
            const index = tovaniRectAt(monitors(), px, py);
            const icon = new Gio.ThemedIcon({names: ['tovani', 'dialog-information-symbolic']});
            const osd = Main.osdWindowManager;
            // GNOME 43 to 48 (48.7 too) take the monitor as show's first
            // argument; later Shells have showOne for one monitor.
            if (typeof osd.showOne === 'function')
                osd.showOne(Math.max(index, 0), icon, label, null, null);
            else
                osd.show(Math.max(index, 0), icon, label, null, null);
            invocation.return_value(null);
        },
        BindShortcut(params, invocation) {
            const limit = TOVANI_LIMITS.accelerator;
            const name = tovaniString(params.get_child_value(0), limit, limit);
            const accelerator = tovaniString(params.get_child_value(1), limit, limit);
            if (!TOVANI_SHORTCUTS.includes(name)) {
                refuse(invocation, 'no such shortcut');
                return;
            }
            unbind(name);
            if (accelerator === '') {
                invocation.return_value(new GLib.Variant('(b)', [true]));
                return;
            }
            const problem = accelerator === null ? 'the accelerator is too long'
                : tovaniAcceleratorProblem(Clutter, accelerator);
            if (problem) {
                refuse(invocation, problem);
                return;
            }
            const taken = takenBy(tovaniAcceleratorKey(accelerator));
            if (taken) {
                refuse(invocation, `GNOME already uses this key for ${taken}`, TOVANI_KEY_TAKEN);
                return;
            }
            settings.set_strv(name, [accelerator]);
            const action = Main.wm.addKeybinding(name, settings, Meta.KeyBindingFlags.NONE,
                Shell.ActionMode.NORMAL | Shell.ActionMode.OVERVIEW | Shell.ActionMode.POPUP,
                guarded('shortcut', () => sendToOwner('ShortcutActivated', new GLib.Variant('(s)', [name]))));
            if (action === Meta.KeyBindingAction.NONE) {
                settings.set_strv(name, []);
                refuse(invocation, 'GNOME Shell did not take the key', TOVANI_KEY_TAKEN);
                return;
            }
            bindings.set(name, accelerator);
            invocation.return_value(new GLib.Variant('(b)', [true]));
        },
    };
    // Read by anyone: they tell nothing that is not on screen.
    const properties = {
        ApiVersion: () => new GLib.Variant('u', TOVANI_API_VERSION),
        ShellVersion: () => new GLib.Variant('s', shellVersion),
        Monitors: () => new GLib.Variant('a(iiiid)', monitorList()),
        Visible: () => new GLib.Variant('b', shown),
    };

    const info = Gio.DBusInterfaceInfo.new_for_xml(deps.interfaceXml);
    info.cache_build();
    exported = new Gio.DBusExportedObject({g_interface_info: info});
    // Only Tovani's connection is served, and that is checked before
    // anything of the call is read. A failure the checks did not foresee
    // becomes a D-Bus error for the caller, not an exception in the Shell.
    exported.connect('handle-method-call', (_object, name, params, invocation) => {
        collect(tovaniCallSize(params));
        if (!owner || invocation.get_sender() !== owner) {
            refuse(invocation, `only the owner of ${TOVANI_CLIENT_NAME} is served`, TOVANI_ACCESS_DENIED);
            return;
        }
        try {
            methods[name](params, invocation);
        } catch (e) {
            guarded(name, () => {
                throw e;
            })();
            refuse(invocation, String(e), 'org.freedesktop.DBus.Error.Failed');
        }
    });
    exported.connect('handle-property-get', (_object, name) => properties[name]?.() ?? null);

    const monitorsId = Main.layoutManager.connect('monitors-changed', guarded('monitors', () => {
        pieces = pieces.filter(p => p.rule.monitor < monitors().length);
        rebuild();
        update();
        emitChanged('Monitors', new GLib.Variant('a(iiiid)', monitorList()));
    }));

    // Nothing left of a Shell that ended without disable().
    for (const name of TOVANI_SHORTCUTS)
        settings.set_strv(name, []);
    rebuild();
    const focusId = global.display.connect('notify::focus-window', focusChanged);
    focusChanged();
    // Who Tovani is, known before anyone can call.
    const ownerWatch = Gio.bus_watch_name_on_connection(Gio.DBus.session, TOVANI_CLIENT_NAME,
        Gio.BusNameWatcherFlags.NONE, (_c, _name, unique) => ownerChanged(unique), () => ownerChanged(null));
    exported.export(Gio.DBus.session, TOVANI_OBJECT_PATH);
    const ownerId = Gio.bus_own_name_on_connection(Gio.DBus.session, TOVANI_BUS_NAME,
        Gio.BusNameOwnerFlags.NONE, null, null);

    return {
        destroy() {
            Gio.bus_unown_name(ownerId);
            Gio.bus_unwatch_name(ownerWatch);
            if (collectId)
                GLib.source_remove(collectId);
            exported.unexport();
            exported = null;
            owner = null;
            for (const name of TOVANI_SHORTCUTS)
                unbind(name);
            wanted = false;
            update();
            global.display.disconnect(focusId);
            if (focused)
                unwatchFocus();
            if (focusLater)
                GLib.source_remove(focusLater);
            Main.layoutManager.disconnect(monitorsId);
            uiGroup.disconnect(addedId);
            root.destroy();
            hideMagnifier();
            pieces = [];
            layers = [];
            current = null;
            systemKeys.clear();
        },
    };
}
