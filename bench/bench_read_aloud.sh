#!/usr/bin/env bash
# Reading aloud: the gap between the end of one line's speech and the start
# of the next line's, measured against a GTK 3 text view and the stand-in
# speech server of the tests (tests/speech/ssip_server.py).
#
#   bench/bench_read_aloud.sh [BUILD_DIR]     (default: build)
#
# Xvfb 1280x1024 with picom, a private session and accessibility bus, the
# GTK 3 text helper of tests/textlines (ten lines), tovani with a highlight
# bar. ROUNDS times the pointer rests on the first line and `tovani
# read-aloud` reads the ten lines to the end. A gap is the time from the
# server sending a line's END until it receives the next line's SPEAK (its
# own clock, both ends): libspeechd's notification reaching tovani's main
# thread, the guide's step over the accessibility bus, and the next message
# sent. The first round asks the application for every line; the next ones
# may find the lines still remembered, as when reading on at once.
#
# Environment: ROUNDS (10). Prints "RESULT readaloud.gap MEDIAN P95 MAX N"
# (milliseconds) and "RESULT readaloud.first MEDIAN P95 MAX N" (first round).
set -u
BUILD=${1:-build}
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=${TOVANI_BIN:-$(cd "$BUILD" && pwd)/src/tovani}
export X11PROBE=${X11PROBE:-$(cd "$BUILD" && pwd)/tests/x11/x11probe}
export GTK_TEXT=$HERE/../tests/textlines/gtk_text.py
source "$HERE/../tests/x11/lib.sh"
source "$HERE/../tests/textlines/lib.sh"
ROUNDS=${ROUNDS:-10}

x11_start
x11_background "240 240 240"
a11y_start
textlines_helper gtk 700 100 500 300
mapfile -t lines < <(textlines_ink 708 100 300 300)
[ ${#lines[@]} -ge 10 ] || x11_fail "the text helper shows ${#lines[@]} lines of ink"
# 2 ms a character: the gap does not depend on how long a line speaks.
h_start speech '^ready$' "$TEXTLINES_PYTHON" "$HERE/../tests/speech/ssip_server.py" "$X11_TMP/speech.sock" right 2
export SPEECHD_ADDRESS="unix_socket:$X11_TMP/speech.sock"
log=$X11_TMP/speech.out
tovani_config_home "currentStyle=Highlight Bar" customThickness=4 customOpacity=0.6
x11_move 300 700
tovani_guide

ends() { grep -c ' end ' "$log"; }
read -r top bottom <<<"${lines[0]}"
for ((r = 1; r <= ROUNDS; r++)); do
    before=$(ends)
    x11_move 300 700
    sleep 0.2
    x11_move 800 $(((top + bottom) / 2 + 3))
    sleep 0.4
    tovani_cmd read-aloud >/dev/null || x11_fail "read-aloud failed"
    x11_wait_for 30 eval '[ $(ends) -ge $((before + 10)) ]' || x11_fail "round $r: not read to the end"
    sleep 0.3
done
tovani_stop

# END of a line to the SPEAK that follows it, within a round (of ten SPEAKs;
# the first of each follows the command, not a line's end).
gaps() { awk -v only="$1" '$2 == "end" { t = $1 }
    $2 == "say" { r = int(n / 10) + 1; if (n++ % 10 && (only == "" || r == only)) printf "%.1f\n", $1 - t }' "$log"; }
stats() { sort -g | awk '{ v[NR] = $1 } END { if (NR) printf "%.1f %.1f %.1f %d", v[int((NR + 1) / 2)], v[int(NR * 0.95 + 0.999)], v[NR], NR }'; }
all=$(gaps "" | stats)
first=$(gaps 1 | stats)
echo "RESULT readaloud.gap $all"
echo "RESULT readaloud.first $first"
echo "Gap between lines, ms (median p95 max count), $ROUNDS rounds of 10 lines: $all; first round: $first"
