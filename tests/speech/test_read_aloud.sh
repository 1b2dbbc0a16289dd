#!/usr/bin/env bash
# Reading aloud end to end: a GTK 3 text view on a private accessibility bus,
# tovani, and the stand-in speech server (ssip_server.py, on a private socket,
# logs what it is asked to say). Each row starts tovani against a server in
# some state, rests the pointer, gives `tovani read-aloud` and checks what was
# said, where the band was meanwhile and what the command answered. The
# desktop's part is the first block's functions: READ_ALOUD_SESSION=sway
# defines them for headless sway (tests/wayland/lib.sh), where there is no
# pointer: the guide steps to the line, the rows that move the pointer are left out.
source "$(dirname "$0")/../x11/lib.sh"
source "$(dirname "$0")/../textlines/lib.sh"

case ${READ_ALOUD_SESSION:-x11} in
x11)
    command -v xte >/dev/null || x11_skip "xte is not installed (xautomation)"
    x11_start
    x11_background "240 240 240"
    # "FIRST LAST" rows of the band in a blank column of the helper, right of the
    # messages tovani shows at the display's centre.
    desk_band() { textlines_band 1150 103 294; }
    desk_move() { x11_move "$@"; }
    desk_row() { :; } # SERVER LINE WHAT: the row applies to this desktop
    rest_on() { # LINE: the pointer rests on it, the guide settles there
        desk_move 800 $(($(h_mid "${lines[$1]}") + 3))
        x11_wait_for 5 band_on "$1" || x11_fail "resting on line $1: the band spans '$(desk_band)'"
    }
    ;;
sway) # no pointer: the guide starts in the focused window and steps to the line
    source "$(dirname "$0")/../wayland/lib.sh"
    sway_start
    desk_row() { [ "$2" != - ] && [ "$3" != stray ]; }
    desk_band() { wl_shot 1150 103 1 294 | h_rows_off "255 255 255" 103; }
    desk_move() { :; }
    TEXTLINES_SHOT=wl_shot
    textlines_helper() { # sway floats it where X11 puts it
        h_start helper '^ready$' "$TEXTLINES_PYTHON" "$GTK_TEXT" "${@:2}"
        swaymsg_ '[title="textlines gtk"]' floating enable, resize set "$4" "$5", move position "$2" "$3"
        x11_wait_for 10 eval '[ $(textlines_ink 708 100 300 300 | wc -l) -ge 10 ]'
    }
    tovani_guide() {
        tovani_pointerless_guide
        x11_wait_for 5 eval '[ "$(desk_band)" != none ]' || x11_fail "the guide did not start in the focused window"
    }
    rest_on() { wl_step_to "$1"; }
    ;;
esac

a11y_start
textlines_helper gtk 700 100 500 300
mapfile -t lines < <(textlines_ink 708 100 300 300)
[ ${#lines[@]} -ge 10 ] || x11_fail "the helper shows ${#lines[@]} lines of ink: ${lines[*]}"

band_on() { h_band_on "$(desk_band)" "${lines[$1]}"; } # LINE

# The speech server: MODE of ssip_server.py, or "none" for no server at all.
speech_server() {
    export SPEECHD_ADDRESS="unix_socket:$X11_TMP/speech-$1.sock"
    [ "$1" = none ] || h_start "speech-$1" '^ready$' "$TEXTLINES_PYTHON" "$(dirname "$0")/ssip_server.py" \
        "$X11_TMP/speech-$1.sock" "$1"
    SPOKEN="$X11_TMP/speech-$1.out"
}
said() { awk '$2 == "say" { $1 = $2 = $3 = ""; sub(/^ +/, ""); print }' "$SPOKEN" 2>/dev/null; }
said_count() { said | wc -l; }
# The id of the Nth message (from 1); whether message ID ended, or was cancelled.
msg_id() { awk '$2 == "say" { if (++n == '"$1"') print $3 }' "$SPOKEN"; }
ended() { grep -q " ${2:-end} $1\$" "$SPOKEN"; }
# A second later, still N messages said and tovani answering.
quiet_after() {
    sleep 1
    [ "$(said_count)" = "$1" ] || x11_fail "$row: said on: $(said | tail -n 1)"
    TOVANI_CMD_TIMEOUT=2 tovani_cmd status >/dev/null || x11_fail "$row: tovani does not answer any more"
}

# COUNT messages from line FIRST on, each the next line, the band on it while spoken.
expect_reading() {
    local first=$1 count=$2 n
    for ((n = 1; n <= count; n++)); do
        x11_wait_for 10 eval '[ $(said_count) -ge '$n' ]' || x11_fail "message $n never came; said: $(said | tr '\n' '|')"
        # gtk_text.py's lines
        [ "$(said | sed -n ${n}p)" = "Line $((first + n - 1)): quietly fly past the big jumping dog" ] ||
            x11_fail "message $n is '$(said | sed -n ${n}p)', not line $((first + n - 1))"
        band_on $((first + n - 1)) && ! ended "$(msg_id $n)" ||
            x11_fail "while line $((first + n - 1)) was spoken the band spanned '$(desk_band)'"
    done
}

# SERVER | LINE the pointer rests on (- for the background) | what follows:
#  read N: N lines read from LINE on at the stored rate and voice, read-aloud stops it at once
#  end: read to the last line, then it stops by itself
#  error TEXT: the command fails with one sentence holding TEXT; nothing said
#  stray: the pointer moves away during a line: reading stops
#  gone: the server ends during a line: tovani runs on and reads again from a new server
#  stuck: no useful answer: tovani keeps answering while it waits, gives up, quits on request
rows=(
    "right|2|read 3"
    "right|7|end"
    "right|4|stray"
    "right|-|error No text to read here"
    "none|3|error install the package \"speech-dispatcher\""
    "right|5|gone"
    "silent|3|stuck"
    "garbage|3|stuck"
)
for row in "${rows[@]}"; do
    IFS='|' read -r server line what <<<"$row"
    desk_row "$server" "$line" "$what" || continue
    speech_server "$server"
    tovani_config_home "currentStyle=Highlight Bar" customThickness=4 customOpacity=0.6 speechRate=-30 \
        'speechVoice="Chloe, young"'
    desk_move 650 600
    tovani_guide
    if [ "$line" = - ]; then desk_move 300 700 && sleep 0.3; else rest_on "$line"; fi
    answer=$(tovani_cmd read-aloud 2>&1)
    case $what in
    read*)
        expect_reading "$line" "${what#read }"
        grep -q ' rate -30$' "$SPOKEN" && grep -q ' voice Chloe, young$' "$SPOKEN" ||
            x11_fail "$row: the stored rate and voice did not reach the server: $(grep -E ' (rate|voice) ' "$SPOKEN")"
        tovani_cmd read-aloud || x11_fail "$row: the second read-aloud failed"
        x11_wait_for 2 ended "$(msg_id "${what#read }")" cancel || x11_fail "$row: the line was not cancelled"
        quiet_after "${what#read }"
        band_on $((line + ${what#read } - 1)) || x11_fail "$row: the guide left the line it stopped on"
        ;;
    end)
        expect_reading "$line" $((10 - line))
        x11_wait_for 5 ended "$(msg_id $((10 - line)))" || x11_fail "$row: the last line never ended"
        quiet_after $((10 - line))
        band_on 9 || x11_fail "$row: at the end of the text the band spans '$(desk_band)'"
        ;;
    stray)
        expect_reading "$line" 1
        desk_move 800 60
        x11_wait_for 2 ended "$(msg_id 1)" cancel || x11_fail "$row: moving away did not cancel"
        quiet_after 1
        ;;
    gone)
        expect_reading "$line" 1
        kill "${H_PID}" && quiet_after 1
        speech_server right
        rest_on 6
        tovani_cmd read-aloud >/dev/null || x11_fail "$row: read-aloud failed with the server back"
        expect_reading 6 1
        ;;
    stuck)
        quiet_after 0 && sleep 4 && quiet_after 0 # beyond tovani's 4 s wait for an answer
        tovani_cmd quit >/dev/null || x11_fail "$row: tovani quit failed"
        x11_wait_for 5 eval "! kill -0 $TOVANI_PID" || x11_fail "$row: tovani did not end"
        ;;
    error*)
        [[ $answer == *"${what#error }"* && $(wc -l <<<"$answer") = 1 ]] ||
            x11_fail "$row: read-aloud answered '$answer'"
        quiet_after 0
        ;;
    esac
    tovani_stop
done
echo PASS
