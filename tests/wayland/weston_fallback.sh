#!/usr/bin/env bash
# A Wayland session whose compositor offers no layer-shell (headless Weston,
# with an X server beside it as XWayland would be): Tovani takes the X11
# backend through XWayland, and `tovani status` says so. The X server keeps
# running between clients (-noreset): Tovani checks the display with a
# connection of its own before Qt connects, and a server that resets when that
# first client leaves refuses Qt for a moment.
source "$(dirname "$0")/lib.sh"

command -v weston >/dev/null || wl_skip "weston is not installed"
command -v Xvfb >/dev/null || wl_skip "Xvfb is not installed"
h_start xvfb '^[0-9]' Xvfb -displayfd 1 -screen 0 1280x800x24 -nolisten tcp -noreset
export DISPLAY=":$(head -n1 "$WL_TMP/xvfb.out")"
weston --backend=headless-backend.so --socket=weston-test --idle-time=0 --no-config >"$WL_TMP/weston.log" 2>&1 &
wl_track_pid $!
# As in a real session, where Qt alone would choose Wayland.
export WAYLAND_DISPLAY=weston-test XDG_SESSION_TYPE=wayland
wl_wait_for 20 test -S "$XDG_RUNTIME_DIR/weston-test" || wl_fail "weston did not start"

tovani_start
tovani_expect_status "backend: x11,*"
