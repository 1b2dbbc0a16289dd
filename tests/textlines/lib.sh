# Helpers of the end-to-end tests of the text lines, on top of tests/x11/lib.sh
# (source that first):
#   textlines_helper gtk|qt|broken X Y W H
#                          shows the text helper (ten lines of DejaVu Sans
#                          Mono 16 px; broken: see broken_app.py) at that
#                          place and waits until it is ready; its PID is
#                          $TEXTLINES_HELPER_PID
#   textlines_caret N      the helper puts its text cursor on line N
#   textlines_say WORDS    sends the helper a command
#   textlines_ink X Y W H  the lines of ink (dark text on white) in the
#                          rectangle: "TOP BOTTOM" a line, bottom exclusive
#   textlines_band X Y H   the rows of a column that are not white: "TOP
#                          HEIGHT", or nothing
# The environment gives GTK_TEXT (gtk_text.py), BROKEN_APP (broken_app.py) and
# QT_TEXT (the qt_text helper).

# The system's Python has the GTK bindings (python3-gi); another one first on
# PATH may not.
TEXTLINES_PYTHON=$(command -v /usr/bin/python3 || command -v python3)
textlines_need_gtk() {
    "$TEXTLINES_PYTHON" -c 'import gi; gi.require_version("Gtk", "3.0")' 2>/dev/null || x11_skip "python3-gi with GTK 3 is missing"
}

textlines_helper() {
    local kind=$1 in="$X11_TMP/helper.in" out="$X11_TMP/helper.out"
    shift
    rm -f "$in" && mkfifo "$in" && : >"$out"
    case $kind in
    gtk) textlines_need_gtk
        "$TEXTLINES_PYTHON" "$GTK_TEXT" "$@" <"$in" >"$out" 2>"$X11_TMP/helper.log" & ;;
    broken) textlines_need_gtk
        "$TEXTLINES_PYTHON" "$BROKEN_APP" "$@" <"$in" >"$out" 2>"$X11_TMP/helper.log" & ;;
    qt) "$QT_TEXT" "$@" <"$in" >"$out" 2>"$X11_TMP/helper.log" & ;;
    *) x11_fail "textlines_helper: no helper $kind" ;;
    esac
    TEXTLINES_HELPER_PID=$!
    x11_track_pid $TEXTLINES_HELPER_PID
    exec {TEXTLINES_HELPER_FD}>"$in"
    x11_wait_for 15 grep -qx ready "$out" || x11_fail "the $kind text helper did not start"
}

textlines_say() { echo "$*" >&"$TEXTLINES_HELPER_FD"; }
textlines_caret() { textlines_say caret "$1"; }

textlines_ink() {
    local x=$1 y=$2 w=$3 h=$4 row start=-1
    for ((row = y; row < y + h; row++)); do
        if [ "$(x11_probe bbox-not 255 255 255 100 "$x" "$row" "$w" 1)" != none ]; then
            [ $start -ge 0 ] || start=$row
        elif [ $start -ge 0 ]; then
            echo "$start $row"
            start=-1
        fi
    done
    [ $start -lt 0 ] || echo "$start $((y + h))"
}

textlines_band() { x11_probe bbox-not 255 255 255 0 "$1" "$2" 1 "$3" | awk 'NF == 4 { print $2, $4 }'; }
