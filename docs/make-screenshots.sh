#!/usr/bin/env bash
# Pictures of the guide over real text for the README, made on a private X
# server (Xvfb with the picom compositor, through tests/x11/lib.sh):
#
#   docs/style-underline.png, docs/style-highlight-bar.png,
#   docs/style-focus-window.png, docs/style-ruler.png,
#   docs/style-reading-strip.png, docs/brackets.png, docs/magnifier.png
#
# Each is a 900 x 300 crop around the pointer of a page of prose (the
# text_window test program), with tovani started on a fresh settings file
# that selects the style (at its own default thickness and opacity) and
# switched on by `tovani toggle`.
#
# Before those, the pictures of the preferences and About windows, drawn
# offscreen by docs/tools/window_shots.cpp (no X server needed; run
# `BUILD_DIR/docs/tools/window_shots docs` to remake just these):
#
#   docs/preferences.png, docs/preferences-dark.png,
#   docs/preferences-details.png, docs/about.png, in German
#   docs/preferences-de.png, docs/about-de.png, and at twice the font size
#   docs/preferences-large-text.png, docs/about-large-text.png and in German
#   docs/preferences-de-large-text.png, docs/about-de-large-text.png
#
# usage: docs/make-screenshots.sh [BUILD_DIR]     (default: build)
# Needs the targets tovani, x11probe, text_window and window_shots built in
# BUILD_DIR (cmake --build build --target tovani x11probe text_window
# window_shots; a build with BUILD_TESTING on), and Xvfb, picom, xte and
# ImageMagick (scripts/install-deps.sh test).
set -u

DOCS=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$DOCS")
BUILD=${1:-$ROOT/build}
[[ $BUILD == /* ]] || BUILD=$PWD/$BUILD
export TOVANI_BIN=$BUILD/src/tovani X11PROBE=$BUILD/tests/x11/x11probe
TEXT_WINDOW=$BUILD/docs/tools/text_window WINDOW_SHOTS=$BUILD/docs/tools/window_shots
for f in "$TOVANI_BIN" "$X11PROBE" "$TEXT_WINDOW" "$WINDOW_SHOTS"; do
    [ -x "$f" ] || {
        echo "missing $f: cmake --build $BUILD --target tovani x11probe text_window window_shots" >&2
        exit 1
    }
done
"$WINDOW_SHOTS" "$DOCS" || exit 1

source "$ROOT/tests/x11/lib.sh"
source "$ROOT/tests/x11/ui_lib.sh"

SCREEN_W=1280 SCREEN_H=1024
CROP_W=900 CROP_H=300
x11_start --size ${SCREEN_W}x$SCREEN_H

# The page: full screen, prose in a column 860 wide.
"$TEXT_WINDOW" --rect 0 0 $SCREEN_W $SCREEN_H --font-size 20 --column 860 --title page \
    >"$X11_TMP/page.out" 2>"$X11_TMP/page.log" &
x11_track_pid $!
x11_wait_for 10 grep -qx ready "$X11_TMP/page.out" || x11_fail "the text window did not come up"

# The line the pointer sits on: the fourth of the second paragraph lies in
# the middle of the page, with text above and below it.
line_box() { # N: "TOP BOTTOM LEFT RIGHT" of line N (0-based, all paragraphs)
    awk -v n="$1" '$1 == "line" && $2 == n { print $3, $4, $5, $6 }' "$X11_TMP/page.out"
}
read -r LTOP LBOTTOM LLEFT LRIGHT <<<"$(line_box 7)"
[ -n "${LRIGHT:-}" ] || x11_fail "the page has too few lines: $(cat "$X11_TMP/page.out")"
LMID=$(((LTOP + LBOTTOM) / 2))
PX=$((SCREEN_W / 2))
echo "line: rows $LTOP..$LBOTTOM, pointer column $PX" >&2

# shoot NAME POINTER_Y SETTINGS...: tovani on fresh settings (KEY=VALUE lines),
# guide on, pointer at (PX, POINTER_Y), a crop around it saved as docs/NAME.png.
shoot() {
    local name=$1 py=$2
    shift 2
    tovani_stop
    tovani_config_home
    {
        echo "[General]"
        local kv
        for kv in "$@"; do echo "$kv"; done
    } >"$TOVANI_CONFIG_HOME/tovani/tovani.conf"
    x11_move $PX "$py"
    tovani_start toggle
    x11_wait_for 10 x11_probe wait-window "Tovani Guide" 0 || x11_fail "$name: no overlay window"
    # A guide switched on shows where it last was until the pointer moves.
    sleep 0.3
    x11_move $((PX + 1)) "$py"
    x11_move $PX "$py"
    sleep 0.8
    x11_screenshot "$X11_TMP/$name-full.png"
    local cx=$((PX - CROP_W / 2)) cy=$((LMID - CROP_H / 2))
    convert "$X11_TMP/$name-full.png" -crop "${CROP_W}x$CROP_H+$cx+$cy" +repage -strip \
        -define png:compression-level=9 "$DOCS/$name.png" || x11_fail "could not save $name.png"
    echo "$DOCS/$name.png ($(stat -c %s "$DOCS/$name.png") bytes)" >&2
}

# Where the pointer goes for each style, so that the guide marks the line as
# a reader would hold it: under the line for the underline and the ruler
# (whose 45-point band hangs below its top edge), at the foot of the line for
# the highlight bar (which lies above the pointer), in the middle of the line
# for the focus window and the reading strip.
shoot style-underline $((LBOTTOM + 3)) "currentStyle=Underline"
shoot style-highlight-bar $((LBOTTOM + 5)) "currentStyle=Highlight Bar"
shoot style-focus-window $LMID "currentStyle=Focus Window"
shoot style-ruler $((LBOTTOM + 26)) "currentStyle=Ruler"
shoot style-reading-strip $LMID "currentStyle=Reading Strip"
shoot brackets $((LBOTTOM + 5)) "currentStyle=Highlight Bar" "verticalGuidesEnabled=true"
# The magnifier is centred on the pointer: with the pointer in the middle of
# the line it shows that line whole, and the focus window's clear band is the
# guide that leaves the middle of the line unmarked.
shoot magnifier $LMID "currentStyle=Focus Window" "magnifierEnabled=true"
tovani_stop
echo "done" >&2
