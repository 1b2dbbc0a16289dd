#!/usr/bin/env bash
# The first start of a source build on GNOME Shell without Tovani's extension
# (and another program holding its name, which Tovani doesn't take for it):
# Tovani says so, offers to install it, and on Return copies it for this user,
# adds it to the Shell's list of extensions to start, and says that one
# log-out is needed (GNOME 43 looks for extensions only at log-in); its status
# says the same. It doesn't go to XWayland meanwhile. After the next log-in
# the guide shows through the copy it installed.
source "$(dirname "$0")/lib.sh"

gs_start --extension none
# Made now: keys of a keyboard that appears later may not reach the windows.
gs_move 10 10
# The Shell of the next log-in reads the list of extensions Tovani writes.
tovani_config_home && export XDG_CONFIG_HOME=$TOVANI_CONFIG_HOME
# Another program holding the extension's name, and answering as it would,
# is not taken for it.
"$GS_PY" -c '
import dbus, dbus.service, dbus.mainloop.glib
from gi.repository import GLib
dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
class Impostor(dbus.service.Object):
    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {"ApiVersion": dbus.UInt32(1), "Monitors": dbus.Array([(0, 0, 1280, 800, 1.0)], signature="(iiiid)")}
name = dbus.service.BusName("org.tovani.ShellExtension", dbus.SessionBus())
Impostor(dbus.SessionBus(), "/org/tovani/ShellExtension")
GLib.MainLoop().run()' &
IMPOSTOR=$! && gs_track_pid $!
gs_wait_for 10 h_has_name org.tovani.ShellExtension || gs_fail "the other program did not take the name"
tovani_start
status_is() { tovani__status_is "backend: gnome-shell, pointer: none, extension: $1"; }
tovani_expect_status "backend: gnome-shell, pointer: none, extension: failed"
kill $IMPOSTOR
tovani_expect_status "backend: gnome-shell, pointer: none, extension: not-installed"

# The question shows over the preferences (opened too: no tray here); the
# person clicks it, and Return takes its default, Install.
question() {
    gs__is 'const w = global.get_window_actors().map(a => a.meta_window).find(w => w.get_title() === "Tovani");
        w?.activate(global.get_current_time()); w?.has_focus() ?? false' true
}
gs_wait_for 20 question || gs_fail "no question: the windows are $(gs_eval 'global.get_window_actors().map(a => a.meta_window.get_title()).join(", ")')"
# The Shell may hand the key over before the window hears it has the
# keyboard, and the preferences may come to the front after the question:
# clicked and pressed again when nothing happened.
for _ in 1 2 3 4; do
    gs_wait_for 5 question && gs_keys Return
    gs_wait_for 2 status_is needs-login && break
done
INSTALLED=$XDG_DATA_HOME/gnome-shell/extensions/tovani@tovani.org
status_is needs-login || gs_fail "after Install, tovani status: $(tovani_cmd status 2>&1)"
[ -f "$INSTALLED/metadata.json" ] && [ -f "$INSTALLED/extension.js" ] || gs_fail "the extension was not copied: $(ls -R "$XDG_DATA_HOME")"
grep -q '"shell-version"' "$INSTALLED/metadata.json" && grep -q "\"$GS_MAJOR\"" "$INSTALLED/metadata.json" ||
    gs_fail "not the variant for GNOME $GS_MAJOR: $(cat "$INSTALLED/metadata.json")"
[ "$(gsettings get org.gnome.shell enabled-extensions)" = "['tovani@tovani.org']" ] ||
    gs_fail "enabled-extensions: $(gsettings get org.gnome.shell enabled-extensions)"
# Then it says that a log-out is needed, once.
gs_wait_for 10 question || gs_fail "nothing said about logging out"
gs_keys Return

# The next log-in: the Shell starts the copy Tovani installed, and the next
# Tovani shows its guide through it.
tovani_stop
gs_stop
gs_start --extension none
TOVANI_REUSE_CONFIG=1 tovani_start toggle
tovani_expect_status "backend: gnome-shell, pointer: gnome-shell-extension, extension: active"
gs_wait_for 10 eval '[ "$(gs_eval "Main.layoutManager.uiGroup.get_last_child().visible")" = true ]' ||
    gs_fail "the guide does not show after logging in again"
echo PASS
