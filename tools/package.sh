#!/usr/bin/env bash
# Builds the installable packages into build-package/:
#   skyreel_1.0_<arch>.deb   the Debian package (CPack, dependencies from the
#                            linked libraries), checked with lintian
# Installs the Debian packages it needs, only those still missing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh package

cmake -S . -B build-package -G Ninja -DSKYREEL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-package --target skyreel skyreel_docs
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls build-package/package/skyreel_1.0_*.deb)
cp "$deb" build-package/
deb="build-package/$(basename "$deb")"
# Errors fail the build; warnings are printed for a person to read.
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "package: $deb"
