#!/usr/bin/env bash
# Start-up time to a ready tray icon, measured on a real X server.
#
#   bench/bench_startup.sh [BUILD_DIR]     (default: build)
#
# Xvfb with picom and trayer as the tray host. tovani starts on fresh
# settings; the time runs from the launch until its tray icon window sits
# embedded in trayer's panel (found with xwininfo every 10 ms). RUNS launches
# (default 5), each on a fresh X server; reported min/median/max in ms, also
# as a line "RESULT startup.tray_ms min median max runs" for bench/run.
set -u
BUILD=${1:-build}
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=${TOVANI_BIN:-$(cd "$BUILD" && pwd)/src/tovani}
export X11PROBE=${X11PROBE:-$(cd "$BUILD" && pwd)/tests/x11/x11probe}
RUNS=${RUNS:-5}
command -v xwininfo >/dev/null || { echo "xwininfo is not installed" >&2; exit 77; }

one_run() {
    (
        source "$HERE/../tests/x11/lib.sh"
        x11_start --tray
        sleep 0.5 # let the tray host settle
        # The icon is embedded once it is a grandchild of trayer's panel
        # window: deeper in the tree than any top-level window.
        embedded() {
            xwininfo -root -tree 2>/dev/null |
                grep -Eq '^ {9,}0x[0-9a-f]+ "tovani": \("tovani" "tovani"\)'
        }
        local start end
        start=$(date +%s%N)
        tovani_start
        for _ in $(seq 1 1500); do
            embedded && break
            sleep 0.01
        done
        end=$(date +%s%N)
        embedded || x11_fail "no tray icon after 15 s"
        echo $(((end - start) / 1000000))
    )
}

times=()
for i in $(seq 1 "$RUNS"); do
    t=$(one_run 2>/dev/null) || { echo "run $i failed" >&2; exit 1; }
    echo "run $i: $t ms"
    times+=("$t")
done
read -r mn md mx < <(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)], v[NR] }')
echo "start-up to an embedded tray icon: min $mn ms, median $md ms, max $mx ms ($RUNS runs)"
echo "RESULT startup.tray_ms $mn $md $mx $RUNS"
