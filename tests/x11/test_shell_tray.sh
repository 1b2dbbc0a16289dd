#!/usr/bin/env bash
# The tray icon in a real tray (trayer, XEmbed): the icon is drawn; a click
# opens the menu, whose first item switches the guide on at the pointer (the
# icon changes its look) and, clicked again, off (the icon changes back).
# With a tray a plain launch opens no window, and with the guide off nothing
# is drawn and no overlay window is mapped, however the pointer moves.
# (The global shortcuts: which combination runs what, test_appdelegate; that
# a launch takes them, test_shell_lifecycle.sh; that X11 delivers them,
# hotkey_service.sh.)
source "$(dirname "$0")/lib.sh"
command -v xdotool >/dev/null || x11_skip "xdotool is not installed"

x11_start --tray
BG="40 90 160"
x11_background "$BG"
x11_move 600 500
tovani_start

# The icon: a window of tovani's 16 to 64 pixels square inside trayer's
# panel at the top right, its size and place on the root window (read again
# while waiting: the tray may move the icon while it lays itself out).
# Drawn: not of one colour.
read_icon() { read -r IX IY IW IH < <(x11_probe windows |
    awk '$7 == "tovani" && $2 > 1100 && $3 < 30 && $4 >= 16 && $4 <= 64 && $5 >= 16 && $5 <= 64 {print $2, $3, $4, $5}'); }
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

tovani_pass
