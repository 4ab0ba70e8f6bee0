#!/usr/bin/env bash
# Cross-builds the Win32 saver with MinGW-w64: build-win32/skyreel.scr (i686)
# and build-win64/skyreel.scr (x86_64), each with its tests.
# Usage: tools/build-windows.sh [test]
#   test  also installs Wine and runs the tests under Wine with Xvfb, in one
#         fresh Wine prefix: both builds where this machine runs 32-bit
#         programs, else only the x86_64 build under 64-bit Wine (the i686
#         tests are then skipped, with a line that says so).
cd "$(dirname "$0")/.."
. tools/common.sh

# Packages, only those still missing. 32-bit Wine needs the i386 architecture
# and its Mesa drivers for WGL under Xvfb; it is of no use where 32-bit
# programs cannot run. nlohmann-json is header-only: the cross build reads
# Debian's header.
step "Win32 build packages"
want=(cmake ninja-build mingw-w64 icoutils nlohmann-json3-dev)
if [ "${1:-}" = test ]; then
  # Xinerama and RandR let Wine see every monitor.
  want+=(wine wine64 xvfb xauth x11-utils fonts-dejavu-core)
  if runs_32bit; then
    want+=(wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
           libxinerama1:i386 libxrandr2:i386)
  fi
fi
missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=${JOBS:-$(nproc)}
for arch in i686 x86_64; do
  dir=build-win64; [ "$arch" = i686 ] && dir=build-win32
  step "Win32 build: $dir ($arch)"
  cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  if [ "${1:-}" = test ] && [ "$arch" = i686 ] && ! runs_32bit; then
    # Its tests could not run here; the x86_64 build's tests are the same code.
    cmake --build "$dir" -j "$jobs" --target skyreel
    skip "building the i686 tests: this machine cannot run them (the i686 saver was built)"
  else
    cmake --build "$dir" -j "$jobs"
  fi
  # Only DLLs every Windows has: the runtime is linked in statically.
  others=$("$arch-w64-mingw32-objdump" -p "$dir/skyreel.scr" | sed -n 's/^\s*DLL Name: //p' |
    grep -viE '^(kernel32|user32|gdi32|gdiplus|opengl32|comctl32|shell32|ole32|wininet|msvcrt)\.dll$' || true)
  if [ -n "$others" ]; then
    report_failure 1 "$dir/skyreel.scr needs DLLs that Windows does not have: $others"
    exit 1
  fi
done

[ "${1:-}" = test ] || exit 0
# One fresh prefix for the builds that run here. A 64-bit prefix with 32-bit
# Wine runs both (a prefix made before 32-bit Wine was installed could not);
# without 32-bit programs, 64-bit Wine makes it and runs the x86_64 build.
if runs_32bit; then
  builds=(build-win32 build-win64)
  export WINEPREFIX="$PWD/build-win32/wineprefix"
else
  builds=(build-win64)
  use_wine64_only "$PWD/build-win64/wine64-bin"
  export WINEPREFIX="$PWD/build-win64/wineprefix"
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
step "Wine prefix $WINEPREFIX"
# Made once, kept as it is made: the tests that make prefixes of their own
# (SKYREEL_WINE_PREFIX_TEMPLATE, tools/wine-prefix.sh) copy it.
template="$WINEPREFIX-template"
WINEPREFIX="$template" xvfb-run -a tools/wine-prefix.sh
SKYREEL_WINE_PREFIX_TEMPLATE="$template" tools/wine-prefix.sh
# The prefix's server and Wine's own services (its desktop among them, on
# the tests' display) are started first and kept to the end: started by the
# first test, they would hold its output open, and its ctest slot taken,
# until the last one ended.
for dir in "${builds[@]}"; do
  step "tests under Wine: $dir"
  xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit >/dev/null 2>&1
    rc=0
    ctest --test-dir "$1" --output-on-failure -j "$2" || rc=$?
    wineserver -k
    exit "$rc"' _ "$dir" "$jobs"
done
runs_32bit || skip "the tests of build-win32 (i686) under Wine: this machine cannot run 32-bit programs"
