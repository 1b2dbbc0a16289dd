#!/usr/bin/env bash
# The GNOME 45+ variant of the extension under plain gjs with stub Shell
# modules (modules_entry.js), in a private session bus: it parses, enables,
# answers and disables. TOVANI_GNOME_EXTENSION names the build tree's
# modules variant.
set -eu
command -v gjs >/dev/null || { echo "SKIP: gjs is not installed"; exit 77; }
command -v dbus-run-session >/dev/null || { echo "SKIP: dbus-run-session is not installed"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
ext=${TOVANI_GNOME_EXTENSION:?names the modules variant of the extension}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tovani-modules.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
cp -r "$here/stub_modules" "$here/modules_entry.js" "$tmp/"
mkdir "$tmp/extension"
cp "$ext/org.tovani.ShellExtension.xml" "$ext/metadata.json" "$tmp/extension/"
# The Shell's own modules and its typelibs (St, Clutter, Meta, Shell, Cogl)
# exist only inside the Shell: point the imports at the stubs.
stubs=$tmp/stub_modules
sed -E -e "s#'gi://(St|Clutter|Cogl|Meta|Shell)'#'file://$stubs/gi/\\1.js'#" \
    -e "s#'resource:///org/gnome/shell/([^']*)'#'file://$stubs/shell/\\1'#" "$ext/extension.js" >"$tmp/extension/extension.js"
grep -q "resource://\|gi://\(St\|Clutter\|Meta\|Shell\|Cogl\)'" "$tmp/extension/extension.js" &&
    { echo "FAIL: an import of the Shell was left"; exit 1; }
dbus-run-session -- gjs -m "$tmp/modules_entry.js"
