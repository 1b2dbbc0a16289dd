# Helpers of the hot-key end-to-end tests, on top of lib.sh.
#
#   probe_start [ARGS...]     start $HOTKEY_PROBE (output in $PROBE_LOG, commands
#                             through a pipe) and wait for its first "ready"
#   probe_cmd CMD             send one command and wait until it is done
#   probe_mark                print the number of output lines so far
#   probe_wait MARK LINE [T]  wait until LINE (whole line) appears after MARK
#   probe_count MARK LINE     how often LINE appears after MARK
#   press_expect ID KEYS...   press KEYS (xdotool key) and expect exactly
#                             "activated ID 0" once, and nothing else activated
#   press_sync                press Ctrl+1 (id 5) and wait for it
#   grabber ARGS...           run $GRABBER (a competing X client); start it in
#                             the background as "$GRABBER", so that $! is its PID

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

: "${HOTKEY_PROBE:=}"
: "${GRABBER:=}"
[ -x "$HOTKEY_PROBE" ] || x11_fail "HOTKEY_PROBE is not set to the hotkey_probe helper"
[ -x "$GRABBER" ] || x11_fail "GRABBER is not set to the grabber helper"
command -v xdotool >/dev/null || x11_skip "xdotool is not installed"

PROBE_LOG="$X11_TMP/probe.log"
PROBE_PID=""

probe_start() {
    local fifo="$X11_TMP/probe.in"
    rm -f "$fifo"
    mkfifo "$fifo"
    : >"$PROBE_LOG"
    QT_QPA_PLATFORM=xcb "$HOTKEY_PROBE" "$@" <"$fifo" >"$PROBE_LOG" 2>"$X11_TMP/probe-stderr.log" &
    PROBE_PID=$!
    x11_track_pid $PROBE_PID
    exec 7>"$fifo"
    x11_wait_for 10 grep -qx ready "$PROBE_LOG" || x11_fail "the probe did not start"
}

probe_mark() { wc -l <"$PROBE_LOG"; }

probe_since() { tail -n +$(($1 + 1)) "$PROBE_LOG"; }

probe_has() { probe_since "$1" | grep -qx -- "$2"; }

probe_wait() {
    x11_wait_for "${3:-5}" probe_has "$1" "$2"
}

probe_count() { probe_since "$1" | grep -cx -- "$2"; }

probe_cmd() {
    local mark
    mark=$(probe_mark)
    echo "$*" >&7
    probe_wait "$mark" ready || x11_fail "the probe did not answer '$*'"
}

# Presses Ctrl+1 (id 5; Ctrl+2, id 6, with an argument of 5) and waits for it:
# everything sent before has been handled by then. Sent by keycode (10 and 11
# on the server's keymap), whatever the layout types on those keys.
press_sync() {
    local id=5 key=ctrl+10
    if [ "${1:-}" = 5 ]; then id=6 key=ctrl+11; fi
    local mark
    mark=$(probe_mark)
    xdotool key $key
    probe_wait "$mark" "activated $id 0" || x11_fail "$key (the synchronising key) did not reach the probe"
}

press_expect() {
    local id=$1
    shift
    local mark sync=5
    if [ "$id" = 5 ]; then sync=6; fi
    mark=$(probe_mark)
    xdotool key "$@"
    probe_wait "$mark" "activated $id 0" || x11_fail "$* did not activate id $id; got: $(probe_since "$mark" | tr '\n' ';')"
    press_sync "$id"
    local activations
    activations=$(probe_since "$mark" | grep '^activated' | grep -vx "activated $sync 0" || true)
    [ "$activations" = "activated $id 0" ] ||
        x11_fail "$* should activate id $id exactly once, got: $(echo "$activations" | tr '\n' ';')"
}

grabber() { "$GRABBER" "$@"; }

# The nine combinations of the application, by id, as xdotool keys on a US layout.
HOTKEY_KEYS=("" ctrl+shift+r ctrl+shift+t ctrl+shift+equal ctrl+shift+minus ctrl+1 ctrl+2 ctrl+3 ctrl+4 ctrl+5)

press_all_nine() {
    local id
    for id in 1 2 3 4 5 6 7 8 9; do
        press_expect "$id" "${HOTKEY_KEYS[$id]}"
    done
}

lock_state() { # lock_state "Num Lock" -> on/off
    xset q | grep -o "$1: *[a-z]*" | awk '{print $NF}'
}
