#!/usr/bin/env bash
# The preferences window of the real application as a screen reader and a
# keyboard user meet it, with an accessibility bus of the test's own (a
# private session bus and at-spi-bus-launcher):
#   - read through AT-SPI (atspi_tree.py), every interactive control has a
#     role, a name and the focusable state, every slider a value; tiles and
#     swatches are radio buttons, switches check boxes;
#   - Tab until the style picker has the focus, then Right, saves the next style;
#   - Tab on to the magnifier switch, then Space, turns the magnifier on.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ui_lib.sh"

ATSPI=(/usr/bin/python3 "$(dirname "$0")/atspi_tree.py")
command -v xte >/dev/null && /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    x11_skip "needs xautomation, python3-gi and gir1.2-atspi-2.0"

x11_start --no-compositor
a11y_start
export LANGUAGE=en # English names

tovani_start preferences
read -r WIN _ < <(x11_probe wait-window "Tovani Preferences" 10) || x11_fail "no preferences window"
on_bus() { "${ATSPI[@]}" check "Tovani Preferences" >/dev/null 2>&1; [ $? != 2 ]; }
x11_wait_for 20 on_bus || x11_fail "the preferences window is not on the accessibility bus"

"${ATSPI[@]}" check "Tovani Preferences" >"$X11_TMP/tree.log" 2>&1 || x11_fail "faults in the accessibility tree"
# 5 tiles and 15 swatches; 7 switches; 7 sliders (folded ones too); the colour well and Reset;
# the voice list.
roles=$(cut -d'|' -f1 "$X11_TMP/tree.log" | sort | uniq -c | awk '{ printf "%s:%s ", $2, $1 }')
[ "$roles" = "check-box:7 combo-box:1 push-button:2 radio-button:20 slider:7 " ] || x11_fail "the controls on the bus: $roles"
grep -qx 'slider|Opacity|60' "$X11_TMP/tree.log" || x11_fail "the opacity slider does not say 60"

xdotool windowfocus --sync "$WIN" 2>/dev/null || xdotool windowfocus "$WIN"
focused() { "${ATSPI[@]}" focused "Tovani Preferences" 2>/dev/null; }
tab_to() { # ROLE|NAME: Tab until it has the focus (at most 30 times)
    local i
    for ((i = 0; i < 30; i++)); do [ "$(focused)" = "$1" ] && return 0; xte 'key Tab' && sleep 0.15; done
    x11_fail "Tab never reached $1: the focus is on '$(focused)'"
}
# The style picker's Tab stop is the current style.
tab_to "radio-button|Underline"
xte 'key Right'
tovani_expect_conf "currentStyle=Highlight Bar" "Right in the style picker"
x11_wait_for 5 eval '[ "$(focused)" = "radio-button|Highlight Bar" ]' || x11_fail "the focus did not follow: $(focused)"
tab_to "check-box|Magnifier"
xte 'key space'
tovani_expect_conf "magnifierEnabled=true" "Space on the magnifier switch"
tovani_pass
