#!/usr/bin/env bash
# Builds Tovani with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/, TOVANI_SANITIZE=ON) and runs the unit tests under them.
# Leaks are reported; scripts/lsan.supp only silences leaks that start inside
# system libraries (fontconfig, D-Bus, GLib, xcb/Xlib), never Tovani's own.
#
#   scripts/sanitize.sh [ctest arguments...]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
BUILD=${BUILD_DIR:-build-asan}
generator=()
command -v ninja >/dev/null && [ ! -f "$BUILD/CMakeCache.txt" ] && generator=(-G Ninja)
cmake -S . -B "$BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DTOVANI_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build "$BUILD" -j"${JOBS:-2}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$BUILD" -L unit --output-on-failure "$@"
