#!/usr/bin/env bash
# The tray icon in a real tray (trayer, XEmbed): the icon is drawn; a click
# opens the menu, whose first item switches the guide on at the pointer (the
# icon changes its look) and, clicked again, off (the icon changes back).
# With a tray a plain launch opens no window, and with the guide off nothing
# is drawn and no overlay window is mapped, however the pointer moves.
# Then the global shortcuts of the same copy (switched on in its settings):
# Ctrl+Shift+R shows and hides the guide, a style and a thickness shortcut are
# stored. (Which shortcut does what, which ones repeat, the switch, and a
# combination another client holds: test_appdelegate on the fake platform,
# and hotkey_service.sh.)
source "$(dirname "$0")/lib.sh"
command -v xdotool >/dev/null || x11_skip "xdotool is not installed"

x11_start --tray
BG="40 90 160"
x11_background "$BG"
x11_move 600 500
tovani_config_home globalHotkeysEnabled=true
tovani_start

# The icon: a window of tovani's 16 to 64 pixels square inside trayer's
# panel at the top right, its size and place on the root window (read again
# while waiting: the tray may move the icon while it lays itself out).
# Drawn: not of one colour.
read_icon() {
    read -r IX IY IW IH < <(x11_probe windows |
        awk '$7 == "tovani" && $2 > 1100 && $3 < 30 && $4 >= 16 && $4 <= 64 && $5 >= 16 && $5 <= 64 {print $2, $3, $4, $5}')
    [ -n "${IH:-}" ]
}
icon_drawn() { read_icon && [ "$(x11_probe count-not $(x11_pixel "$IX" "$IY") 12 "$IX" "$IY" "$IW" "$IH")" -gt $((IW * IH / 8)) ]; }
x11_wait_for 20 icon_drawn || x11_fail "no icon drawn in the tray: $(x11_probe windows)"
icon() { import -window root -crop "${IW}x$IH+$IX+$IY" rgb:- | md5sum; }
off_icon=$(icon)

menu_geometry() { x11_probe windows | awk '$6 == "override" && $7 == "tovani" && $4 > 100 && $5 > 100 {print $2, $3, $4, $5; exit}'; }
first_item() { # opens the menu with a click on the icon, and clicks its first item
    [ -z "$(menu_geometry)" ] || x11_fail "a menu is open already"
    xte "mousemove $((IX + IW / 2)) $((IY + IH / 2))" "mouseclick 1"
    x11_wait_for 10 eval '[ -n "$(menu_geometry)" ]' || x11_fail "a click on the icon opened no menu: $(x11_probe windows)"
    read -r mx my mw _ <<<"$(menu_geometry)"
    xte "mousemove $((mx + mw / 3)) $((my + 12))" "mouseclick 1"
    x11_wait_for 10 eval '[ -z "$(menu_geometry)" ]' || x11_fail "the menu did not close after a click on its first item"
}

x11_move 100 100 500 400 1000 700 3 3
sleep 0.5
[ "$(x11_probe count-not $BG 0 0 30 1280 994)" = 0 ] || x11_fail "something shows before the guide is on"
x11_probe windows | grep -q "Tovani Guide" && x11_fail "an overlay window is mapped while the guide is off"

# On: the guide follows the pointer (left of the tray, away from the menu).
first_item
x11_move 300 600
x11_expect_box "$BG" "0 598 1000 4" "the first item, then a move" "0 100 1000 900"
x11_wait_for 10 eval '[ "$(icon)" != "$off_icon" ]' || x11_fail "the icon did not change when the guide came on"
first_item
x11_move 250 650
x11_expect_box "$BG" none "the first item again" "0 100 1000 900"
x11_wait_for 10 eval '[ "$(icon)" = "$off_icon" ]' || x11_fail "the icon did not return to its switched-off look"
x11_probe wait-window "Tovani Preferences" 0 >/dev/null && x11_fail "a plain launch with a tray opened the preferences"

# -- Shortcuts -----------------------------------------------------------------
x11_move 600 500
tovani_cmd style underline || x11_fail "tovani did not answer" # only once the hot keys are taken
conf() { tovani_conf_has "$*"; }
# Left of the HUD, which shows in the middle of the screen on style changes.
guide_is() { x11_bbox_is "$BG" 0 300 500 400 "$*"; }
# Rows "XDOTOOL ARGS|CHECK": each CHECK must come true after its keys.
while IFS='|' read -r args check; do
    xdotool $args
    x11_wait_for 10 $check || x11_fail "xdotool $args: no $check: $(tr '\n' ';' <"$(tovani_conf)")"
done <<'EOF'
key ctrl+shift+r|guide_is 0 498 500 4
key ctrl+3|conf currentStyle=Focus Window
key ctrl+shift+equal ctrl+shift+equal|conf customThickness=60
key ctrl+shift+r|guide_is none
EOF
tovani_pass
