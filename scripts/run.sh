#!/usr/bin/env bash
# Builds Tovani and starts it (installs the build dependencies first).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build --target tovani
exec ./build/src/tovani "$@"
