# Shared helpers of the end-to-end tests on headless sway: sourced by bash
# scripts in tests/wayland/.
#
#   sway_start [--dual]    headless sway (pixman renderer, no input devices) as
#                          the user nobody, which it needs (it refuses root),
#                          with one output HEADLESS-1 of 1280x800 at 0,0, and
#                          with --dual a second, HEADLESS-2, at 1280,0; then a
#                          virtual pointer so that the seat has one.
#                          WAYLAND_DISPLAY (also in SWAY_DISPLAY) and
#                          SWAYSOCK are exported;
#                          sway_second_output adds HEADLESS-2 later
#   swaymsg_ ARGS...       swaymsg, failing the test when it fails
#   sway_click X Y         moves the pointer there and clicks button 1
#   wl_shot X Y W H        "R G B" of every pixel of that area, row by row:
#                          grim's shot of sway's screen (global logical
#                          coordinates; it includes the cursor: sample away
#                          from it), or $WL_SHOT's
#   sway_pixel X Y         prints "R G B" of that pixel
#   sway_background "R G B"
#                          a full-screen client of that colour on HEADLESS-1;
#                          the presses it gets go to $WL_TMP/clicks.out as
#                          "click X Y BUTTON"
#   guide_probe_start [KEY=VALUE...]
#                          wlprobe guide on the Wayland backend, with those
#                          settings; guide_probe LINE sends it a line ("move X
#                          Y", "hide") and waits for its answer
#   tovani_start, tovani_cmd... (harness.sh) as in a Wayland session (no
#                          DISPLAY, no QT_QPA_PLATFORM: the backend is Tovani's
#                          choice)
#   tovani_pointerless_guide
#                          tovani toggle without the notice of a session
#                          without a pointer, then off and on again once the
#                          compositor has told the windows
#   wl_step_to LINE        next-line from where the guide stands (which must put
#                          it on a line of lines[]), then next-line or
#                          previous-line until it is on LINE; the test's
#                          band_on LINE says whether the band is on a line
#   wl_wait_for T CMD...   retry CMD until it succeeds or T seconds pass
#   h_blend "R G B" ALPHA "R G B"   (harness.sh) the colour the compositor
#                          blends: the surface holds 8-bit premultiplied colour
# Also wl_fail MSG, wl_skip MSG (exit 77), wl_track_pid PID, WL_TMP (removed
# at exit). Everything started here is stopped by PID at exit: do not set an
# EXIT trap of your own. Logs ($WL_TMP/*.log) are printed when a test fails.
# The environment gives TOVANI_BIN, WLPROBE and FAKEINPUT (ctest sets
# them).

source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
harness_init wl
WL_TMP=$H_TMP
# sway runs as nobody: it must reach its folder below this one.
chmod 711 "$WL_TMP"
unset DISPLAY QT_QPA_PLATFORM
H_TOVANI_ENV=""
: "${WLPROBE:=}" "${FAKEINPUT:=}"

swaymsg_() { swaymsg "$@" >>"$WL_TMP/swaymsg.log" 2>&1 || wl_fail "swaymsg $* failed: $(tail -n 3 "$WL_TMP/swaymsg.log")"; }

sway_start() {
    local dual=0 run="$WL_TMP/sway"
    [ "${1:-}" = --dual ] && dual=1
    command -v sway >/dev/null || wl_skip "sway is not installed"
    command -v grim >/dev/null || wl_skip "grim is not installed"
    [ "$(id -u)" = 0 ] || wl_skip "sway must be started as another user (setpriv), which needs root"
    [ -x "$FAKEINPUT" ] || wl_fail "FAKEINPUT is not set to the fakeinput helper"
    mkdir -m 700 "$run" && chown nobody:nogroup "$run"
    # Nothing on screen but what the test puts there: no bar, no borders, no
    # wallpaper, the test's windows full-screen.
    # A KWin nested in sway (kwin_lib.sh) shows each of its outputs as a
    # window: full-screen on the output of the same number.
    cat >"$WL_TMP/sway.conf" <<'CONF'
output HEADLESS-1 resolution 1280x800 position 0 0
default_border none
focus_follows_mouse no
xwayland disable
for_window [app_id="wlprobe"] fullscreen enable
for_window [app_id="tovani"] floating enable
for_window [title="^KDE Wayland Compositor WL-0"] move to output HEADLESS-1, fullscreen enable
for_window [title="^KDE Wayland Compositor WL-1"] move to output HEADLESS-2, fullscreen enable
CONF
    chmod 644 "$WL_TMP/sway.conf"
    # SWAY_RERENDER=1 (a KWin nested in sway): every frame of sway's is drawn
    # whole, not only where its clients said they changed. KWin's window
    # (QPainter, shared memory) reaches sway with damage that misses some of
    # its changes: a guide surface KWin had moved stayed at its old place on
    # sway's screen, seconds later, until anything else made sway redraw.
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$run" XDG_RUNTIME_DIR="$run" WLR_BACKENDS=headless \
        WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 ${SWAY_RERENDER:+WLR_SCENE_DEBUG_DAMAGE=rerender} sway -c "$WL_TMP/sway.conf" >"$WL_TMP/sway.log" 2>&1 &
    wl_track_pid $!
    wl_wait_for 20 eval "ls '$run'/sway-ipc.*.sock && ls '$run'/wayland-*[0-9]" || wl_fail "sway did not start"
    export SWAYSOCK=$(ls "$run"/sway-ipc.*.sock | head -n1) WAYLAND_DISPLAY=$(ls "$run"/wayland-*[0-9] | head -n1)
    SWAY_DISPLAY=$WAYLAND_DISPLAY
    wl_wait_for 10 swaymsg -t get_outputs || wl_fail "sway does not answer"
    [ $dual = 0 ] || sway_second_output
    # The virtual pointer lives as long as its standard input stays open.
    h_start pointer '^ready$' "$FAKEINPUT"
    # Out of the way of the pixels the tests read.
    swaymsg_ seat seat0 cursor set 5 5
    echo "[wayland] sway on $WAYLAND_DISPLAY" >&2
}

sway_second_output() { swaymsg_ create_output && swaymsg_ output HEADLESS-2 resolution 1280x800 position 1280 0; }

sway_click() { swaymsg_ "seat seat0 cursor set $1 $2; seat seat0 cursor press button1; seat seat0 cursor release button1"; }

WL_SHOT=wl__grim
wl__grim() {
    WAYLAND_DISPLAY=$SWAY_DISPLAY grim -g "$1,$2 $3x$4" -t ppm - 2>/dev/null | tail -c $(($3 * $4 * 3)) | od -An -v -tu1 -w3 | awk '{ print $1, $2, $3 }'
}
wl_shot() { "$WL_SHOT" "$@"; }
sway_pixel() { wl_shot "$1" "$2" 1 1; }
wl__pixel_is() { [ "$(sway_pixel "$1" "$2")" = "$3" ]; }

# The text view of tests/textlines/gtk_text.py on screen: the white box of
# the view, then the rows of ink in it, a line each: "TOP BOTTOM" (bottom
# exclusive).
read_view() {
    local box x0 y0 x1 y1
    wl_shot 0 0 1280 800 >"$WL_TMP/shot.txt"
    box=$(awk '$0 == "255 255 255" { y = int((NR - 1) / 1280); x = (NR - 1) % 1280; if (!w[y]++) a[y] = x; b[y] = x }
        END { for (y = 0; y < 800; y++) if (w[y] >= 200) { if (!n++ || a[y] < x0) x0 = a[y]; if (b[y] > x1) x1 = b[y]; if (n == 1) y0 = y; y1 = y }
              print x0, y0, x1, y1 }' "$WL_TMP/shot.txt")
    echo "$box"
    read -r x0 y0 x1 y1 <<<"$box"
    [ -z "$y1" ] || awk -v a=$((x0 + 1)) -v b=$x1 -v t="$y0" -v u="$y1" '{ x = (NR - 1) % 1280; y = int((NR - 1) / 1280) }
        x >= a && x < b && y >= t && y <= u' "$WL_TMP/shot.txt" | h_ink $((x1 - x0 - 1)) "$y0" 100
}
# Sets X0 Y0 X1 Y1 (the view's box) and lines; true once all ten show.
view_shown() {
    mapfile -t view < <(read_view)
    read -r X0 Y0 X1 Y1 <<<"${view[0]}"
    lines=("${view[@]:1}")
    [ ${#lines[@]} -eq 10 ]
}

sway_background() {
    [ -x "$WLPROBE" ] || wl_fail "WLPROBE is not set to the wlprobe helper"
    QT_QPA_PLATFORM=wayland h_start clicks '^ready$' "$WLPROBE" background $1
    wl_wait_for 10 wl__pixel_is 640 600 "$1" || wl_fail "the background window did not show: $(sway_pixel 640 600)"
}

guide_probe_start() {
    tovani_config_home "$@"
    XDG_CONFIG_HOME=$TOVANI_CONFIG_HOME QT_QPA_PLATFORM=wayland h_start probe '^displays' "$WLPROBE" guide
    grep -qx 'backend wayland' "$WL_TMP/probe.out" || wl_fail "not the Wayland backend: $(head -n1 "$WL_TMP/probe.out")"
}
guide_probe() { h_ask probe "$*" ok; }

tovani_pointerless_guide() {
    touch "$TOVANI_CONFIG_HOME/tovani/pointerless-notice-shown"
    tovani_start toggle
    tovani_expect_status "backend: wayland*"
    tovani_cmd toggle >/dev/null && tovani_cmd toggle >/dev/null
}

wl_step_to() {
    local at
    wl__on() { for ((at = 0; at < ${#lines[@]}; at++)); do band_on $at && return 0; done; return 1; }
    tovani_cmd next-line >/dev/null
    wl_wait_for 5 wl__on || wl_fail "next-line from where the guide stood put it on no line: ${lines[*]}"
    for (( ; at < $1; at++)); do tovani_cmd next-line >/dev/null; done
    for (( ; at > $1; at--)); do tovani_cmd previous-line >/dev/null; done
    wl_wait_for 5 band_on "$1" || wl_fail "stepping to line $1, the band stays off it: ${lines[*]}"
}
