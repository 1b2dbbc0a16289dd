# Shared helpers of the end-to-end tests: sourced by bash scripts in tests/x11/.
#
#   x11_start [--no-compositor] [--tray] [--size WxH]
#                          Xvfb on a free display (DISPLAY is exported), picom
#                          --backend xrender unless --no-compositor, trayer with --tray
#   x11_move X Y           move the pointer through XTest (root pixel coordinates)
#   x11_pixel X Y          print "R G B" (0-255) of a root window pixel
#   x11_screenshot FILE    PNG of the root window
#   x11_wait_for T CMD...  retry CMD until it succeeds or T seconds pass (then exit 1)
#   tovani_start [ARGS...] start $TOVANI_BIN with a fresh XDG_CONFIG_HOME
#                          ($TOVANI_CONFIG_HOME); its PID is $TOVANI_PID
#   tovani_stop            stop the last tovani started (SIGTERM, then SIGKILL)
#   tovani_config_home     create the fresh configuration directory now, so a
#                          test can write tovani/tovani.conf before tovani_start
#                          (which then uses it once instead of a new one); call
#                          it again after tovani_stop to restart on the same
#                          settings: TOVANI_REUSE_CONFIG=1 tovani_start
#
# Also: x11_fail MSG (prints and exits 1), x11_skip MSG (exit 77: ctest shows
# the test as skipped), x11_probe ARGS... (the x11probe helper), X11_TMP (a
# scratch directory removed at exit). Everything started here is stopped by
# PID when the script exits.
#
# The environment gives TOVANI_BIN (the tovani executable) and X11PROBE (the
# probe helper); ctest sets both.

set -u

X11_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tovani-x11.XXXXXX")
X11_PIDS=()          # stopped in reverse order at exit
X11_SCREEN_SIZE=""
TOVANI_PID=""
TOVANI_CONFIG_HOME=""
: "${X11PROBE:=}"
: "${TOVANI_BIN:=}"

x11_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

x11_skip() {
    echo "SKIP: $*" >&2
    exit 77
}

x11__log() { echo "[x11] $*" >&2; }

x11__stop_pid() {
    local pid=$1
    kill -0 "$pid" 2>/dev/null || return 0
    kill -TERM "$pid" 2>/dev/null
    local i
    for i in $(seq 1 40); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

x11__cleanup() {
    local rc=$?
    local i
    for ((i = ${#X11_PIDS[@]} - 1; i >= 0; i--)); do
        x11__stop_pid "${X11_PIDS[$i]}"
    done
    if [ $rc -ne 0 ] && [ $rc -ne 77 ]; then
        local f
        for f in "$X11_TMP"/*.log; do
            [ -s "$f" ] || continue
            echo "--- $(basename "$f") (last lines) ---" >&2
            tail -n 30 "$f" >&2
        done
    fi
    rm -rf "$X11_TMP"
    exit $rc
}
trap x11__cleanup EXIT
trap 'exit 130' INT TERM

# Remembers a background process for the cleanup.
x11_track_pid() { X11_PIDS+=("$1"); }

x11_probe() {
    [ -x "$X11PROBE" ] || x11_fail "X11PROBE is not set to the x11probe helper"
    "$X11PROBE" "$@"
}

x11_wait_for() {
    local timeout=$1
    shift
    local deadline=$(($(date +%s%N) + ${timeout%.*} * 1000000000))
    if [[ $timeout == *.* ]]; then
        local frac=${timeout#*.}
        frac=${frac:0:3}
        while [ ${#frac} -lt 3 ]; do frac="${frac}0"; done
        deadline=$((deadline + 10#$frac * 1000000))
    fi
    while true; do
        if "$@" >/dev/null 2>&1; then return 0; fi
        if [ "$(date +%s%N)" -ge "$deadline" ]; then return 1; fi
        sleep 0.05
    done
}

x11_start() {
    local compositor=1 tray=0 size=1280x1024
    while [ $# -gt 0 ]; do
        case $1 in
        --no-compositor) compositor=0 ;;
        --tray) tray=1 ;;
        --size)
            size=$2
            shift
            ;;
        *) x11_fail "x11_start: unknown option $1" ;;
        esac
        shift
    done
    command -v Xvfb >/dev/null || x11_skip "Xvfb is not installed"
    X11_SCREEN_SIZE=$size

    # The server picks a free display itself and writes its number once it
    # accepts connections: no guessing, no race with other servers starting.
    local fdfile="$X11_TMP/displayfd"
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp +extension RANDR -noreset \
        3>"$fdfile" >"$X11_TMP/xvfb.log" 2>&1 &
    local xpid=$!
    x11_track_pid $xpid
    local i
    for i in $(seq 1 200); do
        if grep -q '^[0-9][0-9]*$' "$fdfile" 2>/dev/null && [ "$(wc -l <"$fdfile")" -ge 1 ]; then break; fi
        kill -0 $xpid 2>/dev/null || x11_fail "Xvfb exited: $(cat "$X11_TMP/xvfb.log")"
        sleep 0.05
    done
    local num
    num=$(head -n1 "$fdfile" | tr -dc '0-9')
    [ -n "$num" ] || x11_fail "Xvfb did not report a display"
    export DISPLAY=":$num"
    x11_wait_for 10 x11_probe pointer || x11_fail "Xvfb on $DISPLAY does not accept connections"
    x11__log "Xvfb $DISPLAY ${size} (pid $xpid)"

    if [ $compositor -eq 1 ]; then
        command -v picom >/dev/null || x11_skip "picom is not installed"
        # No configuration file: no shadows, no fading, no rounded corners, so
        # every pixel on screen is an exact blend of the windows.
        picom --backend xrender --config /dev/null --no-fading-openclose >"$X11_TMP/picom.log" 2>&1 &
        x11_track_pid $!
        x11_wait_for 10 x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "picom did not start"
        x11__log "picom (pid $!)"
    fi
    if [ $tray -eq 1 ]; then
        command -v trayer >/dev/null || x11_skip "trayer is not installed"
        trayer --edge top --align right --widthtype request --height 24 --transparent false \
            --tint 0x202020 --expand true --SetDockType true >"$X11_TMP/trayer.log" 2>&1 &
        x11_track_pid $!
        x11_wait_for 10 x11_probe selection-owned _NET_SYSTEM_TRAY_S0 || x11_fail "trayer did not start"
        x11__log "trayer (pid $!)"
    fi
    # Start from a known pointer position.
    x11_move 0 0
}

x11_move() {
    xte "mousemove $1 $2" || x11_fail "xte could not move the pointer"
}

x11_pixel() {
    x11_probe pixel "$1" "$2"
}

x11_screenshot() {
    import -window root "$1" 2>/dev/null || x11_fail "could not take a screenshot"
}

tovani_start() {
    [ -x "$TOVANI_BIN" ] || x11_fail "TOVANI_BIN is not set to the tovani executable"
    if [ "${TOVANI_REUSE_CONFIG:-0}" != 1 ] || [ ! -d "$TOVANI_CONFIG_HOME" ]; then
        TOVANI_CONFIG_HOME=$(mktemp -d "$X11_TMP/config.XXXXXX")
    fi
    TOVANI_REUSE_CONFIG=0
    local n=${#X11_PIDS[@]}
    env -u TOVANI_PLATFORM XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" QT_QPA_PLATFORM=xcb \
        "$TOVANI_BIN" "$@" >"$X11_TMP/tovani-$n.log" 2>&1 &
    TOVANI_PID=$!
    x11_track_pid $TOVANI_PID
    export TOVANI_CONFIG_HOME TOVANI_PID
    x11__log "tovani (pid $TOVANI_PID) config $TOVANI_CONFIG_HOME"
}

tovani_config_home() {
    TOVANI_CONFIG_HOME=$(mktemp -d "$X11_TMP/config.XXXXXX")
    mkdir -p "$TOVANI_CONFIG_HOME/tovani"
    TOVANI_REUSE_CONFIG=1
    export TOVANI_CONFIG_HOME
}

tovani_stop() {
    [ -n "$TOVANI_PID" ] && x11__stop_pid "$TOVANI_PID"
    TOVANI_PID=""
}
