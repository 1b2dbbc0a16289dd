#!/usr/bin/env bash
# Builds Tovani with its tests and runs every one of them: the unit tests on
# Qt's offscreen platform and the end-to-end tests on real X servers that the
# harness starts itself (installs every dependency first).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build-test
cd build-test
ctest --output-on-failure --timeout 600 "$@"
