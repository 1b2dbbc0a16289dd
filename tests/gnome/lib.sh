# Shared helpers of the tests on headless GNOME Shell: sourced by
# tests/gnome/gnome_*.sh. Sourcing it runs the rest of the test inside a
# private session bus (dbus-run-session) with a private, empty system bus and
# private XDG folders and settings, so nothing of the person running the tests
# is read or changed.
#
#   gs_start [--monitors N] [--extension DIR]
#                  installs the extension folder DIR (default
#                  $TOVANI_GNOME_EXTENSION, or the variant of this Shell in
#                  $TOVANI_GNOME_VARIANTS, the build tree's, which ctest sets)
#                  for the test's user and enables it
#                  (--extension none: neither), then starts gnome-shell
#                  --headless with N virtual monitors of 1280x800 side by side
#                  (default 1) on a plain background of $GS_BACKGROUND
#                  ("32 64 128"), and hides the overview.
#                  WAYLAND_DISPLAY is exported for Wayland clients.
#   gs_stop        ends the Shell (gs_start again is a new login)
#   gs_eval JS     runs JS in the Shell (org.gnome.Shell.Eval); prints its
#                  result (JSON), fails the test when it throws
#   gs_move X Y    the pointer to X,Y (stage coordinates), through a Clutter
#                  virtual pointer; returns once the Shell has it there
#   gs_click       left button press and release where the pointer is
#   gs_keys KEY... press the keys (Clutter key names: Control_L, F9) in order,
#                  then release them in reverse
#   gs_shot X Y W H  "R G B" of every pixel of the area, row by row, as the
#                  Shell's own screenshot shows it
#   gs_pixel X Y   "R G B" of one pixel;  gs_pixel_is X Y "R G B"
#   gs_rows_off X Y N  the rows of column X from Y (N of them) that differ from
#                  the background: "FIRST LAST", or "none"
#   h_blend "R G B" ALPHA "R G B"  (harness.sh) the colour of the first drawn
#                  over the second
#   tovani_start... (harness.sh) as a GNOME session starts Tovani
#                  (XDG_CURRENT_DESKTOP=GNOME, no QT_QPA_PLATFORM, no X11)
#   gs_wait_ext    waits until the extension owns org.tovani.ShellExtension
#   gs_fail MSG, gs_skip MSG (exit 77), gs_wait_for T CMD..., gs_track_pid PID
# GS_MAJOR is the Shell's major version (43, 48). GS_TMP is a scratch folder
# removed at exit; its logs are printed when a test
# fails. The Shell exits with a crash on every shutdown here: its exit status
# means nothing.

source "$(dirname "${BASH_SOURCE[0]}")/../harness.sh"
h_session_bus "$@"
harness_init gs
GS_TMP=$H_TMP H_STOP_SECONDS=5
GS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
GS_PY=/usr/bin/python3 # python3-dbus and python3-gi belong to the system's Python
GS_BACKGROUND="32 64 128"
GS_UUID=tovani@tovani.org
export HOME="$GS_TMP/home" && mkdir "$HOME"
h_private_xdg
# Settings in a file of the test's own, read by the Shell and gsettings alike.
export GSETTINGS_BACKEND=keyfile
unset DISPLAY WAYLAND_DISPLAY
GS_PID="" H_TOVANI_ENV=XDG_CURRENT_DESKTOP=GNOME

command -v gnome-shell >/dev/null || gs_skip "gnome-shell is not installed"
command -v gdbus >/dev/null || gs_skip "gdbus is not installed (libglib2.0-bin)"
"$GS_PY" -c 'import dbus, gi' 2>/dev/null || gs_skip "python3-dbus or python3-gi is not installed"
GS_MAJOR=$(gnome-shell --version | sed -n 's/^GNOME Shell \([0-9]*\).*/\1/p')
[ -n "$GS_MAJOR" ] || gs_fail "gnome-shell --version: $(gnome-shell --version 2>&1)"
# GNOME Shell 45 and later load the modules variant, older ones the legacy one.
[ "$GS_MAJOR" -ge 45 ] && GS_VARIANT=modules || GS_VARIANT=legacy
: "${TOVANI_GNOME_EXTENSION:=${TOVANI_GNOME_VARIANTS:-}/$GS_VARIANT/$GS_UUID}"

# The Shell exits at start without a system bus; an empty one of its own will do.
h_start system-bus '^unix:' dbus-daemon --session --nofork --nopidfile --address="unix:path=$GS_TMP/system_bus" --print-address
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$GS_TMP/system_bus"

gs_start() {
    local monitors=1 extension=${TOVANI_GNOME_EXTENSION:-} i args=()
    while [ $# -gt 0 ]; do
        case $1 in
        --monitors) monitors=$2; shift ;;
        --extension) extension=$2; shift ;;
        *) gs_fail "gs_start: unknown option $1" ;;
        esac
        shift
    done
    if [ "$extension" != none ]; then
        [ -f "$extension/metadata.json" ] || gs_fail "no extension in '$extension' (TOVANI_GNOME_EXTENSION)"
        mkdir -p "$XDG_DATA_HOME/gnome-shell/extensions" && rm -rf "$XDG_DATA_HOME/gnome-shell/extensions/$GS_UUID"
        cp -r "$extension" "$XDG_DATA_HOME/gnome-shell/extensions/$GS_UUID"
        # GNOME 43 looks for extensions only when it starts.
        gsettings set org.gnome.shell enabled-extensions "['$GS_UUID']"
    fi
    local rgb=($GS_BACKGROUND) key bg=desktop.background
    for key in "shell disable-user-extensions false" "desktop.interface enable-animations false" "$bg picture-uri ''" \
        "$bg picture-uri-dark ''" "$bg picture-options none" "$bg color-shading-type solid" \
        "$bg primary-color $(printf '#%02x%02x%02x' "${rgb[@]}")"; do gsettings set org.gnome.$key; done
    for ((i = 0; i < monitors; i++)); do args+=(--virtual-monitor 1280x800); done
    GS_STARTED=$(date +%s%N)
    gnome-shell --wayland --headless "${args[@]}" --unsafe-mode --no-x11 >"$GS_TMP/shell.log" 2>&1 &
    GS_PID=$! && gs_track_pid $!
    gs_wait_for 60 gs__ready || gs_fail "gnome-shell did not start"
    GS_READY=$(date +%s%N)
    export WAYLAND_DISPLAY=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s -name 'wayland-[0-9]*' -printf '%f\n' | head -n1)
    # The session starts in the overview, once the startup animation ends.
    gs_wait_for 20 gs__overview_hidden || gs_fail "the overview stayed open"
}
gs__overview_hidden() {
    gs__is 'Main.layoutManager._startingUp || Main.overview.animationInProgress ||
        (Main.overview.visible && (Main.overview.hide(), true))' false
}
gs_stop() { [ -z "$GS_PID" ] || h_stop_pid "$GS_PID"; GS_PID=""; }
gs__ready() { kill -0 "$GS_PID" 2>/dev/null || gs_fail "gnome-shell exited"; gs__is 'Main.layoutManager.monitors.length > 0' true; }

gs_eval() {
    local out
    out=$(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>&1) || { echo "$out" >&2; return 1; }
    case $out in
    "(true, '"*"')") out=${out#"(true, '"}; echo "${out%"')"}" ;;
    *) echo "Eval failed: $1: $out" >&2; return 1 ;;
    esac
}
gs__is() { [ "$(gs_eval "$1")" = "$2" ]; }

# Clutter virtual devices of the test, made on first use.
GS__DEVICES='const C = imports.gi.Clutter, G = imports.gi.GLib;
const seat = C.get_default_backend().get_default_seat();
globalThis.tovaniTestPointer ??= seat.create_virtual_device(C.InputDeviceType.POINTER_DEVICE);
globalThis.tovaniTestKeyboard ??= seat.create_virtual_device(C.InputDeviceType.KEYBOARD_DEVICE);
const now = () => G.get_monotonic_time();'
gs_move() {
    gs_eval "$GS__DEVICES tovaniTestPointer.notify_absolute_motion(now(), $1, $2)" >/dev/null ||
        gs_fail "could not move the pointer"
    gs_wait_for 10 gs__is 'global.get_pointer().slice(0, 2).join(" ")' "\"$1 $2\"" ||
        gs_fail "the pointer did not reach $1 $2"
}
gs_click() {
    gs_eval "$GS__DEVICES for (const s of [C.ButtonState.PRESSED, C.ButtonState.RELEASED])
        tovaniTestPointer.notify_button(now(), C.BUTTON_PRIMARY, s)" >/dev/null || gs_fail "could not click"
}
gs_keys() {
    local keys=$(printf '"%s",' "$@")
    gs_eval "$GS__DEVICES const keys = [${keys%,}].map(k => C['KEY_' + k]);
        for (const k of keys) tovaniTestKeyboard.notify_keyval(now(), k, C.KeyState.PRESSED);
        for (const k of keys.reverse()) tovaniTestKeyboard.notify_keyval(now(), k, C.KeyState.RELEASED)" >/dev/null ||
        gs_fail "could not press $*"
}

# The rows of column X from Y (N of them) that differ from the background:
# "FIRST LAST", or "none".
gs_rows_off() { gs_shot "$1" "$2" 1 "$3" | h_rows_off "$GS_BACKGROUND" "$2"; }
gs_shot() { "$GS_PY" "$GS_DIR/shot.py" gnome "$GS_TMP/shot.png" "$@"; }
gs_pixel() { gs_shot "$1" "$2" 1 1; }
gs_pixel_is() { [ "$(gs_pixel "$1" "$2")" = "$3" ]; }

gs_wait_ext() {
    gs_wait_for 20 h_has_name org.tovani.ShellExtension || gs_fail "the extension did not start: $(gdbus call --session \
        --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Extensions.GetExtensionErrors $GS_UUID 2>&1)"
}

# The text view of tests/textlines/gtk_text.py (ten lines, an empty one
# after the fifth) as a native Wayland client with its own title bar and
# shadow, on the session's accessibility bus. The Shell places new windows
# itself: this one goes to 100,300, below the notices GNOME 48 shows at the
# top. Sets TOP, the view's first row under the title bar, and ink: the
# lines of ink (dark on white) in the text, "TOP BOTTOM" (bottom exclusive),
# right of the text cursor's column, once the window is drawn where it went.
GS__TEXT_VIEW='global.get_window_actors().map(a => a.get_meta_window()).find(w => w.get_title() === "textlines gtk")'
gs_text_view_rect() { gs_eval "const f = $GS__TEXT_VIEW.get_frame_rect(); [f.x, f.y, f.width, f.height].join(' ')" | tr -d '"'; }
gs_text_view() {
    unset NO_AT_BRIDGE # it would keep GTK off the accessibility bus
    GDK_BACKEND=wayland h_start helper '^ready$' "$GS_PY" "$GS_DIR/../textlines/gtk_text.py" 0 0 600 300 paragraphs decorated
    gs_eval "$GS__TEXT_VIEW.move_frame(false, 100, 300)" >/dev/null || gs_fail "no window of the helper"
    gs_wait_for 10 eval '[[ "$(gs_text_view_rect)" == "100 300 "* ]]' || gs_fail "the helper's window stays at $(gs_text_view_rect)"
    local fy fh
    read -r _ fy _ fh <<<"$(gs_text_view_rect)"
    TOP=$((fy + fh - 300))
    gs_wait_for 10 gs__read_ink || gs_fail "the helper shows ${#ink[@]} lines of ink: ${ink[*]}"
}
gs__read_ink() {
    mapfile -t ink < <(gs_shot 120 $TOP 300 300 | h_ink 300 $TOP 255)
    [ ${#ink[@]} = 10 ]
}
