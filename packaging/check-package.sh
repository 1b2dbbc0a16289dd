#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a
# scratch root and starts the packaged tovani from there; also validates the
# desktop entry and the AppStream metainfo.
#   packaging/check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR}" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)

desktop-file-validate "$top/data/tovani.desktop"
appstreamcli validate --no-net --pedantic "$top/packaging/org.tovani.Tovani.metainfo.xml"

(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
deb=$(ls -t "$build"/tovani_*.deb | head -n 1)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends

depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libqt6dbus6 libxcb libwayland-client0 qt6-wayland libspeechd2; do
    case "$depends" in *"$lib"*) ;; *) echo "FAIL: Depends lacks $lib"; exit 1 ;; esac
done
case "$(dpkg-deb --field "$deb" Recommends)" in *speech-dispatcher*) ;; *) echo "FAIL: Recommends lacks speech-dispatcher"; exit 1 ;; esac

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in usr/bin/tovani usr/share/applications/tovani.desktop usr/share/icons/hicolor/scalable/apps/tovani.svg \
         usr/share/metainfo/org.tovani.Tovani.metainfo.xml usr/share/man/man1/tovani.1 \
         usr/share/tovani/translations/tovani_de.qm usr/share/tovani/translations/tovani_fr.qm \
         usr/share/tovani/translations/tovani_es.qm usr/share/tovani/kwin/tovani-pointer.js \
         usr/share/tovani/gnome-shell/legacy/tovani@tovani.org/extension.js \
         usr/share/tovani/gnome-shell/modules/tovani@tovani.org/extension.js \
         usr/share/gnome-shell/extensions/tovani@tovani.org/metadata.json \
         usr/share/gnome-shell/extensions/tovani@tovani.org/org.tovani.ShellExtension.xml \
         usr/share/gnome-shell/extensions/tovani@tovani.org/schemas/gschemas.compiled; do
    [ -e "$root/$f" ] || { echo "FAIL: $f is not in the package"; exit 1; }
done
version=$("$root/usr/bin/tovani" --version)
echo "packaged binary: $version"
case "$version" in "tovani "*) ;; *) echo "FAIL: unexpected --version output"; exit 1 ;; esac
echo "package check passed"
