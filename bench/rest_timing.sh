# The timing loop of the rest-to-line benches (bench_wayland_*_rest.sh),
# sourced by them. Tovani runs with its log in $LOGF under
# QT_MESSAGE_PATTERN="%{category}: %{message}" and
# QT_LOGGING_RULES="tovani.lineguide.debug=true", which prints the wall clock
# at the end of each "on line" message.
#
#   rest_times AWAY TOWARDS  RESTS times: `AWAY I` moves the pointer where no
#                            line is, it rests PAUSE_MS there, then
#                            `TOWARDS I` moves it onto a line and sets
#                            REST_SENT to the wall clock of the move
#                            (seconds); the time until tovani logs the line
#                            goes into ms[] (ms), or counts in misses after
#                            1 s
#   rest_result              "MEDIAN P95 MAX MISSES RESTS" of those (ms)

placed() { grep -c 'tovani.lineguide: on line ' "$LOGF"; }

rest_times() {
    local i n w at
    ms=() misses=0
    for ((i = 0; i < RESTS; i++)); do
        "$1" "$i"
        sleep "$(awk -v p="$PAUSE_MS" 'BEGIN { print p / 1000 }')"
        n=$(placed) REST_SENT=""
        "$2" "$i"
        [ -n "$REST_SENT" ] || return 1
        for ((w = 0; w < 200; w++)); do
            [ "$(placed)" -gt "$n" ] && break
            sleep 0.005
        done
        if [ "$(placed)" -gt "$n" ]; then
            at=$(grep 'tovani.lineguide: on line ' "$LOGF" | sed -n "$((n + 1))p" | awk '{ print $NF }')
            ms+=("$(awk -v a="$REST_SENT" -v b="$at" 'BEGIN { printf "%.1f", (b - a) * 1000 }')")
        else
            misses=$((misses + 1))
        fi
    done
}

rest_result() {
    (for v in "${ms[@]}"; do echo "$v"; done) | sort -g | awk -v m="$misses" -v n="$RESTS" '{ v[NR] = $1 }
        END { if (!NR) { print "- - -", m, n; exit } i = int(0.95 * NR + 0.5); if (i < 1) i = 1
              printf "%.1f %.1f %.1f %d %d\n", v[int((NR + 1) / 2)], v[i], v[NR], m, n }'
}
