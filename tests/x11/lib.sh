# Shared helpers of the end-to-end tests: sourced by bash scripts in tests/x11/.

#   x11_start [--no-compositor] [--tray] [--size WxH] [--dual|--stacked]
#                          Xvfb on a free display (DISPLAY is exported), picom
#                          --backend xrender unless --no-compositor, trayer with --tray.
#                          --dual: Xorg with the dummy driver instead, two monitors
#                          DUMMY0 and DUMMY1 of 1280x1024 side by side (needs root;
#                          the test is skipped otherwise); --stacked: the same
#                          with DUMMY1 below DUMMY0
#   x11_picom [OPTIONS...] start picom (xrender, no configuration file) and wait
#                          for it; x11_picom_stop ends the last one started
#   x11_background "R G B" an opaque window of that colour over the whole
#                          screen, below everything; the presses it receives go
#                          to $X11_TMP/clicks.out as "click X Y BUTTON"
#   x11_move X Y [X Y...]  move the pointer through XTest (root pixel coordinates)
#   x11_pixel X Y          print "R G B" (0-255) of a root window pixel
#   x11_screenshot FILE    PNG of the root window
#   x11_shot X Y W H       "R G B" of every pixel of that area, row by row
#   x11_wait_for T CMD...  retry CMD until it succeeds or T seconds pass (then exit 1).
#                          CMD's arguments are expanded once: to wait for a value,
#                          compare inside a function (x11_pixel_is, x11_bbox_is)
#   x11_pixel_is X Y "R G B", x11_bbox_is "R G B" X Y W H "X Y W H"|none
#   x11_expect_box "R G B" "X Y W H"|none WHAT [X Y W H]
#                          wait until the pixels that differ from the colour in
#                          the rectangle (default: the screen) span that box,
#                          else fail saying WHAT and where they are
#   x11_blend "R G B" ALPHA "R G B", x11_near "R G B" "R G B" TOL
#   tovani_start, tovani_cmd, tovani_config_home, tovani_conf...: see
#                          harness.sh (on this X server, through Qt's xcb)
#   tovani_guide [ARGS...] tovani_start toggle ARGS, and wait for the overlay
#   tovani_own_pids        the tovani processes of this test, one PID a line
#   a11y_start             a private session bus and an accessibility bus on
#                          it (at-spi-bus-launcher), skipping the test when
#                          they are missing; exports DBUS_SESSION_BUS_ADDRESS,
#                          and QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 for Qt
#   a11y_enabled           prints the accessibility switch: true or false
# Also: x11_fail MSG (prints and exits 1), x11_skip MSG (exit 77: ctest shows
# the test as skipped), x11_probe ARGS... (the x11probe helper), X11_TMP (a
# scratch directory removed at exit), x11_track_pid PID (stop a process of
# your own at exit), X11_PICOM_PID, X11_SCREEN_SIZE (WxH). Everything started
# here is stopped by PID when the script exits: do not set an EXIT trap of
# your own (it would replace this one). The library runs with `set -u`; logs
# of the servers and of tovani ($X11_TMP/*.log) are printed when a test fails.
# The environment gives TOVANI_BIN (the tovani executable) and X11PROBE (the
# probe helper); ctest sets both.

source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
harness_init x11
X11_TMP=$H_TMP H_TOVANI_ENV=QT_QPA_PLATFORM=xcb
X11_SCREEN_SIZE="" X11_PICOM_PID=""
: "${X11PROBE:=}"

x11_probe() { [ -x "$X11PROBE" ] || x11_fail "X11PROBE is not set to the x11probe helper"; "$X11PROBE" "$@"; }

x11_start() {
    local compositor=1 tray=0 size=1280x1024 dual=0 second="--right-of DUMMY0"
    while [ $# -gt 0 ]; do
        case $1 in
        --no-compositor) compositor=0 ;;
        --tray) tray=1 ;;
        --dual) dual=1 size=2560x1024 ;;
        --stacked) dual=1 size=1280x2048 second="--below DUMMY0" ;;
        --size) size=$2 && shift ;;
        *) x11_fail "x11_start: unknown option $1" ;;
        esac
        shift
    done
    # The server picks a free display itself and writes its number once it
    # accepts connections: no guessing, no race with other servers.
    if [ $dual = 1 ]; then
        [ "$(id -u)" = 0 ] || x11_skip "two monitors need Xorg with the dummy driver, run as root"
        command -v Xorg >/dev/null || x11_skip "Xorg is not installed"
        [ -e /usr/lib/xorg/modules/drivers/dummy_drv.so ] || x11_skip "the Xorg dummy driver is not installed"
        # One virtual screen of the size of both, which xrandr splits into two monitors below.
        cat >"$X11_TMP/xorg.conf" <<XORG
Section "ServerFlags" Option "AutoAddDevices" "false" Option "AutoEnableDevices" "false" Option "DontVTSwitch" "true" EndSection
Section "Device" Identifier "dummy" Driver "dummy" VideoRam 256000 EndSection
Section "Monitor" Identifier "monitor" HorizSync 5.0 - 1000.0 VertRefresh 5.0 - 200.0 EndSection
Section "Screen" Identifier "screen" Device "dummy" Monitor "monitor" DefaultDepth 24 SubSection "Display" Depth 24 Virtual ${size/x/ } EndSubSection EndSection
XORG
        h_start xserver '^[0-9]' Xorg -displayfd 1 -config "$X11_TMP/xorg.conf" -logfile "$X11_TMP/xorg-server.log" \
            -noreset -sharevts -novtswitch -nolisten tcp
    else
        command -v Xvfb >/dev/null || x11_skip "Xvfb is not installed"
        h_start xserver '^[0-9]' Xvfb -displayfd 1 -screen 0 "${size}x24" -nolisten tcp +extension RANDR -noreset
    fi
    X11_SCREEN_SIZE=$size && export DISPLAY=":$(head -n1 "$X11_TMP/xserver.out")"
    x11_wait_for 10 x11_probe pixel 0 0 || x11_fail "the X server on $DISPLAY does not accept connections"
    [ $dual = 0 ] || { xrandr --addmode DUMMY1 1280x1024 && xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 \
        --primary --output DUMMY1 --mode 1280x1024 $second || x11_fail "could not set up two monitors"; }
    echo "[x11] X server $DISPLAY $size (pid $H_PID)" >&2
    # No shadows, no fading, no rounded corners: every pixel on screen is an
    # exact blend of the windows.
    [ $compositor = 0 ] || { command -v picom >/dev/null || x11_skip "picom is not installed"; x11_picom --no-fading-openclose; }
    if [ $tray = 1 ]; then
        command -v trayer >/dev/null || x11_skip "trayer is not installed"
        trayer --edge top --align right --widthtype request --height 24 --transparent false \
            --tint 0x202020 --expand true --SetDockType true >"$X11_TMP/trayer.log" 2>&1 &
        x11_track_pid $!
        x11_wait_for 10 x11_probe selection-owned _NET_SYSTEM_TRAY_S0 || x11_fail "trayer did not start"
    fi
    x11_move 0 0 # a known pointer position to start from
}

x11_picom() {
    picom --backend xrender --config /dev/null "$@" >>"$X11_TMP/picom.log" 2>&1 &
    X11_PICOM_PID=$! && x11_track_pid $!
    x11_wait_for 10 x11_probe selection-owned _NET_WM_CM_S0 || x11_fail "picom $* did not start"
}

x11_picom_stop() { kill "$X11_PICOM_PID" && x11_wait_for 5 eval '! x11_probe selection-owned _NET_WM_CM_S0' || x11_fail "picom did not quit"; }

x11_background() {
    h_start clicks '^ready' x11_probe pattern 0 0 ${X11_SCREEN_SIZE/x/ } $1 background
    x11_wait_for 10 x11_pixel_is 10 10 "$1" || x11_fail "the background window did not show"
}

x11_move() { printf 'mousemove %s %s\n' "$@" | xte || x11_fail "xte could not move the pointer"; }

x11_pixel() { x11_probe pixel "$1" "$2"; }
x11_screenshot() { import -window root "$1" 2>/dev/null || x11_fail "could not take a screenshot"; }
x11_shot() { import -window root -crop "${3}x$4+$1+$2" -depth 8 rgb:- | od -An -v -tu1 -w3 | awk '{ print $1, $2, $3 }'; }

# The colour of the first drawn at ALPHA over the second, as the compositor
# blends it ("R G B", rounded).
x11_blend() { awk -v a="$2" -v f="$1" -v b="$3" 'BEGIN { split(f, F, " "); split(b, B, " ")
    printf "%d %d %d\n", F[1]*a + B[1]*(1-a) + 0.5, F[2]*a + B[2]*(1-a) + 0.5, F[3]*a + B[3]*(1-a) + 0.5 }'; }

# Every channel within TOL.
x11_near() { awk -v x="$1" -v y="$2" -v t="$3" 'BEGIN { if (split(x, X, " ") != 3 || split(y, Y, " ") != 3) exit 1
    for (i = 1; i <= 3; i++) if (X[i] - Y[i] > t || Y[i] - X[i] > t) exit 1 }'; }

x11_pixel_is() { [ "$(x11_pixel "$1" "$2")" = "$3" ]; }
x11_bbox_is() { [ "$(x11_probe bbox-not $1 0 "$2" "$3" "$4" "$5")" = "$6" ]; }

x11_expect_box() {
    local rect=${4:-0 0 ${X11_SCREEN_SIZE/x/ }}
    x11_wait_for 10 x11_bbox_is "$1" $rect "$2" ||
        x11_fail "$3: what differs from '$1' in ($rect) spans '$(x11_probe bbox-not $1 0 $rect)', expected '$2'"
}

tovani_guide() {
    tovani_start toggle "$@"
    x11_wait_for 20 x11_probe wait-window "Tovani Guide" 0 || x11_fail "no overlay window: $(x11_probe windows)"
}

# By their runtime folder, which is the test's own.
tovani_own_pids() { local p; for p in $(pgrep -x tovani); do ! grep -qzxF "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" "/proc/$p/environ" 2>/dev/null || echo "$p"; done; }

a11y_start() { h_a11y_start --own-bus; }

a11y_enabled() {
    gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
        --method org.freedesktop.DBus.Properties.Get org.a11y.Status IsEnabled | grep -o 'true\|false'
}
