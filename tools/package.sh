#!/usr/bin/env bash
# Builds the installable packages into build-package/:
#   skyreel_1.0_<arch>.deb   the Debian package (CPack, dependencies from the
#                            linked libraries), checked with lintian
#   skyreel-1.0-setup.exe    the Windows installer (NSIS) of the 32-bit
#                            build-win32/skyreel.scr, built first if missing
# Usage: tools/package.sh [deb|windows] (both when not given). Installs the
# Debian packages it needs, only those still missing.
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}
tools/install-deps.sh package
mkdir -p build-package

if [ "$what" != windows ]; then
  cmake -S . -B build-package -G Ninja -DSKYREEL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-package --target skyreel skyreel_docs
  (cd build-package && cpack -G DEB >/dev/null)
  deb=$(ls build-package/package/skyreel_1.0_*.deb)
  cp "$deb" build-package/
  deb="build-package/$(basename "$deb")"
  # Errors fail the build; warnings are printed for a person to read.
  lintian --fail-on error --tag-display-limit 0 "$deb"
  echo "package: $deb"
fi

[ "$what" != deb ] || exit 0
[ -f build-win32/skyreel.scr ] || tools/build-windows.sh
icotool -c -o build-package/skyreel.ico resources/icons/skyreel-{16,24,32,48,256}.png
makensis -V2 -DSCR="$PWD/build-win32/skyreel.scr" -DICON="$PWD/build-package/skyreel.ico" \
  -DOUT="$PWD/build-package/skyreel-1.0-setup.exe" packaging/skyreel.nsi
echo "package: build-package/skyreel-1.0-setup.exe"
