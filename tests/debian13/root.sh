#!/usr/bin/env bash
# A Debian 13 root for the end-to-end tests on GNOME Shell 48, KWin 6 and
# sway 1.10, made here with debootstrap and kept between runs.
#
#   root.sh make           makes the root, or leaves it when it holds the
#                          packages below already
#   root.sh run CMD...     runs CMD inside it, as root, with this tree's
#                          source folder and $TOVANI_BUILD_DIR at their own
#                          paths and the environment kept; skipped when the
#                          root is not made (ctest runs the test
#                          debian13_root first)
#
# The root lives in $TOVANI_DEBIAN13_ROOT (default /var/cache/tovani/debian13),
# outside every checkout, so that fresh clones on the same machine reuse it.
# It is made in a folder beside it and renamed when complete, so an
# interrupted run leaves no half-made root; a lock file keeps two runs from
# making it at once and from replacing it while a test uses it. Its stamp
# file lists the packages: another list makes a new root.
# Everything is mounted in a private mount namespace of the command, so the
# mounts end with it, however it ends. Exit status 77: the root cannot be
# made or entered here (not root, no debootstrap or unshare, no mirror).
set -euo pipefail

ROOT=${TOVANI_DEBIAN13_ROOT:-/var/cache/tovani/debian13}
SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Only what the tests use, without recommends: the three desktops, grim,
# the portal with KDE's backend, the Qt 6 runtime and speech-dispatcher's
# client library of the Debian 12 build (the same shared libraries, newer),
# the test helpers' Python and tools.
PACKAGES="gnome-shell kwin-wayland sway grim xdg-desktop-portal xdg-desktop-portal-kde
dbus dbus-daemon libglib2.0-bin at-spi2-core libgl1-mesa-dri libegl-mesa0 fonts-dejavu-core
libqt6widgets6 libqt6dbus6 libqt6network6 libqt6svg6 qt6-wayland qt6-svg-plugins
libspeechd2 libxcb-xinput0 libxcb-shm0 libxcb-xkb1 libxcb-composite0 libxcb-xfixes0 libxcb-shape0 libxkbcommon-x11-0
python3-dbus python3-gi gir1.2-glib-2.0 gir1.2-gdkpixbuf-2.0"
STAMP="suite trixie; packages $(echo $PACKAGES)"

skip() { echo "SKIP: $*" >&2; exit 77; }

# The Debian mirror this machine's own apt uses.
# One-line (deb URI ...) sources first, then deb822 ones (URIs: URI...).
mirror() {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
        awk '$1 == "deb" || $1 == "URIs:" { for (i = 2; i <= NF; i++) if ($i ~ /^https?:\/\/.*\/debian\/?$/) { print $i; exit } }'
}

# Runs "$2..." inside the root $1, in a mount namespace of its own: /proc,
# /sys, /dev (with /dev/pts and /dev/shm), a private /tmp, and the source and
# build folders at their own paths.
enter() {
    local dir=$1
    shift
    unshare --mount --propagation private -- bash -euo pipefail -c '
        dir=$1 source_dir=$2 build_dir=$3
        shift 3
        mount -t proc proc "$dir/proc"
        mount --rbind /sys "$dir/sys"
        mount --bind /dev "$dir/dev"
        mount --bind /dev/pts "$dir/dev/pts"
        mount -t tmpfs -o mode=1777 tmpfs "$dir/dev/shm"
        mount -t tmpfs -o mode=1777 tmpfs "$dir/tmp"
        for d in "$source_dir" "$build_dir"; do
            [ -n "$d" ] && [ -d "$d" ] || continue
            mkdir -p "$dir$d"
            mount --bind "$d" "$dir$d"
        done
        exec chroot "$dir" env -u TMPDIR \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
            bash -c "cd \"\$1\" 2>/dev/null || cd /; shift; exec \"\$@\"" - "$PWD" "$@"
    ' - "$dir" "$SOURCE_DIR" "${TOVANI_BUILD_DIR:-}" "$@"
}

is_made() { [ -f "$ROOT/.tovani-stamp" ] && [ "$(cat "$ROOT/.tovani-stamp")" = "$STAMP" ]; }

make_root() {
    is_made && return 0
    command -v debootstrap >/dev/null || skip "debootstrap is not installed: no Debian 13 root"
    local uri new started
    uri=$(mirror)
    [ -n "$uri" ] || skip "no Debian mirror in /etc/apt/sources.list(.d): no Debian 13 root"
    echo "Making the Debian 13 root in $ROOT from $uri" >&2
    started=$(date +%s)
    rm -rf --one-file-system "$ROOT".new.*
    new=$(mktemp -d "$ROOT.new.XXXXXX")
    chmod 755 "$new"
    gone() { tail -n 20 "$new.log" >&2 && rm -rf --one-file-system "$new" "$new.log"; }
    debootstrap --variant=minbase trixie "$new" "$uri" >"$new.log" 2>&1 ||
        { gone; skip "debootstrap could not make the Debian 13 root (no network to $uri?)"; }
    # No services start in the root.
    printf '#!/bin/sh\nexit 101\n' >"$new/usr/sbin/policy-rc.d"
    chmod 755 "$new/usr/sbin/policy-rc.d"
    # shellcheck disable=SC2086
    if ! enter "$new" bash -c 'export DEBIAN_FRONTEND=noninteractive
            apt-get update && apt-get install -y --no-install-recommends "$@" && apt-get clean &&
            dbus-uuidgen --ensure=/etc/machine-id' - $PACKAGES >>"$new.log" 2>&1; then
        gone
        echo "FAIL: the packages of the Debian 13 root did not install" >&2
        exit 1
    fi
    echo "$STAMP" >"$new/.tovani-stamp"
    rm -f "$new.log"
    [ ! -e "$ROOT" ] || mv "$ROOT" "$ROOT.old.$$"
    mv "$new" "$ROOT"
    rm -rf --one-file-system "$ROOT.old.$$"
    echo "Debian 13 root made in $(($(date +%s) - started)) s" >&2
}

[ "$(id -u)" = 0 ] || skip "making and entering the Debian 13 root needs root"
command -v unshare >/dev/null && command -v flock >/dev/null || skip "unshare or flock is not installed (util-linux)"
unshare --mount true 2>/dev/null || skip "no private mount namespace here (unshare --mount)"
mkdir -p "$(dirname "$ROOT")"
exec {lock}>"$ROOT.lock"
case ${1:-} in
make)
    flock "$lock"
    make_root
    ;;
run)
    shift
    # Tests share the root; making a new one waits until they end.
    flock --shared "$lock"
    is_made || skip "no Debian 13 root with these packages in $ROOT: the test debian13_root (root.sh make) makes it"
    enter "$ROOT" "$@"
    ;;
*) echo "usage: $0 make | run CMD..." >&2; exit 2 ;;
esac
