#!/usr/bin/env bash
# Installs what the saver needs, builds it and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
cmake -S . -B build-run -G Ninja -DSKYREEL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-run --target skyreel
exec build-run/skyreel /C "$@"
