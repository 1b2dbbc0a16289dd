# AtspiTextLines against a real GTK 3 text view or Qt 6 QTextEdit, on Xvfb
# with a private session and accessibility bus: the line under a point, the
# next and previous lines and the caret's line lie on the line's ink, and the
# accessibility switch is off again once the probe quits.
#   test_textlines_e2e.sh gtk|qt [--compositor] [--bench N]
# With --bench N, prints the latency of N lines asked afresh instead, and a
# line "RESULT textlines_snap_ms MEDIAN P95" for bench/run.
source "$(dirname "$0")/../x11/lib.sh"
source "$(dirname "$0")/lib.sh"

kind=$1 compositor=0 bench=()
shift
while [ $# -gt 0 ]; do
    case $1 in
    --compositor) compositor=1 ;;
    --bench) bench=(--bench "$2") && shift ;;
    *) x11_fail "unknown option $1" ;;
    esac
    shift
done
if [ $compositor = 1 ]; then x11_start; else x11_start --no-compositor; fi
a11y_start
[ "$(a11y_enabled)" = false ] || x11_fail "the accessibility switch was on before the probe"
case $kind in
gtk) textlines_need_gtk
    helper=("$TEXTLINES_PYTHON" "$GTK_TEXT") ;;
qt) helper=("$QT_TEXT") ;;
*) x11_fail "no helper $kind" ;;
esac
QT_QPA_PLATFORM=xcb "$TEXTLINES_PROBE" "${bench[@]}" "${helper[@]}" || x11_fail "the probe failed with $kind"
[ "$(a11y_enabled)" = false ] || x11_fail "the accessibility switch was left on"
