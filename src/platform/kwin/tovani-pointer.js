// Loaded into KWin by Tovani while its reading guide is on (see
// src/platform/kwin/KWinPointer.cpp): tells Tovani where the pointer is, once
// now and after every move, in global logical coordinates. Tovani unloads it
// when the guide goes off.
function report() {
    const p = workspace.cursorPos;
    callDBus("org.tovani.Tovani", "/org/tovani/Pointer", "org.tovani.Pointer", "Moved",
             Math.round(p.x), Math.round(p.y));
}
workspace.cursorPosChanged.connect(report);
report();
