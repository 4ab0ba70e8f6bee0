#!/usr/bin/env bash
# Builds everything and runs every test: the layer and format checks, the
# normal build (all tests, GL and dialog tests on their own Xvfb servers),
# clang-tidy on the product code, the unit tests again under ASan+UBSan, the
# threaded tests under TSan, then the Win32 saver and its tests cross-built
# with MinGW-w64 for i686 and x86_64 and run under Wine, and the Win32
# saver end to end under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test

jobs=$(nproc)
step() { printf '\n=== %s\n' "$*"; }

step "layers and format"
tools/check_layers.sh
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

step "build"
cmake -S . -B build -G Ninja -DSKYREEL_BENCH=ON \
  -DSKYREEL_WIN32_BUILD="$PWD/build-win32" >/dev/null
cmake --build build -j "$jobs"
step "tests"
ctest --test-dir build --output-on-failure -j "$jobs" -LE wine

step "clang-tidy"
tools/tidy.sh build

step "ASan+UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DSKYREEL_SANITIZE="address;undefined" >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE 'gl|e2e'

step "TSan"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSKYREEL_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$jobs"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threaded

step "Win32 (MinGW-w64, i686 and x86_64) under Wine"
JOBS="$jobs" tools/build-windows.sh test
step "Win32 downloads and saver end to end under Wine"
WINEPREFIX="$PWD/build-win32/wineprefix" ctest --test-dir build --output-on-failure -L wine
