#!/usr/bin/env bash
# The guide on the lines of a GTK 3 text view (gtk_text.py, a blank line
# between two paragraphs), a Wayland client on a private accessibility bus
# that counts its text from its own window, placed by the compositor (on sway
# floating, under a title bar). The view and its lines are found in a shot of
# the screen; the band (a 4-pixel highlight bar) is read right of the text,
# its edges within 5 pixels of a line's ink:
#  - KWin: resting low on a line, then high on the next, settles the band on
#    each; sway (no pointer): the guide starts in the focused window;
#  - next-line twice and previous-line once follow the lines over the blank;
#  - KWin: `lock` holds the band while the pointer rests on another line, a
#    second `lock` lets it follow; windows pushed by another program than
#    KWin are refused;
#  - the text cursor moved by the helper takes the band to its line.
# textlines.sh sway|kwin      (GTK_TEXT names gtk_text.py)
desktop=${1:-sway}
if [ "$desktop" = kwin ]; then
    source "$(dirname "$0")/kwin_lib.sh"
    kwin_start
    h_a11y_start
    sway_background "0 64 255"
    kwin_move 5 5 # out of the shots
else
    source "$(dirname "$0")/lib.sh"
    sway_start
    h_a11y_start --own-bus
fi
/usr/bin/python3 -c 'import gi; gi.require_version("Gtk", "3.0")' 2>/dev/null || wl_skip "python3-gi with GTK 3 is missing"
GDK_BACKEND=wayland h_start helper '^ready$' /usr/bin/python3 "$GTK_TEXT" 0 0 600 300 paragraphs
[ "$desktop" = kwin ] || swaymsg_ '[title="textlines gtk"]' floating enable, border normal 3, resize set 600 300, move position 150 120

# On sway, once it floats where it was moved: tiled, it shows its ten lines
# too, over the whole screen.
view_placed() { view_shown && { [ "$desktop" != sway ] || [ "$X0" -ge 150 ]; }; }
view_placed || wl_wait_for 10 view_placed || wl_fail "the view at $X0,$Y0-$X1,$Y1 shows ${#lines[@]} lines of ink, not 10: ${lines[*]}"
COL=$((X1 - 15)) # right of the text

tovani_config_home 'currentStyle=Highlight Bar' customThickness=4 customOpacity=0.6 followTextCursor=true
# Started with a command, it opens no window (and no notice over the view).
tovani_pointerless_guide

# The rows of the band in the view's column: "FIRST LAST", or "none".
band() { wl_shot "$COL" "$Y0" 1 $((Y1 - Y0)) | h_rows_off "255 255 255" "$Y0"; }
band_on() { h_band_on "$(band)" "${lines[$1]}"; } # LINE
expect() { wl_wait_for 5 band_on "$1" || wl_fail "$2: the band spans rows '$(band)', line $1's ink ${lines[$1]}"; }
# LINE low|high: the pointer rests 3 pixels inside the line's ink.
rest() { kwin_move $((X0 + 60)) "$(awk -v at="$2" '{ print at == "low" ? $2 - 3 : $1 + 3 }' <<<"${lines[$1]}")"; }
cmd() { tovani_cmd "$1" >/dev/null || wl_fail "tovani $1 failed"; }

if [ "$desktop" = kwin ]; then
    rest 2 low && expect 2 "resting low on line 2"
    rest 3 high && expect 3 "resting high on line 3"
else
    wl_wait_for 5 eval '[ "$(band)" != none ]' || wl_fail "the guide did not start in the focused window at $X0,$Y0-$X1,$Y1"
    wl_step_to 3
fi
# 4 and 5 have the blank line between them.
cmd next-line && expect 4 "next-line"
cmd next-line && expect 5 "next-line over the blank line"
cmd previous-line && expect 4 "previous-line over the blank line"

if [ "$desktop" = kwin ]; then
    rest 1 low && expect 1 "resting on line 1"
    cmd lock
    rest 7 high && sleep 0.5 && expect 1 "locked, the pointer resting on line 7"
    cmd lock
    rest 7 low && expect 7 "unlocked, the pointer resting on line 7"
    out=$(gdbus call --session --dest org.tovani.Tovani --object-path /org/tovani/Windows \
        --method org.tovani.Windows.Windows '"[]"' 2>&1)
    grep -q AccessDenied <<<"$out" || wl_fail "windows pushed by another program than KWin: $out"
fi

# Line 8 of the text is the helper's line 9, past the blank one.
echo caret 2 >&"${H_FD[helper]}" && expect 2 "the text cursor put on line 2"
echo caret 9 >&"${H_FD[helper]}" && expect 8 "the text cursor put on line 8"
tovani_quit
echo PASS
