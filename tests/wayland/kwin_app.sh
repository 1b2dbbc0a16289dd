#!/usr/bin/env bash
# Tovani itself in a KDE Plasma-like session on headless KWin with two outputs
# side by side (WAYLAND_DISPLAY, no DISPLAY, no QT_QPA_PLATFORM), and the XDG
# desktop portal with KDE's backend:
#  - it chooses the Wayland backend with KWin's pointer, and says so;
#  - with the guide on, the band follows the fake pointer on both outputs: the
#    rows within 1 px of the pointer's are the exact blend of the default
#    underline (amber at 0.6), the rows beyond it untouched;
#  - a click on the band reaches the window beneath;
#  - the magnifier, switched on, shows no box of Tovani's, on the pointer or
#    anywhere else: where KWin draws with OpenGL its own magnifier is on at the
#    zoom set, over the span between the brackets and the guide's height + 60,
#    turns off on the command, and leaves the person's own values in kwinrc
#    when off, after quitting and at the start after Tovani was killed;
#    elsewhere it is not even loaded;
#  - Ctrl+Shift+R, bound through the portal, turns the guide off and on;
#  - quitting leaves no script in KWin.
source "$(dirname "$0")/kwin_lib.sh"
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 || kwin_skip "Qt's Wayland plugin is not installed"

kwin_start --outputs 2
kwin_portal_start
BG="0 64 255" AMBER="255 191 0" BLACK="0 0 0"
sway_background "$BG"

# Global shortcuts are off until switched on. Tovani shares KWin's settings
# folder, as in a session, where kwinrc holds the person's own magnifier width.
export TOVANI_CONFIG_HOME=$XDG_CONFIG_HOME TOVANI_REUSE_CONFIG=1
mkdir -p "$XDG_CONFIG_HOME/tovani" && printf '[General]\nglobalHotkeysEnabled=true\nmagnifierEnabled=true\nmagnifierZoom=3\n' >"$XDG_CONFIG_HOME/tovani/tovani.conf"
printf '\n[Effect-magnifier]\nWidth=123\n' >>"$XDG_CONFIG_HOME/kwinrc"
kwin_move 600 400
tovani_start toggle
tovani_expect_status "backend: wayland, pointer: kwin-script"

# band_at X Y UNDER: column X around row Y reads UNDER, then the band on rows
# Y-2 .. Y+1 (the underline of 4 points on the pointer's row), then UNDER.
band_at() { local band=$(h_blend "$AMBER" 0.6 "$3"); [ "$(wl_shot "$1" $(($2 - 3)) 1 6)" = "$(printf '%s\n' "$3" "$band" "$band" "$band" "$band" "$3")" ]; }
# follow X Y X2 UNDER: after a move to X,Y the band shows at column X2.
follow() { kwin_move "$1" "$2" && kwin_wait_for 5 band_at "$3" "$2" "$4" ||
    kwin_fail "no band at row $2 after a move to $1,$2: rows $(($2 - 3))..$(($2 + 2)) of column $3 read $(wl_shot "$3" $(($2 - 3)) 1 6 | tr '\n' ',')"; }
follow 600 400 20 "$BG"
# No magnifier box, neither on the pointer nor mid-screen: rows 380-389, above
# the band and the cursor, read the background only.
[ "$(wl_shot 0 380 1280 10 | sort -u)" = "$BG" ] ||
    kwin_fail "a box shows above the band: rows 380-389 read $(wl_shot 0 380 1280 10 | sort | uniq -c | sort -rn | head -3 | tr '\n' ';')"
effect() { dbus-send --session --print-reply --dest=org.kde.KWin /Effects org.kde.kwin.Effects.$1 string:magnifier; }
zoomed() {
    dbus-send --session --print-reply --dest=org.kde.KWin /Effects org.freedesktop.DBus.Properties.Get \
        string:org.kde.kwin.Effects string:activeEffects | grep -q '"magnifier"'
}
entries() { sed -n '/^\[Effect-magnifier\]/,/^\[/p' "$XDG_CONFIG_HOME/kwinrc" | grep -E '^(Width|Height|InitialZoom)=' | sort | tr '\n' ' '; }
GL=$(effect isEffectSupported | grep -c 'boolean true')
if [ "$GL" = 1 ]; then
    kwin_wait_for 10 zoomed || kwin_fail "KWin's magnifier did not turn on: kwinrc has $(entries)"
    dbus-send --session --print-reply --dest=org.kde.KWin /KWin org.kde.KWin.supportInformation |
        grep -A3 '^magnifier:' | grep -q 'targetZoom: 3$' || kwin_fail "KWin's magnifier is not at zoom 3"
    [ "$(entries)" = "Height=64 InitialZoom=3 Width=512 " ] || kwin_fail "KWin's magnifier is set to $(entries)"
    tovani_cmd magnifier >/dev/null
    kwin_wait_for 10 eval '! zoomed' || kwin_fail "KWin's magnifier did not turn off"
    kwin_wait_for 5 eval '[ "$(entries)" = "Width=123 " ]' || kwin_fail "off, kwinrc keeps $(entries)"
    tovani_cmd magnifier >/dev/null
    kwin_wait_for 10 zoomed || kwin_fail "KWin's magnifier did not turn on again"
else
    effect isEffectLoaded | grep -q 'boolean false' || kwin_fail "KWin cannot draw its magnifier, but Tovani loaded it"
fi
follow 600 200 1200 "$BG"
[ "$(wl_shot 20 397 1 6 | sort -u)" = "$BG" ] || kwin_fail "the band left pixels at row 400"
follow 1900 300 2500 "$BLACK"
follow 2000 650 1300 "$BLACK"
follow 300 777 20 "$BG"

# A click on the band goes to the window beneath.
kwin_click
kwin_wait_for 5 grep -qx "click 300 777 1" "$KWIN_TMP/clicks.out" ||
    kwin_fail "a click on the band did not reach the window beneath: $(cat "$KWIN_TMP/clicks.out")"

# Ctrl+Shift+R through the portal (evdev 29 Ctrl, 42 Shift, 19 R).
kwin_keys 29 42 19
kwin_wait_for 10 eval '[ "$(wl_shot 20 774 1 6 | sort -u)" = "$BG" ]' || kwin_fail "Ctrl+Shift+R did not turn the guide off"
kwin_keys 29 42 19
kwin_wait_for 10 band_at 20 777 "$BG" || kwin_fail "Ctrl+Shift+R did not turn the guide on again"

tovani_quit
dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.isScriptLoaded \
    string:tovani-pointer | grep -q 'boolean false' || kwin_fail "the pointer script is still in KWin after quitting"
effect isEffectLoaded | grep -q 'boolean false' || kwin_fail "KWin's magnifier is still loaded after quitting"
[ "$(entries)" = "Width=123 " ] || kwin_fail "after quitting kwinrc has $(entries)"
if [ "$GL" = 1 ]; then
    # Killed with its magnifier on, Tovani turns KWin's off and puts the
    # person's width back at its next start, the guide off.
    TOVANI_REUSE_CONFIG=1 tovani_start toggle
    kwin_wait_for 10 zoomed || kwin_fail "KWin's magnifier did not turn on after a restart"
    kill -KILL "$TOVANI_PID" && wait "$TOVANI_PID" 2>/dev/null
    [ "$(entries)" = "Height=64 InitialZoom=3 Width=512 " ] || kwin_fail "before the kill kwinrc had $(entries)"
    TOVANI_REUSE_CONFIG=1 tovani_start
    kwin_wait_for 10 eval '! zoomed && [ "$(entries)" = "Width=123 " ]' ||
        kwin_fail "after Tovani was killed, its next start left kwinrc with $(entries)"
    tovani_quit
fi
echo PASS
