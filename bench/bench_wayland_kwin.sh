#!/usr/bin/env bash
# Tovani on headless KWin (tests/wayland/kwin_lib.sh): the guide on, the
# pointer from KWin's script, moved through KWin's fake-input protocol.
#   - CPU per move: moves at 250 and 1000 a second (each to another row), CPU
#     time of all of tovani's threads per move, and KWin's (the desktop's
#     side: it runs the script and composites);
#   - motion to screen: after a rest, one move to a row far from the guide,
#     then the time until the guide's pixel there changes on KWin's screen,
#     read back through org.kde.KWin.ScreenShot2 as fast as it answers (its
#     own time per picture, printed too, is the resolution of this figure);
#   - idle: context switches of tovani with the guide on and the pointer
#     resting.
#
#   bench/bench_wayland_kwin.sh [--check] BUILD_DIR
# Prints a table and "RESULT kwin.<key> ..." lines for bench/run. --check only
# says whether it can run here.
set -u
if [ "${1:-}" = --check ]; then
    command -v kwin_wayland >/dev/null && [ -x "${2:-build}/tests/wayland/fakeinput" ] && /usr/bin/python3 -c 'import dbus'
    exit
fi
BUILD=$(cd "${1:-build}" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
export TOVANI_BIN=$BUILD/src/tovani FAKEINPUT=$BUILD/tests/wayland/fakeinput WLPROBE=$BUILD/tests/wayland/wlprobe
if [ "${QUICK:-0}" = 1 ]; then MOVES=${MOVES:-300} RUNS=${RUNS:-2} LATENCY_N=${LATENCY_N:-20} IDLE_S=${IDLE_S:-3}; fi
MOVES=${MOVES:-1000} RUNS=${RUNS:-3} LATENCY_N=${LATENCY_N:-100} IDLE_S=${IDLE_S:-10}
W=1280 H=800
source "$HERE/../tests/wayland/kwin_lib.sh"

cpu_ns() { # all threads of the given processes, nanoseconds
    local total=0 p t v
    for p in "$@"; do
        for t in /proc/"$p"/task/*/schedstat; do read -r v _ <"$t" && total=$((total + v)); done
    done
    echo $total
}
stats() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.1f %.1f %.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'; }
per_move() { awk -v a="$1" -v b="$2" -v n="$MOVES" 'BEGIN { printf "%.2f", (b - a) / n / 1000 }'; }

kwin_start --size ${W}x${H}
sway_background "240 240 240"
export XDG_CONFIG_HOME=$KWIN_TMP/tovani-config
kwin_move 640 400
"$TOVANI_BIN" toggle >"$KWIN_TMP/tovani.log" 2>&1 &
TOVANI_PID=$!
kwin_track_pid $TOVANI_PID
kwin_wait_for 20 eval 'timeout 20 "$TOVANI_BIN" status 2>/dev/null | grep -q "pointer: kwin-script"' ||
    kwin_fail "tovani is not on KWin's pointer: $(timeout 20 "$TOVANI_BIN" status 2>&1)"
sleep 1

echo "CPU per move (us) on KWin ${W}x${H}, min median max of $RUNS x $MOVES moves; KWin: median"
for hz in 250 1000; do
    per=() desk=()
    for r in $(seq 1 "$RUNS"); do
        b=$(cpu_ns $TOVANI_PID) db=$(cpu_ns "$KWIN_PID")
        kwin__fake stream "$MOVES" $hz $W $H
        sleep 0.3 # the last frame
        a=$(cpu_ns $TOVANI_PID) da=$(cpu_ns "$KWIN_PID")
        per+=("$(per_move "$b" "$a")") desk+=("$(per_move "$db" "$da")")
    done
    s=$(stats "${per[@]}")
    read -r _ d _ <<<"$(stats "${desk[@]}")"
    printf '  %4d Hz: tovani %s   KWin %s\n' $hz "$s" "$d"
    echo "RESULT kwin.moves.$hz $s $d"
done

# Motion to screen, in one Python process: it moves through the fake-input
# helper and reads the pixel under the new row until it changes.
echo "Motion to screen (ms): median p95 max timeouts, and KWin's time per picture (median)"
lat=$(LATENCY_N=$LATENCY_N W=$W H=$H FAKE_IN="$KWIN_TMP/fake.in" FAKE_OUT="$KWIN_TMP/fake.out" "$KWIN_PY" - <<'PY'
import os, statistics, time, dbus
bus = dbus.SessionBus()
shot = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"), "org.kde.KWin.ScreenShot2")
def pixel(x, y):
    r, w = os.pipe()
    fd = dbus.types.UnixFd(w)
    os.close(w)
    shot.CaptureArea(x, y, 1, 1, {"native-resolution": False}, fd)
    del fd
    with os.fdopen(r, "rb") as f:
        return f.read()[:3]
fin = open(os.environ["FAKE_IN"], "w")
def move(x, y):
    n = sum(1 for _ in open(os.environ["FAKE_OUT"]))
    fin.write("move %d %d\n" % (x, y)); fin.flush()
    while sum(1 for _ in open(os.environ["FAKE_OUT"])) <= n:
        time.sleep(0.0002)
n, w, h = int(os.environ["LATENCY_N"]), int(os.environ["W"]), int(os.environ["H"])
ms, shots, timeouts = [], [], 0
for i in range(n):
    y = (h // 4 if i % 2 == 0 else 3 * h // 4) + (i // 2) % 8
    time.sleep(0.06)
    before = pixel(w // 2 + 100, y)
    move(w // 2, y)
    sent = time.monotonic()
    while True:
        t0 = time.monotonic()
        now = pixel(w // 2 + 100, y)
        shots.append(time.monotonic() - t0)
        if now != before:
            ms.append((time.monotonic() - sent) * 1000)
            break
        if time.monotonic() - sent > 0.5:
            timeouts += 1
            break
ms.sort()
at = lambda q: ms[min(len(ms) - 1, int(q * len(ms)))] if ms else 0
print("%.2f %.2f %.2f %d %.2f" % (at(0.5), at(0.95), ms[-1] if ms else 0, timeouts, statistics.median(shots) * 1000))
PY
)
echo "  $lat"
echo "RESULT kwin.latency $lat"

sleep 1.5
c0=$(cat /proc/$TOVANI_PID/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }')
sleep "$IDLE_S"
c1=$(cat /proc/$TOVANI_PID/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }')
echo "Idle, guide on, pointer resting: $((c1 - c0)) wake-ups in $IDLE_S s"
echo "RESULT kwin.idle $((c1 - c0)) $IDLE_S"
