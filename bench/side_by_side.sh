#!/usr/bin/env bash
# The saver beside XScreenSaver's glslideshow on one Xvfb: start-up, memory
# and CPU (bench/side_by_side_bench.cpp says what is measured). Installs the
# peer (xscreensaver-gl, xscreensaver-data) only when glslideshow is
# missing: it is the bench's peer, never a dependency of the saver.
# Extra arguments go to the bench: --rounds N, --soak, --shots DIR.
cd "$(dirname "$0")/.." || exit 1
. tools/common.sh

peer=/usr/libexec/xscreensaver/glslideshow
step "peer"
if [ ! -x "$peer" ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends xscreensaver-gl xscreensaver-data
fi

step "packages"
tools/install-deps.sh test

step "build"
cmake -S . -B build -G Ninja -DSKYREEL_BENCH=ON >/dev/null
cmake --build build -j 2 --target side_by_side_bench skyreel

step "bench"
build/bench/side_by_side_bench --saver build/skyreel --peer "$peer" "$@"
