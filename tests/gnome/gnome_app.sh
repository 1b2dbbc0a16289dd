#!/usr/bin/env bash
# Tovani itself on headless GNOME Shell with its extension, two monitors side
# by side, as a GNOME session starts it (XDG_CURRENT_DESKTOP=GNOME, no
# QT_QPA_PLATFORM, no X11):
#  - it takes the GNOME backend and says so; while another program holds
#    Tovani's name it says that instead, and takes the extension once that
#    program goes;
#  - the default underline follows the pointer on both monitors, in the exact
#    blend, on the monitor under the pointer only;
#  - the styles switched from Tovani's command line show at the pointer: the
#    highlight bar, the reading strip, the ruler, the focus window's shade
#    with its clear band and the brackets;
#  - Ctrl+Shift+R (bound by the Shell) turns it off and on (what `tovani
#    toggle` runs, test_overlay_guide and test_shell_cli check: the same
#    hiding as the shortcut's here);
#  - a click on the guide reaches the window beneath;
#  - when the extension reports no guide where Tovani wants one, Tovani
#    sends it all again (that other programs are denied the extension:
#    gnome_extension);
#  - the magnifier shows what lies around the pointer enlarged, framed;
#  - while the pointer rests neither Tovani nor the Shell does anything;
#  - quitting takes the guide away.
source "$(dirname "$0")/lib.sh"
[ -x "${WLPROBE:-}" ] || gs_fail "WLPROBE must name the wlprobe helper"

gs_start --monitors 2
gs_wait_ext
BG=$GS_BACKGROUND AMBER="255 191 0"
gs_move 640 300
QT_QPA_PLATFORM=wayland h_start clicks '^ready$' "$WLPROBE" background $BG

tovani_config_home globalHotkeysEnabled=true
# Another program holds Tovani's name on the bus: Tovani says so and leaves
# the extension alone until that program goes.
h_start squatter '^ready$' "$GS_PY" "$GS_DIR/client.py" tovani && SQUATTER=$H_PID
tovani_start toggle
tovani_expect_status "backend: gnome-shell, pointer: none, extension: failed"
kill $SQUATTER
tovani_expect_status "backend: gnome-shell, pointer: gnome-shell-extension, extension: active"

amber() { h_blend "$AMBER" "$1" "$BG"; }
# The underline: 4 points centred on the pointer's row, amber at 0.6.
band_at() { [ "$(gs_rows_off "$1" $(($2 - 20)) 40)" = "$(($2 - 2)) $(($2 + 1))" ] && gs_pixel_is "$1" "$2" "$(amber 0.6)"; }
while read -r x y column other; do
    gs_move "$x" "$y"
    gs_wait_for 10 band_at "$column" "$y" || gs_fail "no underline at column $column after a move to $x,$y: rows $(gs_rows_off "$column" $((y - 20)) 40)"
    [ "$(gs_rows_off "$other" $((y - 20)) 40)" = none ] || gs_fail "the guide shows on the other monitor at $other,$y too"
done <<'MOVES'
600 400 20 1300
600 200 1200 2500
1900 300 2500 20
2000 650 1300 600
300 700 20 1900
MOVES

# Each style at the pointer (row 700): the rows that differ from the
# background near it, and the colour of one row.
SHADE=$(h_blend "0 0 0" 0.6 "$BG")
# The ruler: 45 points at 0.85, its top edge red, two rows above a row on
# which half of the first falls.
EDGE=$(h_blend "255 59 48" 0.85 "$(amber 0.85)")
while IFS='|' read -r n rows row colour; do
    tovani_cmd style "$n" >/dev/null || gs_fail "'tovani style $n' failed"
    check() { [ "$(gs_rows_off 1 640 120)" = "$rows" ] && gs_pixel_is 1 "$row" "$colour"; }
    gs_wait_for 10 check || gs_fail "style $n: rows $(gs_rows_off 1 640 120) differ, row $row is $(gs_pixel 1 "$row")"
done <<STYLES
2|672 699|690|$(amber 0.5)
5|672 727|700|$BG
4|677 722|678|$EDGE
1|698 701|699|$(amber 0.6)
STYLES
# The focus window with the brackets: the shade above and below a clear
# band on the pointer's row, and a bracket 20% of the monitor's width from
# the pointer, across that row.
tovani_cmd style 3 >/dev/null && tovani_cmd brackets >/dev/null || gs_fail "'tovani style 3' or 'tovani brackets' failed"
focus() { gs_pixel_is 1 700 "$BG" && for y in 100 640 760; do gs_pixel_is 1 $y "$SHADE" || return 1; done && [ "$(gs_pixel $((300 + 256)) 700)" != "$BG" ]; }
gs_wait_for 10 focus || gs_fail "the focus window: rows 640/700/760 read $(gs_pixel 1 640) / $(gs_pixel 1 700) / $(gs_pixel 1 760), the bracket $(gs_pixel 556 700)"
gs_pixel_is 1500 100 "$BG" || gs_fail "the shade covers the other monitor too"
tovani_cmd brackets >/dev/null && tovani_cmd style 1 >/dev/null
gs_wait_for 10 band_at 20 700 || gs_fail "no underline after the focus window"

# A click on the guide reaches the window beneath.
gs_click
gs_wait_for 10 grep -qx "click 300 700 1" "$GS_TMP/clicks.out" ||
    gs_fail "the click did not pass through: $(cat "$GS_TMP/clicks.out")"

# The magnifier, drawn by the Shell: 512 x 64 points around the pointer
# (the span between the brackets, the guide's thickness and 60), framed in
# the guide's colour, with what lies beneath enlarged twice, smoothly: the
# underline 8 rows thick on the pointer's row, its edges blended.
tovani_cmd magnifier >/dev/null || gs_fail "'tovani magnifier' failed"
magnified() {
    [ "$(gs_rows_off 300 670 60)" = "695 704" ] && gs_pixel_is 300 700 "$(amber 0.6)" && band_at 20 700 &&
        gs_pixel_is 300 668 "$AMBER" && gs_pixel_is 300 731 "$AMBER" && ! gs_pixel_is 300 667 "$AMBER"
}
gs_wait_for 10 magnified || gs_fail "no magnifier at 300,700: rows $(gs_rows_off 300 670 60) differ, frame $(gs_pixel 300 668) / $(gs_pixel 300 731)"
tovani_cmd magnifier >/dev/null
gs_wait_for 10 band_at 300 700 || gs_fail "the magnifier stayed"

# The extension says it shows no guide while Tovani wants one: Tovani
# sends everything again.
h_start monitor NameAcquired dbus-monitor --session "interface='org.tovani.ShellExtension',member='SetGuide'"
gs_eval 'const {Gio, GLib} = imports.gi; Gio.DBus.session.emit_signal(null, "/org/tovani/ShellExtension",
    "org.freedesktop.DBus.Properties", "PropertiesChanged", new GLib.Variant("(sa{sv}as)",
    ["org.tovani.ShellExtension", {Visible: GLib.Variant.new_boolean(false)}, []]))' >/dev/null
gs_wait_for 10 grep -q "member=SetGuide" "$GS_TMP/monitor.out" || gs_fail "Tovani did not send its guide again"
gs_move 300 700

# Off and on by the shortcut the Shell bound.
off() { [ "$(gs_rows_off 20 680 40)" = none ]; }
gs_keys Control_L Shift_L r
gs_wait_for 10 off || gs_fail "Ctrl+Shift+R did not turn the guide off"
gs_keys Control_L Shift_L r
gs_wait_for 10 band_at 20 700 || gs_fail "Ctrl+Shift+R did not turn the guide on again"

# At rest: no wake-up of Tovani's, no frame of the Shell's, for 3 s.
gs_eval 'globalThis.tovaniTestPaints = 0; global.stage.connect("after-paint", () => tovaniTestPaints++); 0' >/dev/null
# After the Shell's message ("Guide on") has gone, and after the last time
# a rest with no line under it is asked again (1 s after the rest began).
gs_wait_for 10 gs__is 'Main.osdWindowManager._osdWindows.every(w => !w.visible)' true || gs_fail "the message stayed"
sleep 1.5
paints=$(gs_eval tovaniTestPaints) before=$(tovani_switches)
sleep 3
paints=$(($(gs_eval tovaniTestPaints) - paints)) woken=$(($(tovani_switches) - before))
[ "$woken" -le 3 ] || gs_fail "Tovani woke $woken times in 3 s at rest"
[ "$paints" = 0 ] || gs_fail "the Shell painted $paints frames in 3 s at rest"

tovani_quit
gs_wait_for 10 off || gs_fail "the guide stayed after Tovani quit"
echo PASS
