# The core of the end-to-end test libraries (tests/x11/lib.sh and
# tests/wayland/lib.sh, kwin_lib.sh source it): `harness_init P` makes a
# scratch directory $H_TMP, removed at exit (its *.log printed when the test
# fails), and defines for the prefix P:
#   P_fail MSG, P_skip MSG (exit 77: ctest shows the test as skipped)
#   P_track_pid PID       stopped at exit, newest first (SIGTERM, then SIGKILL
#                         after $H_STOP_SECONDS, default 2); P__stop_pid PID now
#   P_wait_for T CMD...   retry CMD until it succeeds or T seconds pass (then
#                         return 1). CMD's arguments are expanded once: to wait
#                         for a value, compare inside a function
# and for every prefix:
#   h_start NAME PATTERN CMD...
#                         CMD in the background (tracked; its PID in $H_PID),
#                         its output in $H_TMP/NAME.out, its errors in NAME.log,
#                         its input a pipe the test writes to (>&"${H_FD[NAME]}");
#                         fails unless a line of its output matches the grep
#                         PATTERN within 15 s
#   h_lines NAME, h_since NAME N, h_has_since NAME N LINE
#                         lines of NAME's output so far; the lines after the
#                         first N; whether LINE is one of them
#   h_ask NAME LINE ANSWER [T]
#                         sends LINE, fails unless ANSWER follows within T s (10)
# Everything is stopped by PID at exit: do not set an EXIT trap of your own.
# `harness_prefix P` defines those functions for another prefix of the same
# test (a library built on another one).
# H_AT_EXIT names a command run first at exit (to track what else to stop).
# XDG_RUNTIME_DIR is a folder of the test's own ($H_TMP/run): tovani keeps one
# running copy per user, reached through a socket there, and this keeps it
# apart from any copy the person running the tests has open, and from other
# tests.
#   h_session_bus "$@"    (before harness_init) runs the test again inside a
#                         private session bus (dbus-run-session), once
#   h_private_xdg         XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME and
#                         XDG_STATE_HOME in $H_TMP, exported
#   h_has_name NAME       the session bus name has an owner
#   h_ink W Y0 [LEVEL]    the rows of ink in a shot (see below)
#   h_rows_off BG Y0      the rows of a column that differ from BG (below)
#   h_mid "A Z"           the middle row of the rows A to Z
#   h_band_on "FIRST LAST" "A Z"
#                         a band of those rows has both edges within 5 pixels
#                         of the ink of a line from row A to Z (exclusive)
#   h_blend "R G B" ALPHA "R G B"
#                         the colour of the first drawn at ALPHA over the second
# Tovani itself, on every desktop (a library puts what its desktop needs in
# H_TOVANI_ENV, e.g. QT_QPA_PLATFORM=xcb):
#   tovani_config_home [KEY=VALUE...]
#                         create a fresh settings folder ($TOVANI_CONFIG_HOME,
#                         with a settings file of those lines, if any), which
#                         the next tovani_start uses instead of a new one;
#                         TOVANI_REUSE_CONFIG=1 tovani_start reuses the last
#   tovani_start [ARGS...] $TOVANI_BIN in the background; its PID is
#                         $TOVANI_PID, its output in $TOVANI_LOG
#   tovani_cmd ARGS...    the tovani command beside the running copy, as a
#                         person runs it, stopped after $TOVANI_CMD_TIMEOUT s (20)
#   tovani_stop, tovani_quit (`tovani quit`, and it ends), tovani_pass (fails
#                         unless the copy still runs; else PASS)
#   tovani_expect_status PATTERN
#                         wait up to 20 s until `tovani status` matches the glob
#   tovani_switches       how often tovani's threads have been switched out so far
#                         (woken and put to sleep)
#   tovani_conf, tovani_conf_has LINE, tovani_expect_conf LINE WHAT
#                         the settings file; whether it holds the line
#                         (KEY=VALUE); wait up to 10 s for it, else fail
set -u
H_PIDS=() H_STOP_SECONDS=2 H_AT_EXIT=true H_TOVANI_ENV="" TOVANI_PID="" TOVANI_CONFIG_HOME=""
: "${TOVANI_BIN:=}"

h_fail() { echo "FAIL: $*" >&2; exit 1; }
h_skip() { echo "SKIP: $*" >&2; exit 77; }
h_track_pid() { H_PIDS+=("$1"); }

h_stop_pid() {
    kill -TERM "$1" 2>/dev/null || return 0
    timeout "$H_STOP_SECONDS" tail --pid="$1" -s 0.05 -f /dev/null || kill -KILL "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 0
}

declare -A H_FD=()
h_start() {
    local name=$1 pattern=$2 fd
    shift 2
    rm -f "$H_TMP/$name.in" && mkfifo "$H_TMP/$name.in" && : >"$H_TMP/$name.out"
    "$@" <"$H_TMP/$name.in" >"$H_TMP/$name.out" 2>"$H_TMP/$name.log" &
    H_PID=$! && h_track_pid $H_PID
    [ -z "${H_FD[$name]:-}" ] || eval "exec ${H_FD[$name]}>&-"
    exec {fd}>"$H_TMP/$name.in"
    H_FD[$name]=$fd
    h_wait_for 15 grep -q -- "$pattern" "$H_TMP/$name.out" ||
        h_fail "$name did not start: $(tail -n 5 "$H_TMP/$name.out" "$H_TMP/$name.log")"
}
h_lines() { wc -l <"$H_TMP/$1.out"; }
h_since() { tail -n +$(($2 + 1)) "$H_TMP/$1.out"; }
h_has_since() { h_since "$1" "$2" | grep -qx -- "$3"; }
h_ask() {
    local m
    m=$(h_lines "$1")
    echo "$2" >&"${H_FD[$1]}"
    h_wait_for "${4:-10}" h_has_since "$1" "$m" "$3" ||
        h_fail "$1: '$2' did not answer '$3': $(h_since "$1" "$m" | tr '\n' ';')"
}

h_wait_for() {
    local deadline=$(($(date +%s%N) + $(awk -v t="$1" 'BEGIN { printf "%.0f", t * 1e9 }')))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

h__cleanup() {
    local rc=$? i f
    $H_AT_EXIT
    for ((i = ${#H_PIDS[@]} - 1; i >= 0; i--)); do h_stop_pid "${H_PIDS[$i]}"; done
    [ $rc = 0 ] || [ $rc = 77 ] || for f in "$H_TMP"/*.log; do
        [ -s "$f" ] && { echo "--- $(basename "$f") (last lines) ---"; tail -n 40 "$f"; } >&2
    done
    rm -rf "$H_TMP"
    exit $rc
}

harness_init() {
    harness_prefix "$1"
    # A second library in the same test (X11's helpers on sway) shares the first's folder.
    [ -z "${H_TMP:-}" ] || return 0
    H_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tovani-$1.XXXXXX")
    export XDG_RUNTIME_DIR="$H_TMP/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    trap h__cleanup EXIT
    trap 'exit 130' INT TERM
}

harness_prefix() {
    local f
    for f in fail skip track_pid wait_for; do eval "$1_$f() { h_$f \"\$@\"; }"; done
    eval "$1__stop_pid() { h_stop_pid \"\$@\"; }"
}

# An accessibility bus (at-spi-bus-launcher) on the session bus, and with
# --own-bus a private session bus first (DBUS_SESSION_BUS_ADDRESS exported);
# skips the test when they are missing. Exports QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# for Qt; the accessibility switch lives in memory (GSETTINGS_BACKEND).
h_a11y_start() {
    [ -x /usr/libexec/at-spi-bus-launcher ] || h_skip "at-spi2-core is not installed"
    if [ "${1:-}" = --own-bus ]; then
        command -v dbus-daemon >/dev/null || h_skip "dbus-daemon is not installed"
        h_start session-bus '^unix:' dbus-daemon --session --nofork --nopidfile --print-address
        export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$H_TMP/session-bus.out")
    fi
    export GSETTINGS_BACKEND=memory
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$H_TMP/at-spi.log" 2>&1 & h_track_pid $!
    # Asked without starting it: the bus would start a launcher of its own.
    h_wait_for 10 h_has_name org.a11y.Bus || h_fail "the accessibility bus did not start"
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    unset NO_AT_BRIDGE # it would keep GTK applications off the bus
}

# The colour of the first drawn at ALPHA over the second, as a Wayland
# compositor blends 8-bit premultiplied colour (alpha and colour rounded first).
h_blend() {
    awk -v a="$2" -v f="$1" -v b="$3" 'BEGIN { split(f, F, " "); split(b, B, " "); a = int(a * 255 + 0.5)
        for (i = 1; i <= 3; i++) printf "%d%s", int(F[i] * a / 255 + 0.5) + B[i] * (255 - a) / 255 + 0.5, i < 3 ? " " : "\n" }'
}

# The rows of ink in a shot ("R G B" a pixel, W a row, from row Y0) on
# standard input: "TOP BOTTOM" (bottom exclusive) for each run of rows with a
# pixel darker than LEVEL (default 155) in a channel.
h_ink() {
    awk -v w="$1" -v y="$2" -v l="${3:-155}" '$1 < l || $2 < l || $3 < l { ink[int((NR - 1) / w)] = 1 }
        END { for (r = 0; r <= NR / w; r++) if ((r in ink) != (r - 1 in ink)) printf "%d%s", y + r, (r in ink) ? " " : "\n" }'
}

# The rows of a column ("R G B" a pixel on standard input, from row Y0) that
# differ from BG: "FIRST LAST", or "none".
h_rows_off() { awk -v bg="$1" -v y0="$2" '$0 != bg { if (f == "") f = NR - 1 + y0; l = NR - 1 + y0 } END { print f == "" ? "none" : f " " l }'; }

h_mid() { echo $(((${1% *} + ${1#* }) / 2)); } # "A Z": the middle row

h_band_on() { echo "$1 $2" | awk 'NF == 4 { d = $1 - $3; e = $2 + 1 - $4; exit !(d * d <= 25 && e * e <= 25) } { exit 1 }'; }

h_session_bus() {
    [ -z "${H_SESSION_BUS:-}" ] || return 0
    command -v dbus-run-session >/dev/null || h_skip "dbus-run-session is not installed"
    exec dbus-run-session -- env H_SESSION_BUS=1 bash "$0" "$@"
}
h_private_xdg() {
    local d
    for d in config data cache state; do export "XDG_${d^^}_HOME=$H_TMP/$d" && mkdir -p "$H_TMP/$d"; done
}
h_has_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:"$1" |
        grep -q 'boolean true'
}

tovani_config_home() {
    TOVANI_CONFIG_HOME=$(mktemp -d "$H_TMP/config.XXXXXX") TOVANI_REUSE_CONFIG=1
    mkdir -p "$TOVANI_CONFIG_HOME/tovani"
    [ $# = 0 ] || printf '%s\n' '[General]' "$@" >"$(tovani_conf)"
    export TOVANI_CONFIG_HOME
}
tovani_start() {
    [ -x "$TOVANI_BIN" ] || h_fail "TOVANI_BIN is not set to the tovani executable"
    [ "${TOVANI_REUSE_CONFIG:-0}" = 1 ] || tovani_config_home
    TOVANI_REUSE_CONFIG=0 TOVANI_LOG="$H_TMP/tovani-${#H_PIDS[@]}.log"
    env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" $H_TOVANI_ENV "$TOVANI_BIN" "$@" >"$TOVANI_LOG" 2>&1 &
    TOVANI_PID=$! && h_track_pid $!
    echo "[harness] tovani $* (pid $TOVANI_PID) config $TOVANI_CONFIG_HOME" >&2
}
tovani_cmd() { env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" $H_TOVANI_ENV timeout "${TOVANI_CMD_TIMEOUT:-20}" "$TOVANI_BIN" "$@"; }
tovani_stop() { [ -z "$TOVANI_PID" ] || h_stop_pid "$TOVANI_PID"; TOVANI_PID=""; }
tovani_pass() { kill -0 "$TOVANI_PID" || h_fail "tovani exited"; echo PASS; }
tovani_quit() {
    tovani_cmd quit >/dev/null
    h_wait_for 10 eval "! kill -0 $TOVANI_PID 2>/dev/null" || h_fail "tovani did not quit"
}
tovani__status_is() { [[ "$(tovani_cmd status 2>/dev/null)" == $1 ]]; }
tovani_expect_status() { h_wait_for 20 tovani__status_is "$1" || h_fail "tovani status: '$(tovani_cmd status 2>&1)', not '$1'"; }
tovani_switches() { awk '/ctxt_switches/ { n += $2 } END { print n }' /proc/"$TOVANI_PID"/task/*/status; }
tovani_conf() { echo "$TOVANI_CONFIG_HOME/tovani/tovani.conf"; }
tovani_conf_has() { grep -qxF "$1" "$(tovani_conf)" 2>/dev/null; }
tovani_expect_conf() {
    h_wait_for 10 tovani_conf_has "$1" || h_fail "$2: the settings file has no '$1': $(tr '\n' ';' <"$(tovani_conf)" 2>/dev/null)"
}
