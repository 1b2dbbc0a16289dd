# Helpers of the hot-key end-to-end tests, on top of lib.sh.
#
#   probe_start [ARGS...]     start $HOTKEY_PROBE (output in $PROBE_LOG, commands
#                             through a pipe) and wait for its first "ready"
#   probe_cmd CMD             send one command and wait until it is done
#   probe_quit                end the probe and fail unless it exits cleanly
#   probe_mark                the number of output lines so far
#   probe_since MARK          the output lines after MARK
#   probe_has MARK LINE, probe_wait MARK LINE [T]
#                             LINE (a whole-line pattern) is there after MARK /
#                             wait for it (5 s)
#   press_expect "IDS" KEYS...
#                             press KEYS (xdotool key); exactly the ids IDS must
#                             fire, in that order, as presses, and nothing else
#   press_all_nine            the nine combinations, each once
#   grabber_free KEYNAME...   no client holds any grab of these keys
#   grabber_hold COMBO        keep $GRABBER holding COMBO (KEYNAME:MODS) in the
#                             background; its output is $GRAB_LOG, its PID $GRAB_PID

# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

[ -x "${HOTKEY_PROBE:-}" ] && [ -x "${GRABBER:-}" ] || x11_fail "HOTKEY_PROBE and GRABBER must name the helpers"
command -v xdotool >/dev/null || x11_skip "xdotool is not installed"

PROBE_LOG="$X11_TMP/probe.log" PROBE_PID="" GRAB_LOG="$X11_TMP/grabber.log" GRAB_PID=""
# The nine combinations of the application by id (as xdotool keys on a US
# layout), and their XKB key names.
HOTKEY_KEYS=("" ctrl+shift+r ctrl+shift+t ctrl+shift+equal ctrl+shift+minus ctrl+1 ctrl+2 ctrl+3 ctrl+4 ctrl+5)
NINE_KEYS=(AD04 AD05 AE12 AE11 AE01 AE02 AE03 AE04 AE05)

probe_start() {
    rm -f "$X11_TMP/probe.in" && mkfifo "$X11_TMP/probe.in"
    QT_QPA_PLATFORM=xcb "$HOTKEY_PROBE" "$@" <"$X11_TMP/probe.in" >"$PROBE_LOG" 2>"$X11_TMP/probe-stderr.log" &
    PROBE_PID=$!
    x11_track_pid $PROBE_PID
    exec 7>"$X11_TMP/probe.in"
    x11_wait_for 10 grep -qx ready "$PROBE_LOG" || x11_fail "the probe did not start"
}
probe_mark() { wc -l <"$PROBE_LOG"; }
probe_since() { tail -n +$(($1 + 1)) "$PROBE_LOG"; }
probe_has() { probe_since "$1" | grep -qx -- "$2"; }
probe_wait() { x11_wait_for "${3:-5}" probe_has "$1" "$2"; }
probe_cmd() {
    local mark=$(probe_mark)
    echo "$*" >&7
    probe_wait "$mark" ready || x11_fail "the probe did not answer '$*'"
}
probe_quit() { echo quit >&7; wait "$PROBE_PID" || x11_fail "the probe exited with an error after quitting"; }

# press_expect sends Ctrl+1 (id 5, by keycode, whatever the layout) after KEYS
# and waits for as many reports as it expects: everything sent before the
# marker has been handled once it shows, so a missing report times out and an
# extra one shows in the comparison.
probe_reports() { [ "$(probe_since "$1" | grep -c '^activated')" -ge "$2" ]; }
press_expect() {
    local want="" id mark got n=$(($(wc -w <<<"$1") + 1))
    for id in $1 5; do want+="activated $id 0;"; done
    shift
    mark=$(probe_mark)
    xdotool key "$@" ctrl+10
    x11_wait_for 5 probe_reports "$mark" $n
    got=$(probe_since "$mark" | grep '^activated' | tr '\n' ';')
    [ "$got" = "$want" ] || x11_fail "$* should give '$want' but gave '$got'"
}
press_all_nine() { press_expect "1 2 3 4 5 6 7 8 9" "${HOTKEY_KEYS[@]:1}"; }

grabber_free() { "$GRABBER" --exit --any "${@/%/:none}" >/dev/null; }
grabber_hold() {
    "$GRABBER" "$1" >"$GRAB_LOG" 2>&1 &
    GRAB_PID=$!
    x11_track_pid $GRAB_PID
    x11_wait_for 5 grep -qx "grabbed ${1%%:*}" "$GRAB_LOG" || x11_fail "grabber could not grab $1: $(cat "$GRAB_LOG")"
}
