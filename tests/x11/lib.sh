# Shared helpers of the end-to-end tests: sourced by bash scripts in tests/x11/.
#
#   x11_start [--no-compositor] [--tray] [--size WxH] [--dual]
#                          Xvfb on a free display (DISPLAY is exported), picom
#                          --backend xrender unless --no-compositor, trayer with --tray.
#                          --dual: Xorg with the dummy driver instead, two monitors
#                          DUMMY0 and DUMMY1 of 1280x1024 side by side (needs root;
#                          the test is skipped otherwise)
#   x11_move X Y           move the pointer through XTest (root pixel coordinates)
#   x11_pixel X Y          print "R G B" (0-255) of a root window pixel
#   x11_screenshot FILE    PNG of the root window
#   x11_wait_for T CMD...  retry CMD until it succeeds or T seconds pass (then exit 1).
#                          CMD's arguments are expanded once: to wait for a value,
#                          compare inside a function (x11_pixel_is, x11_bbox_is)
#   x11_pixel_is X Y "R G B", x11_bbox_is "R G B" X Y W H "X Y W H"|none
#   x11_blend "R G B" ALPHA "R G B", x11_near "R G B" "R G B" TOL,
#   x11_expect_pixel X Y "R G B" TOL
#   tovani_start [ARGS...] start $TOVANI_BIN with a fresh XDG_CONFIG_HOME
#                          ($TOVANI_CONFIG_HOME); its PID is $TOVANI_PID
#   tovani_stop            stop the last tovani started (SIGTERM, then SIGKILL)
#   tovani_cmd ARGS...     the tovani command beside the running copy, as a
#                          person runs it (same settings and runtime folder),
#                          stopped after $TOVANI_CMD_TIMEOUT seconds (20)
#   tovani_conf            the path of the settings file
#   tovani_conf_has LINE   the settings file holds the line (KEY=VALUE)
#   tovani_expect_conf LINE WHAT
#                          wait up to 10 s for the line, else fail saying WHAT
#   tovani_own_pids        the tovani processes of this test, one PID a line
#   tovani_config_home     create the fresh configuration directory now, so a
#                          test can write tovani/tovani.conf before tovani_start
#                          (which then uses it once instead of a new one); call
#                          it again after tovani_stop to restart on the same
#                          settings: TOVANI_REUSE_CONFIG=1 tovani_start
#
# Also: x11_fail MSG (prints and exits 1), x11_skip MSG (exit 77: ctest shows
# the test as skipped), x11_probe ARGS... (the x11probe helper), X11_TMP (a
# scratch directory removed at exit), x11_track_pid PID (stop a process of
# your own at exit), X11_PICOM_PID. Everything started here is stopped by PID
# when the script exits: do not set an EXIT trap of your own (it would replace
# this one). The library runs with `set -u`; logs of the servers and of tovani
# ($X11_TMP/*.log) are printed when a test fails.
#
# The environment gives TOVANI_BIN (the tovani executable) and X11PROBE (the
# probe helper); ctest sets both.

set -u

X11_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tovani-x11.XXXXXX")
# tovani keeps one running copy per user, reached through a socket in
# XDG_RUNTIME_DIR; a folder of the test's own keeps it apart from any copy the
# person running the tests has open, and from other tests.
export XDG_RUNTIME_DIR="$X11_TMP/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
X11_PIDS=()          # stopped in reverse order at exit
X11_SCREEN_SIZE=""
TOVANI_PID=""
X11_PICOM_PID=""     # the compositor started by x11_start, if any
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
    local compositor=1 tray=0 size=1280x1024 dual=0
    while [ $# -gt 0 ]; do
        case $1 in
        --no-compositor) compositor=0 ;;
        --tray) tray=1 ;;
        --dual) dual=1 ;;
        --size)
            size=$2
            shift
            ;;
        *) x11_fail "x11_start: unknown option $1" ;;
        esac
        shift
    done
    local fdfile="$X11_TMP/displayfd"
    : >"$fdfile"
    local xpid
    if [ $dual -eq 1 ]; then
        [ "$(id -u)" -eq 0 ] || x11_skip "two monitors need Xorg with the dummy driver, run as root"
        command -v Xorg >/dev/null || x11_skip "Xorg is not installed"
        ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 || x11_skip "the Xorg dummy driver is not installed"
        size=2560x1024
        cat >"$X11_TMP/xorg.conf" <<'XORG'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoEnableDevices" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2560 1024
    EndSubSection
EndSection
XORG
        Xorg -displayfd 3 -config "$X11_TMP/xorg.conf" -logfile "$X11_TMP/xorg-server.log" -noreset \
            -sharevts -novtswitch -nolisten tcp 3>"$fdfile" >"$X11_TMP/xorg.log" 2>&1 &
        xpid=$!
    else
        command -v Xvfb >/dev/null || x11_skip "Xvfb is not installed"
        # The server picks a free display itself and writes its number once
        # it accepts connections: no guessing, no race with other servers.
        Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp +extension RANDR -noreset \
            3>"$fdfile" >"$X11_TMP/xvfb.log" 2>&1 &
        xpid=$!
    fi
    X11_SCREEN_SIZE=$size
    x11_track_pid $xpid
    local i
    for i in $(seq 1 600); do
        if grep -q '^[0-9][0-9]*$' "$fdfile" 2>/dev/null && [ "$(wc -l <"$fdfile")" -ge 1 ]; then break; fi
        kill -0 $xpid 2>/dev/null || x11_fail "the X server exited: $(cat "$X11_TMP"/x*.log)"
        sleep 0.05
    done
    local num
    num=$(head -n1 "$fdfile" | tr -dc '0-9')
    [ -n "$num" ] || x11_fail "the X server did not report a display"
    export DISPLAY=":$num"
    x11_wait_for 10 x11_probe pointer || x11_fail "the X server on $DISPLAY does not accept connections"
    if [ $dual -eq 1 ]; then
        xrandr --addmode DUMMY1 1280x1024 &&
            xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 --primary \
                --output DUMMY1 --mode 1280x1024 --right-of DUMMY0 ||
            x11_fail "could not set up two monitors"
    fi
    x11__log "X server $DISPLAY ${size} (pid $xpid)"

    if [ $compositor -eq 1 ]; then
        command -v picom >/dev/null || x11_skip "picom is not installed"
        # No configuration file: no shadows, no fading, no rounded corners, so
        # every pixel on screen is an exact blend of the windows.
        picom --backend xrender --config /dev/null --no-fading-openclose >"$X11_TMP/picom.log" 2>&1 &
        X11_PICOM_PID=$!
        x11_track_pid $X11_PICOM_PID
        x11_wait_for 10 x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "picom did not start"
        x11__log "picom (pid $X11_PICOM_PID)"
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
    env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" QT_QPA_PLATFORM=xcb \
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

# x11_blend "R G B" ALPHA "R G B": the colour of the first drawn at ALPHA over
# the second, as the compositor blends it ("R G B", rounded).
x11_blend() {
    awk -v a="$2" -v f="$1" -v b="$3" 'BEGIN {
        split(f, F, " "); split(b, B, " ");
        printf "%d %d %d\n", F[1]*a + B[1]*(1-a) + 0.5, F[2]*a + B[2]*(1-a) + 0.5, F[3]*a + B[3]*(1-a) + 0.5 }'
}

# x11_near "R G B" "R G B" TOL: every channel within TOL.
x11_near() {
    awk -v x="$1" -v y="$2" -v t="$3" 'BEGIN {
        n = split(x, X, " "); m = split(y, Y, " "); if (n != 3 || m != 3) exit 1;
        for (i = 1; i <= 3; i++) { d = X[i] - Y[i]; if (d < 0) d = -d; if (d > t) exit 1 } }'
}

# x11_expect_pixel X Y "R G B" TOL: fails the test unless the pixel is near.
x11_expect_pixel() {
    local got
    got=$(x11_pixel "$1" "$2")
    x11_near "$got" "$3" "$4" || x11_fail "pixel ($1, $2) is '$got', expected '$3' (tolerance $4)"
}

# For x11_wait_for (arguments are expanded once, so compare inside a function):
# x11_pixel_is X Y "R G B"
x11_pixel_is() { [ "$(x11_pixel "$1" "$2")" = "$3" ]; }
# x11_bbox_is "R G B" X Y W H EXPECTED: the box of pixels differing from the
# colour within the rectangle is EXPECTED ("X Y W H" or "none").
x11_bbox_is() { [ "$(x11_probe bbox-not $1 0 "$2" "$3" "$4" "$5")" = "$6" ]; }

tovani_cmd() {
    env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" QT_QPA_PLATFORM=xcb \
        timeout "${TOVANI_CMD_TIMEOUT:-20}" "$TOVANI_BIN" "$@"
}

tovani_conf() { echo "$TOVANI_CONFIG_HOME/tovani/tovani.conf"; }

tovani_conf_has() { grep -qxF "$1" "$(tovani_conf)" 2>/dev/null; }

tovani_expect_conf() {
    x11_wait_for 10 tovani_conf_has "$1" ||
        x11_fail "$2: the settings file has no '$1': $(tr '\n' ';' <"$(tovani_conf)" 2>/dev/null)"
}

# By their runtime folder, which is the test's own.
tovani_own_pids() {
    local pid
    for pid in $(pgrep -x tovani); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && echo "$pid"
    done
    return 0
}
