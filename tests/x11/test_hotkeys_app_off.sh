#!/usr/bin/env bash
# With the shortcut switch off (the default), tovani grabs nothing: every one
# of the nine combinations reaches the focused window, and the settings and
# the screen stay as they were.
source "$(dirname "$0")/hotkey_lib.sh"

x11_start --tray
tovani_config_home
printf '[General]\nglobalHotkeysEnabled=false\ncurrentStyle=Ruler\n' >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
tovani_start
x11_wait_for 20 test -S "$XDG_RUNTIME_DIR/tovani.socket" || x11_fail "tovani did not open its socket"
tovani_cmd brackets || x11_fail "tovani did not answer"
tovani_cmd brackets || x11_fail "tovani did not answer"

# A focused window that prints the keys it receives (and registers nothing).
probe_start --no-register --window
x11_wait_for 10 bash -c '[ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = hotkey-probe ]' ||
    x11_fail "the probe window did not get the focus"
before=$(cat "$TOVANI_CONFIG_HOME/tovani/tovani.conf")

# Keycodes and modifier states of the nine combinations on the server's US
# keymap (Ctrl 4, Shift 1).
expected=("" "key 27 5" "key 28 5" "key 21 5" "key 20 5" "key 10 4" "key 11 4" "key 12 4" "key 13 4" "key 14 4")
for id in 1 2 3 4 5 6 7 8 9; do
    mark=$(probe_mark)
    xdotool key "${HOTKEY_KEYS[$id]}"
    probe_wait "$mark" "${expected[$id]}" 5 ||
        x11_fail "${HOTKEY_KEYS[$id]} did not reach the focused window: $(probe_since "$mark" | tr '\n' ';')"
done

# Nothing changed in tovani: no guide, the same settings.
x11_probe wait-window "Tovani Guide" 0 >/dev/null && x11_fail "the guide shows"
[ "$(cat "$TOVANI_CONFIG_HOME/tovani/tovani.conf")" = "$before" ] ||
    x11_fail "the settings changed: $(tr '\n' ';' <"$TOVANI_CONFIG_HOME/tovani/tovani.conf")"
grep -qx "currentStyle=Ruler" "$TOVANI_CONFIG_HOME/tovani/tovani.conf" || x11_fail "the stored style was lost"
# And none of the keys is grabbed by anyone.
for key in AD04 AD05 AE12 AE11 AE01 AE02 AE03 AE04 AE05; do
    grabber --exit --any "$key:none" >/dev/null || x11_fail "a grab of $key is held with the switch off"
done
kill -0 "$TOVANI_PID" || x11_fail "tovani exited"
echo PASS
