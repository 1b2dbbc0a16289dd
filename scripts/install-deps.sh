#!/usr/bin/env bash
# Installs what Tovani needs on Debian 12: "build" for compiling and running
# (reading aloud also wants the speech-dispatcher server, which the Debian
# package recommends and the tests replace by a stand-in), "test" adds the X
# servers, compositor, tray host and input tools the tests drive,
# and the session and accessibility buses with a GTK 3 for the text-line tests,
# headless GNOME Shell for the extension's tests, and debootstrap, which makes
# the Debian 13 root where those tests run again on newer desktops.
set -euo pipefail
what=${1:-build}
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

build_pkgs=(
  cmake g++ make pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev libvulkan-dev
  libxcb1-dev libxcb-xinput-dev libxcb-shm0-dev libxcb-xkb-dev libxcb-composite0-dev
  libxcb-xfixes0-dev libxcb-shape0-dev libxcb-randr0-dev libxcb-keysyms1-dev libxkbcommon-dev libxkbcommon-x11-dev
  libqt6svg6 qt6-qpa-plugins fonts-dejavu-core fonts-quicksand
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools qt6-translations-l10n
  libwayland-dev wayland-protocols qt6-wayland
  # glib-compile-schemas for the GNOME Shell extension's settings
  libglib2.0-bin
  # reading aloud: the client library of speech-dispatcher (the server itself
  # is only recommended: the tests speak to a stand-in)
  libspeechd-dev
)
test_pkgs=(
  libglib2.0-bin systemd
  xvfb xauth picom trayer xautomation xdotool x11-utils x11-apps x11-xserver-utils imagemagick
  xserver-xorg-core xserver-xorg-video-dummy libxcb-xtest0-dev x11-xkb-utils appstream dpkg-dev desktop-file-utils file
  clang-tidy
  dbus dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 gir1.2-gtk-3.0
  sway grim wayland-utils weston
  # headless KWin: the compositor, its fake-input protocol, OpenGL through
  # llvmpipe for its screenshots, a private session bus, python3-dbus for the
  # screenshot helper; the XDG desktop portal with KDE's backend
  kwin-wayland plasma-wayland-protocols libgl1-mesa-dri libegl-mesa0
  dbus-daemon python3-dbus xdg-desktop-portal xdg-desktop-portal-kde
  # headless GNOME Shell for the extension's tests; gjs runs its GNOME 45+
  # variant with stub Shell modules (gnome-shell alone brings only libgjs);
  # GdkPixbuf reads the Shell's screenshots
  gnome-shell gjs gir1.2-gdkpixbuf-2.0
  # makes the Debian 13 root of the tests on today's desktops (tests/debian13)
  debootstrap
)
pkgs=("${build_pkgs[@]}")
if [ "$what" = "test" ]; then pkgs+=("${test_pkgs[@]}"); fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
