// Loaded into KWin by Tovani while its reading guide is on (see
// src/platform/kwin/KWinPointer.cpp): tells Tovani where the pointer is, once
// now and after every move, and where the applications' windows are, once now
// and whenever one opens, closes, moves, is resized or activated, in global
// logical coordinates. KWin lets a script call out but not be called, so it
// pushes what changes. Tovani unloads it when the guide goes off.
// Written for KWin 5's script engine and KWin 6's alike: no let, no arrows.
var ws = workspace;

function report() {
    var p = ws.cursorPos;
    callDBus("org.tovani.Tovani", "/org/tovani/Pointer", "org.tovani.Pointer", "Moved",
             Math.round(p.x), Math.round(p.y));
}

// Bottom to top where KWin says; else in the order it lists them.
function windows() {
    if (ws.stackingOrder)
        return ws.stackingOrder;
    return ws.windowList ? ws.windowList() : ws.clientList();
}

// Application windows a person reads: not panels, menus or tooltips, and not
// Tovani's own guide, which takes no input (a layer surface that KWin calls
// a normal window), so that the guide's moves are never reported.
function readable(w) {
    return (w.normalWindow || w.dialog) && w.wantsInput !== false;
}

function shown(w) {
    return readable(w) && !w.minimized && !w.deleted && w.onCurrentDesktop !== false;
}

// The frame as KWin draws it; the surface (bufferGeometry, with a
// client-side shadow if any) is what the application counts from.
function describe(w, stacking) {
    var f = w.frameGeometry;
    var b = w.bufferGeometry || w.clientGeometry || f;
    return {id: String(w.internalId), pid: w.pid, frame: [f.x, f.y, f.width, f.height],
            surface: [b.x, b.y], active: !!w.active, stacking: stacking, shown: !!shown(w)};
}

function send(method, value) {
    callDBus("org.tovani.Tovani", "/org/tovani/Windows", "org.tovani.Windows", method, JSON.stringify(value));
}

function reportAll() {
    var list = windows();
    var out = [];
    for (var i = 0; i < list.length; ++i) {
        if (shown(list[i]))
            out.push(describe(list[i], i));
    }
    send("Windows", out);
}

function watch(w) {
    if (!readable(w))
        return;
    w.frameGeometryChanged.connect(function () { send("Window", describe(w, windows().indexOf(w))); });
    if (w.minimizedChanged)
        w.minimizedChanged.connect(reportAll);
}

var all = ws.windowList ? ws.windowList() : ws.clientList();
for (var i = 0; i < all.length; ++i)
    watch(all[i]);
var added = ws.windowAdded || ws.clientAdded;
added.connect(function (w) { watch(w); reportAll(); });
(ws.windowRemoved || ws.clientRemoved).connect(reportAll);
(ws.windowActivated || ws.clientActivated).connect(reportAll);
if (ws.stackingOrderChanged)
    ws.stackingOrderChanged.connect(reportAll);
if (ws.currentDesktopChanged)
    ws.currentDesktopChanged.connect(reportAll);

ws.cursorPosChanged.connect(report);
report();
reportAll();
