#!/usr/bin/env bash
# The tray icon in a real tray (trayer, XEmbed): it shows the drawn icon of
# four bars; a click opens the menu, whose first item switches the guide on
# at the pointer (the icon turns to its coloured look) and, clicked again,
# off. With a tray a plain launch opens no window, and with the guide off
# nothing is drawn and no overlay window is mapped, however the pointer moves.
source "$(dirname "$0")/lib.sh"
command -v xwininfo >/dev/null || x11_skip "xwininfo is not installed"

x11_start --tray
BG="40 90 160"
x11_probe pattern 0 0 1280 1024 $BG background >/dev/null &
x11_track_pid $!
x11_wait_for 10 x11_pixel_is 640 500 "$BG" || x11_fail "background not shown"

x11_move 600 500
tovani_start

# The icon: a window of tovani's that trayer took in (not a top-level one).
icon_line() { xwininfo -root -tree | grep -E '^ {6,}0x[0-9a-f]+ "tovani": \("tovani" "tovani"\)'; }
x11_wait_for 20 icon_line || x11_fail "no tray icon embedded: $(xwininfo -root -tree)"
# Size and place on the root window: IW IH IX IY (the tray may still move
# the icon while it lays itself out, so this is read again while waiting).
read_icon() {
    read -r IW IH IX IY < <(icon_line | head -n1 | sed -E 's/.* ([0-9]+)x([0-9]+)\+-?[0-9]+\+-?[0-9]+ +\+(-?[0-9]+)\+(-?[0-9]+).*/\1 \2 \3 \4/')
    [ "$IW" -ge 16 ] && [ "$IW" -le 64 ] && [ "$IH" -ge 16 ] && [ "$IH" -le 64 ]
}
IW=0 IH=0 IX=0 IY=0

# Runs of rows in one column of the icon that differ from the icon's corner
# (its background): "first-last first-last ...".
icon_runs() {
    local col=$1 y bg px runs="" start=-1
    bg=$(x11_pixel "$IX" "$IY")
    for ((y = 0; y < IH; y++)); do
        px=$(x11_pixel $((IX + col)) $((IY + y)))
        if ! x11_near "$px" "$bg" 12; then
            [ $start -lt 0 ] && start=$y
        elif [ $start -ge 0 ]; then
            runs+="$start-$((y - 1)) "
            start=-1
        fi
    done
    [ $start -ge 0 ] && runs+="$start-$((IH - 1)) "
    echo "${runs% }"
}
count_runs() { local r; r=$1; [ -z "$r" ] && echo 0 || echo "$r" | wc -w; }
# Four bars down the middle; near the left edge the short bottom bar is
# missing (it is 10 of 18 points wide, the others 14 and the band 16); the
# outermost column is clear.
# (The marked bar inside the band may match the background: the band then
# shows as two runs.)
icon_drawn() {
    local m l
    read_icon || return 1
    m=$(count_runs "$(icon_runs $((IW / 2)))")
    l=$(count_runs "$(icon_runs $((IW * 3 / 18)))")
    [ "$m" -ge 4 ] && [ "$m" -le 5 ] && [ "$m" = $((l + 1)) ] && [ "$(count_runs "$(icon_runs 0)")" = 0 ]
}
x11_wait_for 10 icon_drawn ||
    x11_fail "the icon (${IW}x${IH} at $IX,$IY) is not four bars: middle '$(icon_runs $((IW / 2)))', left '$(icon_runs $((IW * 3 / 18)))'"
x11__log "tray icon ${IW}x${IH} at $IX,$IY"
# The band behind the second bar, in the middle column.
band_row=$(icon_runs $((IW / 2)) | awk '{split($2, r, "-"); print r[1]}')
off_band=$(x11_pixel $((IX + 3)) $((IY + band_row)))

# Opens the menu with a click on the icon; prints the menu's geometry "X Y W H".
menu_geometry() { x11_probe windows | awk '$6 == "override" && $7 == "tovani" && $4 > 100 && $5 > 100 {print $2, $3, $4, $5; exit}'; }
menu_open() { [ -n "$(menu_geometry)" ]; }
open_menu() {
    menu_open && x11_fail "a menu is open already"
    xte "mousemove $((IX + IW / 2)) $((IY + IH / 2))" "mouseclick 1"
    x11_wait_for 10 menu_open || x11_fail "a click on the icon opened no menu: $(x11_probe windows)"
}
# Clicks the first item of the open menu.
click_first_item() {
    local mx my mw mh
    read -r mx my mw mh < <(menu_geometry)
    xte "mousemove $((mx + mw / 3)) $((my + 12))" "mouseclick 1"
    x11_wait_for 10 bash -c "! '$X11PROBE' windows | awk '\$6 == \"override\" && \$7 == \"tovani\" && \$4 > 100 && \$5 > 100' | grep -q ." ||
        x11_fail "the menu did not close after a click on its first item"
}

# The guide is off at first.
for p in "100 100" "500 400" "1000 700" "3 3"; do x11_move $p; done
sleep 0.5
[ "$(x11_probe count-not $BG 0 0 30 1280 994)" = 0 ] || x11_fail "something shows before the guide is on"
x11_probe windows | grep -q "Tovani Guide" && x11_fail "an overlay window is mapped while the guide is off"

open_menu
click_first_item
# On: the guide follows the pointer (left of the tray, away from the menu).
x11_move 300 600
x11_wait_for 10 x11_bbox_is "$BG" 0 100 1000 900 "0 598 1000 4" ||
    x11_fail "'Enable Reading Guide' did not show the guide at the pointer: $(x11_probe bbox-not $BG 0 0 100 1000 900)"
x11_move 200 700
x11_wait_for 10 x11_bbox_is "$BG" 0 100 1000 900 "0 698 1000 4" ||
    x11_fail "the guide did not follow the pointer: $(x11_probe bbox-not $BG 0 0 100 1000 900)"
# ...and the icon shows the switched-on look: the band takes the accent colour.
icon_on() { ! x11_near "$(x11_pixel $((IX + 3)) $((IY + band_row)))" "$off_band" 20; }
x11_wait_for 10 icon_on || x11_fail "the icon did not change when the guide came on: $(x11_pixel $((IX + 3)) $((IY + band_row)))"
on_band=$(x11_pixel $((IX + 3)) $((IY + band_row)))
icon_drawn || x11_fail "the switched-on icon is not four bars"

# The first item now switches it off.
open_menu
click_first_item
x11_move 250 650
x11_wait_for 10 x11_bbox_is "$BG" 0 100 1000 900 none ||
    x11_fail "the first item did not hide the guide: $(x11_probe bbox-not $BG 0 0 100 1000 900)"
x11_wait_for 10 x11_pixel_is $((IX + 3)) $((IY + band_row)) "$off_band" ||
    x11_fail "the icon did not return to its switched-off look"
x11__log "icon band off ($off_band), on ($on_band)"

# With a tray, the plain launch opened no window.
x11_probe wait-window "Tovani Preferences" 0 >/dev/null && x11_fail "a plain launch with a tray opened the preferences"
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
