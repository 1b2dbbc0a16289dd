#!/usr/bin/env bash
# The global shortcuts of the running application, on one server:
#  - switch off (the default): nothing is grabbed, and pressing the
#    combinations changes neither the settings nor the screen;
#  - switch on: Ctrl+Shift+R shows and hides the guide, the style and
#    thickness shortcuts are stored and drawn, a held Ctrl+Shift+= keeps
#    stepping, and all of them work with NumLock and CapsLock on too;
#  - another client holds Ctrl+Shift+T before tovani starts: that shortcut
#    stays with it, the others work, and tovani runs on.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --tray
xset r rate 200 30
BG="40 90 160"
x11_background "$BG"

# Starts tovani on fresh settings (ARGS: the lines of its file) and waits
# until the launch, hot keys included, is complete.
start_with() {
    tovani_stop
    tovani_config_home "$@"
    x11_move 600 500
    tovani_start
    x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"
    tovani_cmd style underline || x11_fail "tovani did not answer"
}
# Rows "XDOTOOL ARGS|CHECK": each CHECK must come true after its keys.
run_rows() {
    local args check
    while IFS='|' read -r args check; do
        xdotool $args
        x11_wait_for 10 $check || x11_fail "xdotool $args: no $check: $(tr '\n' ';' <"$(tovani_conf)")"
    done
}
conf() { tovani_conf_has "$*"; }

# -- Switch off ------------------------------------------------------------------
start_with globalHotkeysEnabled=false
before=$(cat "$(tovani_conf)")
xdotool key "${HOTKEY_KEYS[@]:1}"
grabber_free "${NINE_KEYS[@]}" || x11_fail "a grab is held with the switch off"
x11_probe wait-window "Tovani Guide" 0 >/dev/null && x11_fail "the guide shows with the switch off"
[ "$(cat "$(tovani_conf)")" = "$before" ] || x11_fail "the settings changed: $(tr '\n' ';' <"$(tovani_conf)")"

# -- Switch on -------------------------------------------------------------------
start_with globalHotkeysEnabled=true
# Left of the HUD, which shows in the middle of the screen on style changes.
guide_is() { x11_bbox_is "$BG" 0 300 500 400 "$*"; }
# Focus Window of thickness $1 around the pointer's row: clear inside, dimmed
# beyond.
DIM=$(x11_blend "0 0 0" 0.6 "$BG")
band_is() {
    x11_pixel_is 100 $((500 - $1 / 2 - 3)) "$DIM" && x11_pixel_is 100 $((500 - $1 / 2 + 2)) "$BG" &&
        x11_pixel_is 100 $((500 + $1 / 2 + 3)) "$DIM"
}
locks_on() { xset q | grep -q 'Caps Lock: *on *01: Num Lock: *on'; }
run_rows <<'EOF'
key ctrl+shift+r|guide_is 0 498 500 4
key ctrl+3|band_is 50
key ctrl+shift+equal ctrl+shift+equal|band_is 60
keydown ctrl+shift+equal sleep 1 keyup equal keyup ctrl+shift|conf customThickness=100
key ctrl+shift+minus|conf customThickness=95
key Num_Lock Caps_Lock|locks_on
key ctrl+1|conf currentStyle=Underline
key ctrl+shift+equal|conf customThickness=9
key ctrl+shift+r|guide_is none
key ctrl+shift+t|conf currentStyle=Highlight Bar
key Num_Lock Caps_Lock ctrl+5|conf currentStyle=Reading Strip
EOF

# -- Ctrl+Shift+T held by another client -----------------------------------------
tovani_stop
grabber_hold AD05:ctrl+shift
start_with globalHotkeysEnabled=true
grabber_got() { grep -qx "press $1" "$GRAB_LOG"; }
run_rows <<'EOF'
key ctrl+shift+t|grabber_got AD05
key ctrl+4|conf currentStyle=Ruler
key ctrl+shift+minus|conf customThickness=40
EOF
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
