# Helpers of the end-to-end tests of the preferences window and the magnifier
# (test_prefs.sh, test_app_magnifier.sh) and of docs/make-screenshots.sh.
# Source after lib.sh.
#
#   tovani_cmd ARGS...        as in lib.sh, but fails the test unless the
#                             command answers "ok" within 10 s

TOVANI_CMD_TIMEOUT=10

tovani_cmd() {
    env XDG_CONFIG_HOME="$TOVANI_CONFIG_HOME" QT_QPA_PLATFORM=xcb timeout "$TOVANI_CMD_TIMEOUT" "$TOVANI_BIN" "$@" \
        >>"$X11_TMP/tovani-cmd.log" 2>&1 || x11_fail "tovani $* failed: $(tail -n 3 "$X11_TMP/tovani-cmd.log")"
}
