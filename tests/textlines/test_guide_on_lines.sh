#!/usr/bin/env bash
# Tovani's guide on the lines of a real GTK 3 text view or Qt 6 QTextEdit, on
# Xvfb with picom and a private accessibility bus; the band is read back from
# the screen in a blank column of the helper, its edges compared with the
# ink of the helper's lines (within 5 pixels; the column keeps clear of the
# frame Qt draws around its view):
#  - the pointer rests 3 pixels below the middle of a line: the band (a
#    4-pixel highlight bar at the pointer) covers that line;
#  - `tovani next-line` moves it to the next line, Ctrl+Shift+Up (a global
#    shortcut, typed with XTest) back;
#  - with following on, the text cursor's line takes it: put there by the
#    helper, then moved by a typed key;
#  - below the text the band stays at the pointer (GTK answers the nearest
#    line even there);
#  - the accessibility switch is off before, on while tovani runs, off after.
# broken: beside an application that answers some or all calls with values of
# the wrong types, or never answers, tovani keeps running, its guide keeps
# following the pointer and `tovani status` answers within a second; lines
# 10 MB long leave no memory behind. Beside one that answers its first
# questions only after Tovani gave up, the guide still takes the line while
# the pointer rests.
# test_guide_on_lines.sh gtk|qt[_nocomp]|broken   (_nocomp: no compositor)
source "$(dirname "$0")/../x11/lib.sh"
source "$(dirname "$0")/lib.sh"

kind=${1%_nocomp}
command -v xte >/dev/null || x11_skip "xte is not installed (xautomation)"
if [ "$kind" = "$1" ]; then x11_start; else x11_start --no-compositor; fi
x11_background "240 240 240"
a11y_start
[ "$(a11y_enabled)" = false ] || x11_fail "the accessibility switch was on before tovani"
textlines_helper "$kind" 100 100 600 300
if [ "$kind" = broken ]; then
    mapfile -t lines < <(seq 110 20 370 | awk '{ print $1, $1 + 20 }') # broken_app.py's 14 lines
else
    mapfile -t lines < <(textlines_ink 108 100 300 300)
    [ ${#lines[@]} -ge 8 ] || x11_fail "the $kind helper shows ${#lines[@]} lines of ink: ${lines[*]}"
fi

tovani_config_home "currentStyle=Highlight Bar" customThickness=4 customOpacity=0.6 followTextCursor=true \
    globalHotkeysEnabled=true
x11_move 650 600
tovani_guide
# Snapping on: tovani switches accessibility on as it starts.
x11_wait_for 10 eval '[ "$(a11y_enabled)" = true ]' || x11_fail "tovani did not switch accessibility on"

band() { textlines_band 650 103 294; }
band_on() { h_band_on "$(band)" "${lines[$1]}"; } # LINE
expect_band() { x11_wait_for 5 band_on "$1" || x11_fail "$2: the band spans rows '$(band)', line $1's ink ${lines[$1]}"; } # LINE WHAT

if [ "$kind" = broken ]; then
    # MODE (see broken_app.py) | where the band goes when the pointer rests
    # on a line: on the line, or at the pointer. "right" shows that tovani
    # asks the helper at all; each row then tries the next line and the text
    # cursor too.
    rows=("right|line" "wrong GetExtents|pointer" "wrong Parent,GetChildAtIndex,GetState|line" "all|pointer"
          "silent|pointer" "slow|line")
    for i in "${!rows[@]}"; do
        IFS='|' read -r mode band <<<"${rows[$i]}"
        textlines_say mode $mode
        y=$(($(h_mid "${lines[$i]}") + 3))
        x11_move 200 $y
        sleep 0.4 # rested, asked, and answered or given up
        if [ "$band" = line ]; then
            expect_band "$i" "$mode"
        else
            [ "$(band)" = "$((y - 4)) $((y - 1))" ] || x11_fail "$mode: the band spans rows '$(band)', not the pointer's $((y - 4))-$((y - 1))"
        fi
        tovani_cmd next-line || x11_fail "$mode: tovani next-line failed"
        textlines_say caret "$i"
        sleep 0.4
        TOVANI_CMD_TIMEOUT=1 tovani_cmd status >/dev/null || x11_fail "$mode: tovani status did not answer within 1 s"
    done
    textlines_say mode long
    rss() { awk '/VmRSS/ { print $2 }' "/proc/$TOVANI_PID/status"; }
    before=$(rss)
    for k in 6 7 8 9; do x11_move 200 $(($(h_mid "${lines[$k]}") + 3)) && sleep 1; done
    [ $(($(rss) - before)) -lt 10000 ] || x11_fail "four lines of 10 MB: tovani grew from $before to $(rss) KiB"
    tovani_stop
    exit 0
fi

x11_move 200 $(($(h_mid "${lines[3]}") + 3))
expect_band 3 "resting on line 3"
tovani_cmd next-line || x11_fail "tovani next-line failed"
expect_band 4 "next line"
printf '%s\n' 'keydown Control_L' 'keydown Shift_L' 'key Up' 'keyup Shift_L' 'keyup Control_L' | xte || x11_fail "xte could not type"
expect_band 3 "previous line by its shortcut"
# Only the focused application's cursor is followed, and without a window
# manager the helper gets the focus a moment after it asks: a cursor moved
# right away may be taken as another application's.
textlines_say caret 0 && sleep 0.5 && textlines_say caret 1
expect_band 1 "the text cursor put on line 1"
printf 'key Down\n' | xte || x11_fail "xte could not type"
expect_band 2 "the text cursor moved down by a key"
x11_move 200 385
x11_wait_for 5 eval '[ "$(band)" = "381 384" ]' || x11_fail "below the text: the band spans rows '$(band)', not the pointer's 381-384"
tovani_stop
[ "$(a11y_enabled)" = false ] || x11_fail "tovani left the accessibility switch on"
