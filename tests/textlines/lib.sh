# Helpers of the end-to-end tests of the text lines, on top of tests/x11/lib.sh
# (source that first):
#   textlines_helper gtk|qt|broken X Y W H
#                          shows the text helper (ten lines of DejaVu Sans
#                          Mono 16 px; broken: see broken_app.py) at that
#                          place and waits until it is ready
#   textlines_say WORDS    sends the helper a command ("caret N": it puts its
#                          text cursor on line N)
#   textlines_ink X Y W H  the lines of ink (dark text on white) in the
#                          rectangle: "TOP BOTTOM" a line, bottom exclusive,
#                          read from a shot by $TEXTLINES_SHOT (x11_shot)
#   textlines_band X Y H   the rows of a column that are not white: "FIRST
#                          LAST", or "none"
# The environment gives GTK_TEXT (gtk_text.py), BROKEN_APP (broken_app.py) and
# QT_TEXT (the qt_text helper).

# The system's Python has the GTK bindings (python3-gi); another one first on
# PATH may not.
TEXTLINES_PYTHON=$(command -v /usr/bin/python3 || command -v python3)
textlines_need_gtk() {
    "$TEXTLINES_PYTHON" -c 'import gi; gi.require_version("Gtk", "3.0")' 2>/dev/null || x11_skip "python3-gi with GTK 3 is missing"
}

textlines_helper() {
    local kind=$1
    shift
    case $kind in
    gtk) textlines_need_gtk && h_start helper '^ready$' "$TEXTLINES_PYTHON" "$GTK_TEXT" "$@" ;;
    broken) textlines_need_gtk && h_start helper '^ready$' "$TEXTLINES_PYTHON" "$BROKEN_APP" "$@" ;;
    qt) h_start helper '^ready$' "$QT_TEXT" "$@" ;;
    *) x11_fail "textlines_helper: no helper $kind" ;;
    esac
}

textlines_say() { echo "$*" >&"${H_FD[helper]}"; }

textlines_ink() { ${TEXTLINES_SHOT:-x11_shot} "$@" | h_ink "$3" "$2"; }

textlines_band() { x11_probe bbox-not 255 255 255 0 "$1" "$2" 1 "$3" | awk '{ print NF == 4 ? $2 " " $2 + $4 - 1 : "none" }'; }
