# Shared helpers of the tests on headless KWin: sourced by tests/wayland/kwin_*.sh.
# Sourcing it runs the rest of the test inside a private session bus
# (dbus-run-session), so tests never meet each other's KWin or Tovani. It is
# built on the sway library (lib.sh), whose helpers the tests may use too.
#
#   kwin_start [--outputs N]
#                        KWin on a socket of the test's own (WAYLAND_DISPLAY is
#                        exported), N outputs of 1280x800 side by side (default
#                        one); then the fake-input helper, which gives KWin a
#                        pointer. KWin 5 runs --virtual, composited with OpenGL
#                        through llvmpipe. KWin 6 composites only with QPainter
#                        there, which has no screenshots: it runs nested in
#                        headless sway (sway_start), each output a full-screen
#                        window on one of sway's, and its pixels are sway's
#                        (sway draws its whole screen every frame there:
#                        KWin's damage to sway misses some changes)
#   kwin_stop            end KWin (the fake-input helper goes with it)
#   kwin_portal_start    the XDG desktop portal with KDE's backend (run on
#                        Qt's offscreen platform: it shows no dialog here);
#                        skips the test when they are not installed
#   kwin_move X Y        the pointer to X,Y; returns once KWin has handled it
#   kwin_click           left button press and release where the pointer is
#   kwin_keys CODE...    press and release evdev key codes (29 Ctrl, 42 Shift)
#   wl_shot X Y W H (lib.sh) reads the compositor's pixels (KWin 5: its
#                        org.kde.KWin.ScreenShot2; KWin 6: sway's screen);
#                        sway_background "R G B" puts a window of one colour
#                        on the first output (the presses it gets go to
#                        $KWIN_TMP/clicks.out as "click X Y BUTTON")
#   kwin_probe pointer|hotkeys
#                        session_probe in that mode (SESSION_PROBE), started as
#                        the harness's "probe" (h_start): its output in
#                        $KWIN_TMP/probe.out, its PID $PROBE_PID
#   kwin_fail MSG, kwin_skip MSG (exit 77), kwin_wait_for T CMD..., kwin_track_pid PID
# KWIN_TMP is a scratch directory removed at exit; the logs in it are printed
# when a test fails. FAKEINPUT names the fake-input helper (ctest sets it).

source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
h_session_bus "$@"
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
harness_prefix kwin
KWIN_TMP=$WL_TMP H_STOP_SECONDS=5
# Nothing of the person running the tests: KWin's and Tovani's settings,
# sockets and caches stay inside the test.
h_private_xdg
# KWin 6 crashes at start in a session it takes for Plasma's own.
unset DISPLAY WAYLAND_DISPLAY KDE_FULL_SESSION KDE_SESSION_VERSION
KWIN_PID="" KWIN_FAKE_PID=""
KWIN_PY=/usr/bin/python3 # python3-dbus belongs to the system's Python

command -v kwin_wayland >/dev/null || kwin_skip "kwin_wayland is not installed (kwin-wayland)"
# Debian's kwin_wayland carries a file capability (cap_sys_resource) that a
# container may refuse to grant; a copy has none. Asked for its version away
# from the bus, where KWin 6 would start the portal.
cp "$(command -v kwin_wayland)" "$KWIN_TMP/kwin_wayland"
KWIN_MAJOR=$(DBUS_SESSION_BUS_ADDRESS=disabled: "$KWIN_TMP/kwin_wayland" --version 2>/dev/null | sed -n 's/^kwin[^ ]* \([0-9]*\)\..*/\1/p')
[ -n "$KWIN_MAJOR" ] || kwin_fail "kwin_wayland --version: $("$KWIN_TMP/kwin_wayland" --version 2>&1)"
# KWin 6 holds the pointer at the edge between outputs until it has gone
# 100 px further: the tests move it straight to where they mean.
printf '[EdgeBarrier]\nEdgeBarrier=0\nCornerBarrier=false\n' >"$XDG_CONFIG_HOME/kwinrc"
[ -x "${FAKEINPUT:-}" ] || kwin_fail "FAKEINPUT must name the fake-input helper"
"$KWIN_PY" -c 'import dbus' 2>/dev/null || kwin_skip "python3-dbus is not installed"

kwin_start() {
    local outputs=1 backend=(--virtual) compose=O2
    [ "${1:-}" = --outputs ] && outputs=$2
    if [ "$KWIN_MAJOR" -ge 6 ]; then
        [ -n "${SWAYSOCK:-}" ] || SWAY_RERENDER=1 sway_start
        [ "$outputs" = 1 ] || swaymsg -t get_outputs | grep -q HEADLESS-2 || sway_second_output
        backend=(--wayland-display "$SWAY_DISPLAY")
        compose=Q
    fi
    KWIN_SOCKET="tovani-kwin-$$"
    # What the bus starts on demand sees the session kwin_portal_start sets
    # up: KWin 6 reads the portal's settings as it starts, and the portal it
    # starts then must serve KDE's.
    WAYLAND_DISPLAY=$KWIN_SOCKET XDG_CURRENT_DESKTOP=KDE QT_QPA_PLATFORM=offscreen dbus-update-activation-environment \
        WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME QT_QPA_PLATFORM
    KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        LIBGL_ALWAYS_SOFTWARE=1 KWIN_COMPOSE=$compose QT_QPA_PLATFORM=offscreen \
        "$KWIN_TMP/kwin_wayland" "${backend[@]}" --socket "$KWIN_SOCKET" --width 1280 --height 800 \
        --output-count "$outputs" --no-lockscreen >"$KWIN_TMP/kwin.log" 2>&1 &
    KWIN_PID=$! && kwin_track_pid $!
    export WAYLAND_DISPLAY=$KWIN_SOCKET
    kwin_wait_for 30 kwin__ready || kwin_fail "KWin did not start"
    # The helper answers each line with "ok" (the harness's "fake": lines go to >&"${H_FD[fake]}").
    h_start fake '^ready$' "$FAKEINPUT" && KWIN_FAKE_PID=$H_PID
}
kwin__ready() { kill -0 "$KWIN_PID" 2>/dev/null || kwin_fail "KWin exited"; [ -S "$XDG_RUNTIME_DIR/$KWIN_SOCKET" ] &&
    dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1; }
kwin_stop() {
    local pid
    for pid in $KWIN_PID $KWIN_FAKE_PID; do kwin__stop_pid "$pid"; done
    KWIN_PID="" KWIN_FAKE_PID=""
}
kwin__fake() { h_ask fake "$*" ok 60; }
kwin_move() { kwin__fake move "$1" "$2"; }
kwin_click() { kwin__fake click; }
kwin_keys() { kwin__fake key "$@"; }

kwin_portal_start() {
    local kde xdp=/usr/libexec/xdg-desktop-portal
    kde=$(ls /usr/lib/*/libexec/xdg-desktop-portal-kde 2>/dev/null | head -n 1)
    [ -x "$xdp" ] && [ -x "$kde" ] || kwin_skip "xdg-desktop-portal or xdg-desktop-portal-kde is not installed"
    export XDG_CURRENT_DESKTOP=KDE
    # KWin 6 has had the bus start the portal already (kwin_start).
    h_has_name org.freedesktop.impl.portal.desktop.kde || { QT_QPA_PLATFORM=offscreen "$kde" >"$KWIN_TMP/portal-kde.log" 2>&1 & kwin_track_pid $!; }
    kwin_wait_for 20 h_has_name org.freedesktop.impl.portal.desktop.kde || kwin_fail "xdg-desktop-portal-kde did not start"
    h_has_name org.freedesktop.portal.Desktop || { "$xdp" >"$KWIN_TMP/portal.log" 2>&1 & kwin_track_pid $!; }
    kwin_wait_for 20 h_has_name org.freedesktop.portal.Desktop || kwin_fail "xdg-desktop-portal did not start"
}
# Whatever serves the portal at the end, started here or by the bus on
# demand (the document portal, a FUSE file system in XDG_RUNTIME_DIR/doc,
# the permission store), ends with the test: the KDE backend outlives the bus.
kwin__track_portal() {
    local name pid
    for name in org.freedesktop.portal.Desktop org.freedesktop.impl.portal.desktop.kde \
        org.freedesktop.portal.Documents org.freedesktop.impl.portal.PermissionStore; do
        for pid in $(dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.GetConnectionUnixProcessID string:"$name" 2>/dev/null | awk '/uint32/ { print $2 }'); do kwin_track_pid "$pid"; done
    done
}
H_AT_EXIT=kwin__track_portal

[ "$KWIN_MAJOR" -ge 6 ] || WL_SHOT=kwin__screenshot2
kwin__screenshot2() { "$KWIN_PY" "$(dirname "${BASH_SOURCE[0]}")/../gnome/shot.py" kwin "$@"; }
LOG=$KWIN_TMP/probe.out PROBE_PID=""
kwin_probe() { [ -x "${SESSION_PROBE:-}" ] || kwin_fail "SESSION_PROBE must name the session_probe helper"
    h_start probe '^ready$' "$SESSION_PROBE" "$1" && PROBE_PID=$H_PID; }
