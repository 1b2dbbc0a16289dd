#!/usr/bin/env bash
# Builds Tovani with its tests and runs every one of them: the unit tests on
# Qt's offscreen platform, the end-to-end tests on real X servers and Wayland
# compositors that the harness starts itself (the desktop ones again on
# Debian 13's desktops, in a root that tests/debian13/root.sh makes with
# debootstrap the first time), the Debian package check, and the unit tests again
# under the address and undefined-behaviour sanitizers (installs every
# dependency first).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build-test

echo "== Debian package"
bash packaging/check-package.sh build-test

if [ -x scripts/sanitize.sh ]; then
    echo "== Sanitizers (unit tests)"
    bash scripts/sanitize.sh
fi

if [ -x scripts/tidy.sh ]; then
    echo "== clang-tidy"
    BUILD_DIR=build-test bash scripts/tidy.sh
fi

echo "== Tests"
cd build-test
ctest --output-on-failure --timeout 600 "$@"
