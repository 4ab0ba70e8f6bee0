#!/usr/bin/env bash
# Builds the installable packages into build-package/:
#   skyreel_1.0_<arch>.deb   the Debian package (CPack, dependencies from the
#                            linked libraries), checked with lintian
#   skyreel-1.0-setup.exe    the Windows installer (NSIS) of the 32-bit
#                            build-win32/skyreel.scr, built first if missing
# Usage: tools/package.sh [deb|windows] (both when not given). Installs the
# Debian packages it needs, only those still missing.
#
# Wikimedia asks every client for a contact in its agent, so both packages
# are built with one: DEBEMAIL (an address, or "Name <address>"), else the
# Debian package's Maintainer (CPACK_PACKAGE_CONTACT in
# packaging/CMakeLists.txt). Without an address no package is built.
set -euo pipefail
cd "$(dirname "$0")/.."
what=${1:-all}

maintainer=$(sed -n 's/^set(CPACK_PACKAGE_CONTACT "\(.*\)")$/\1/p' packaging/CMakeLists.txt)
contact=${DEBEMAIL:-$maintainer}
[[ "$contact" == *"<"*">"* ]] && contact=${contact##*<} && contact=${contact%%>*}
if ! [[ "$contact" =~ ^[A-Za-z0-9._%+-]+@[A-Za-z0-9-]+(\.[A-Za-z0-9-]+)+$ ]]; then
  echo "package: no contact address for the agent Wikimedia sees (got '${contact}')." >&2
  echo "package: set DEBEMAIL=you@example.org, or the Maintainer in packaging/CMakeLists.txt." >&2
  exit 1
fi
case "${contact,,}" in
  *.example | *.invalid | *.test | *.localhost | *@example.com | *@example.net | *@example.org)
    echo "package: warning: $contact is under a reserved domain that no mail reaches;" \
      "set DEBEMAIL to a real address for a package that leaves this machine" >&2 ;;
esac
echo "package: agent contact $contact"

tools/install-deps.sh package
mkdir -p build-package

if [ "$what" != windows ]; then
  cmake -S . -B build-package -G Ninja -DSKYREEL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release \
    -DSKYREEL_AGENT_CONTACT="$contact" >/dev/null
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
# The saver again with the contact: only the agent's file is compiled anew.
cmake -S . -B build-win32 -DSKYREEL_AGENT_CONTACT="$contact" >/dev/null
cmake --build build-win32 --target skyreel
icotool -c -o build-package/skyreel.ico resources/icons/skyreel-{16,24,32,48,256}.png
makensis -V2 -DSCR="$PWD/build-win32/skyreel.scr" -DICON="$PWD/build-package/skyreel.ico" \
  -DREADME="$PWD/README.md" -DOUT="$PWD/build-package/skyreel-1.0-setup.exe" packaging/skyreel.nsi
echo "package: build-package/skyreel-1.0-setup.exe"
