#!/usr/bin/env bash
# The GNOME Shell extension on headless gnome-shell (tests/gnome/lib.sh),
# driven over D-Bus by the test client (a band at 0.6 over the full width):
#   - start: the Shell's start until its Eval answers, and until the
#     extension owns its bus name; its enable() and disable() alone;
#   - moves: the pointer moved MOVES times by a Clutter virtual pointer from
#     a timer of INTERVAL_MS (1) inside the Shell, each to another row, with the guide shown
#     and hidden: moves and position-invalidated signals a second, stage
#     paints a second, and the Shell's CPU per move (all threads); the
#     difference between shown and hidden is what following the pointer costs
#     (ROUNDS of each by turns, default 3; the least CPU counts), and held
#     (shown, the band held on a row: nothing to draw again) what the
#     extension's own work costs, drawing aside;
#   - idle: signals and paints while the pointer rests with the guide shown.
#
#   bench/bench_wayland_gnome.sh [--check] BUILD_DIR
# Prints a table and "RESULT gnome.<key> ..." lines for bench/run. --check only
# says whether it can run here.
set -u
if [ "${1:-}" = --check ]; then
    command -v gnome-shell >/dev/null && [ -f "${2:-build}/gnome-shell/legacy/tovani@tovani.org/extension.js" ] &&
        /usr/bin/python3 -c 'import dbus, gi'
    exit
fi
BUILD=$(cd "${1:-build}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
# The variant for the Shell that runs (lib.sh).
export TOVANI_GNOME_VARIANTS=$BUILD/gnome-shell
if [ "${QUICK:-0}" = 1 ]; then MOVES=${MOVES:-500} IDLE_S=${IDLE_S:-3}; fi
MOVES=${MOVES:-3000} IDLE_S=${IDLE_S:-10}
source "$HERE/../tests/gnome/lib.sh"

gs_start
gs_wait_ext
start_ms=$(((GS_READY - GS_STARTED) / 1000000)) enable_ms=$((($(date +%s%N) - GS_STARTED) / 1000000))
# disable() and enable() themselves, microseconds (median of 20).
toggle_us=$(gs_eval 'const G = imports.gi.GLib, s = Main.extensionManager.lookup("tovani@tovani.org").stateObj;
const d = [], e = [], med = v => v.sort((a, b) => a - b)[10];
for (let i = 0; i < 20; i++) {
    let t = G.get_monotonic_time(); s.disable(); d.push(G.get_monotonic_time() - t);
    t = G.get_monotonic_time(); s.enable(); e.push(G.get_monotonic_time() - t);
}
med(e) + " " + med(d)' | tr -d '"')
gs_wait_ext

mkfifo "$GS_TMP/client.in"
"$GS_PY" "$GS_DIR/client.py" tovani <"$GS_TMP/client.in" >"$GS_TMP/client.out" 2>"$GS_TMP/client.log" &
gs_track_pid $!
exec 7>"$GS_TMP/client.in"
echo "band 255 191 0 0.6 12" >&7
gs_wait_for 10 grep -qx ok "$GS_TMP/client.out" || gs_fail "the client did not set the guide"

# Counters inside the Shell: pointer signals and stage paints.
gs_eval 'const t = global.backend?.get_cursor_tracker?.() ?? imports.gi.Meta.CursorTracker.get_for_display(global.display);
globalThis.benchCount = {signals: 0, paints: 0};
t.connect("position-invalidated", () => benchCount.signals++);
global.stage.connect("after-paint", () => benchCount.paints++); 0' >/dev/null
counts() { gs_eval 'benchCount.signals + " " + benchCount.paints' | tr -d '"'; }
cpu_ns() { local total=0 t v; for t in /proc/"$GS_PID"/task/*/schedstat; do read -r v _ <"$t" && total=$((total + v)); done; echo $total; }

stream() { # prints: moves/s signals/s paints/s CPU-us-per-move
    gs_move 640 100
    local c0 t0 n0 p0 c1 t1 n1 p1
    read -r n0 p0 < <(counts)
    c0=$(cpu_ns) t0=$(date +%s%N)
    gs_eval "$GS__DEVICES globalThis.benchLeft = $MOVES;
        G.timeout_add(G.PRIORITY_DEFAULT, ${INTERVAL_MS:-1}, () => {
            tovaniTestPointer.notify_absolute_motion(now(), 640, 100 + benchLeft % 600);
            return --benchLeft > 0;
        }); 0" >/dev/null
    gs_wait_for 120 gs__is 'benchLeft' 0 || gs_fail "the moves did not end"
    t1=$(date +%s%N) c1=$(cpu_ns)
    read -r n1 p1 < <(counts)
    awk -v n="$MOVES" -v s=$((n1 - n0)) -v p=$((p1 - p0)) -v t=$(((t1 - t0) / 1000)) -v c=$(((c1 - c0) / 1000)) \
        'BEGIN { printf "%.0f %.0f %.0f %.1f\n", n / t * 1e6, s / t * 1e6, p / t * 1e6, c / n }'
}
# Shown and hidden by turns, ROUNDS times each; the round of least CPU
# counts, as other programs on the machine only ever add to it.
least() { sort -g -k4 | head -n1; }
for ((r = 0; r < ${ROUNDS:-3}; r++)); do
    echo "visible 1" >&7
    sleep 0.5
    stream >>"$GS_TMP/shown"
    echo "hold 400" >&7
    sleep 0.5
    stream >>"$GS_TMP/held"
    echo "hold off" >&7
    echo "visible 0" >&7
    sleep 0.5
    stream >>"$GS_TMP/hidden"
done
shown=$(least <"$GS_TMP/shown") held=$(least <"$GS_TMP/held") hidden=$(least <"$GS_TMP/hidden")
echo "visible 1" >&7
sleep 1
read -r n0 p0 < <(counts)
sleep "$IDLE_S"
read -r n1 p1 < <(counts)

printf '%-28s %s\n' "Shell start (ms)" "$start_ms" "Extension on the bus (ms)" "$enable_ms" \
    "enable(), disable() (us)" "$toggle_us"
printf '%-28s %10s %10s %10s %12s\n' "" "moves/s" "signals/s" "paints/s" "CPU/move us"
printf '%-28s %10s %10s %10s %12s\n' "Guide shown" $shown "Guide held (not moved)" $held "Guide hidden" $hidden
echo "Pointer resting ${IDLE_S} s, guide shown: $((n1 - n0)) signals, $((p1 - p0)) paints"
echo "RESULT gnome.start $start_ms $enable_ms $toggle_us"
echo "RESULT gnome.shown $shown"
echo "RESULT gnome.held $held"
echo "RESULT gnome.hidden $hidden"
echo "RESULT gnome.idle $((n1 - n0)) $((p1 - p0)) $IDLE_S"
