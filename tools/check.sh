#!/usr/bin/env bash
# Builds everything and runs every test: the layer and format checks, the
# normal build (all tests, GL and dialog tests on their own Xvfb servers),
# clang-tidy on the product code, the unit tests again under ASan+UBSan, the
# threaded tests under TSan, the fuzz targets (clang, libFuzzer with ASan and
# UBSan, about 20 s each, two at a time), then the Win32 saver and its tests
# cross-built with MinGW-w64 for i686 and x86_64 and run under Wine, and the
# Win32 saver end to end under Wine. Where this machine cannot run 32-bit
# programs, the Win32 tests run the x86_64 build under 64-bit Wine and what
# needs 32-bit execution is skipped, each with one line saying so.
cd "$(dirname "$0")/.."
. tools/common.sh
step "packages"
tools/install-deps.sh test

jobs=$(nproc)
# The executables of the tests a ctest selection runs, so that a build made
# only for those tests builds nothing else: the other tests are built and run
# in the normal build. Before a build ctest knows a test by its name, which
# is its executable's target name; names that are no target are left out.
tested_targets() {
  ctest --test-dir "$1" --show-only=json-v1 "${@:2}" |
    python3 -c 'import json, sys; print("\n".join(t["name"] for t in json.load(sys.stdin)["tests"]))' |
    grep -Fx -f <(ninja -C "$1" -t targets all | sed -n 's/^\([^:/]*\): .*/\1/p')
}
SKYREEL_SKIP_LOG=$(mktemp)
export SKYREEL_SKIP_LOG
if runs_32bit; then
  echo "this machine runs 32-bit programs: the Win32 tests run both builds"
else
  echo "this machine cannot run 32-bit programs: the Win32 tests run the x86_64 build"
fi

step "layers and format"
tools/check_layers.sh
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

step "build"
cmake -S . -B build -G Ninja -DSKYREEL_BENCH=ON \
  -DSKYREEL_WIN32_BUILD="$(wine_test_build)" >/dev/null
cmake --build build -j "$jobs"
step "tests"
ctest --test-dir build --output-on-failure -j "$jobs" -LE 'installed|wine'

step "clang-tidy"
tools/tidy.sh build

step "Debian package, installed and removed"
tools/package.sh deb
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo --preserve-env=SKYREEL_INSTALLED "$@"; fi; }
as_root apt-get install -y -qq "./$(ls build-package/skyreel_1.0_*.deb)" >/dev/null
# Root for the daemon's test, which runs the daemon as an unprivileged user.
export SKYREEL_INSTALLED=/usr/libexec/xscreensaver/skyreel
as_root ctest --test-dir build --output-on-failure -L installed
as_root apt-get remove -y -qq skyreel >/dev/null
for f in /usr/libexec/xscreensaver/skyreel /usr/bin/skyreel /usr/share/xscreensaver/config/skyreel.xml; do
  if [ -e "$f" ] || [ -L "$f" ]; then
    report_failure 1 "left behind after removal: $f"
    exit 1
  fi
done

step "ASan+UBSan"
# Line tables are all a sanitizer's report needs; full debug information
# would make these builds a third slower.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DSKYREEL_SANITIZE="address;undefined" >/dev/null
asan_tests=(-LE 'gl|e2e|installed|wine')
mapfile -t targets < <(tested_targets build-asan "${asan_tests[@]}")
cmake --build build-asan -j "$jobs" --target "${targets[@]}"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" "${asan_tests[@]}"

step "TSan"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
  -DSKYREEL_SANITIZE=thread >/dev/null
mapfile -t targets < <(tested_targets build-tsan -L threaded)
cmake --build build-tsan -j "$jobs" --target "${targets[@]}"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tools/tsan.supp" \
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L threaded

step "fuzz"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSKYREEL_TESTS=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -gline-tables-only -DNDEBUG" \
  -DSKYREEL_SANITIZE="fuzzer-no-link;address;undefined" >/dev/null
cmake --build build-fuzz -j "$jobs" --target skyreel_fuzz
fuzz_one() {
  local log="build-fuzz/fuzz-$1.log"
  if tools/fuzz.sh "$1" 20 >"$log" 2>&1; then
    echo "fuzz $1: ok, $(grep -m1 -o 'Done [0-9]* runs' "$log")"
  else
    echo "fuzz $1: FAILED"
    tail -40 "$log"
    return 1
  fi
}
export -f fuzz_one
tools/fuzz.sh --list | xargs -P "$jobs" -I{} bash -c 'fuzz_one {}'

step "Win32 (MinGW-w64, i686 and x86_64) under Wine"
JOBS="$jobs" tools/build-windows.sh test
step "Windows installer under Wine"
tools/package.sh windows
if runs_32bit; then
  xvfb-run -a tools/test-windows-installer.sh build-package/skyreel-1.0-setup.exe \
    build-win32/skyreel.scr
else
  skip "the Windows installer under Wine: it is a 32-bit program, and this machine cannot run" \
    "32-bit programs (the installer was built, not run)"
fi
step "Win32 downloads and saver end to end under Wine"
win_build=$(wine_test_build)
runs_32bit || use_wine64_only "$win_build/wine64-bin"
# Each test makes a fresh prefix of its own, so that tests running side by
# side never share one: a copy of the prefix made for the Win32 tests before
# they ran in it.
SKYREEL_WINE_PREFIX_TEMPLATE="$win_build/wineprefix-template" \
  ctest --test-dir build --output-on-failure -j "$jobs" -L wine
step "done"
if [ -s "$SKYREEL_SKIP_LOG" ]; then
  echo "every step passed; skipped:"
  sed 's/^/  /' "$SKYREEL_SKIP_LOG"
else
  echo "every step passed; nothing skipped"
fi
rm -f "$SKYREEL_SKIP_LOG"
