# Helpers of the end-to-end tests of the preferences window and the magnifier
# (test_prefs.sh, test_app_magnifier*.sh) and of docs/make-screenshots.sh.
# Source after lib.sh.
#
#   tovani_cmd ARGS...        as in lib.sh, but fails the test unless the
#                             command answers "ok" within 10 s
#   prefs_wait_window         wait for the "Tovani Preferences" window; sets
#                             PREFS_GEOMETRY to "ID X Y W H" (root pixels)
#   prefs_find_ruler_tile     find the Ruler tile's miniature in that window; sets
#                             RULER_TILE to "X Y" (root pixels, the middle of
#                             the miniature's band)
#   prefs_save_artefact NAME  save a screenshot of the window as NAME.png in
#                             $TOVANI_ARTIFACT_DIR (default: artifacts/ in the
#                             working directory); prints the file's path
#
# Locating a tile: another process's widgets cannot be asked where they are,
# and the offset of a tile inside the window moves with fonts, the notice
# line and the layout. Every tile draws a miniature of its style, and the
# Ruler's is the only drawing in the window with a red line 1 pixel high
# directly above a band of the guide colour at 90 % opacity: the test looks
# for that band (at least 40 pixels wide) and checks the red line above it.

: "${TOVANI_ARTIFACT_DIR:=$PWD/artifacts}"
PREFS_GEOMETRY="" RULER_TILE="" TOVANI_CMD_TIMEOUT=10

tovani_cmd() {
    env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" QT_QPA_PLATFORM=xcb timeout "$TOVANI_CMD_TIMEOUT" "$TOVANI_BIN" "$@" \
        >>"$X11_TMP/tovani-cmd.log" 2>&1 || x11_fail "tovani $* failed: $(tail -n 3 "$X11_TMP/tovani-cmd.log")"
}

prefs_wait_window() {
    PREFS_GEOMETRY=$(x11_probe wait-window "Tovani Preferences" 10) ||
        x11_fail "no \"Tovani Preferences\" window: $(x11_probe windows)"
}

prefs_find_ruler_tile() {
    local id x y w h run rx ry rlen
    read -r id x y w h <<<"$PREFS_GEOMETRY"
    # The band: amber at 0.9 over the white text background; the red line
    # (at 0.8) on the row above, as wide as the band.
    run=$(x11_probe find-run $(x11_blend "255 191 0" 0.9 "255 255 255") 8 40 "$x" "$y" "$w" "$h") || return 1
    read -r rx ry rlen <<<"$run"
    [ "$(x11_probe count-not $(x11_blend "255 59 48" 0.8 "255 255 255") 12 "$rx" $((ry - 1)) "$rlen" 1)" = 0 ] || return 1
    RULER_TILE="$((rx + rlen / 2)) $((ry + 4))"
}

prefs_save_artefact() {
    local id x y w h file="$TOVANI_ARTIFACT_DIR/$1.png"
    read -r id x y w h <<<"$PREFS_GEOMETRY"
    mkdir -p "$TOVANI_ARTIFACT_DIR" || x11_fail "cannot create $TOVANI_ARTIFACT_DIR"
    x11_screenshot "$X11_TMP/root.png"
    convert "$X11_TMP/root.png" -crop "${w}x$h+$x+$y" +repage "$file" || x11_fail "could not save $file"
    echo "$file"
}
