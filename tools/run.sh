#!/usr/bin/env bash
# Installs what the saver needs, builds it, starts the local demo site on a
# free loopback port and runs the saver against it.
#   With a display: the full-screen saver (any key, click or mouse move ends it).
#   Without one: under Xvfb, with a screenshot every three seconds, until
#   both weather panels and the new-version notice have been shown (the
#   saver's --verbose log says when), at most five minutes; then it names
#   the screenshots that hold them.
# Extra arguments go to the saver (for example /C for the setup dialog).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
cmake -S . -B build-run -G Ninja -DSKYREEL_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-run --target skyreel skyreel-demo-site skyreel-screenshot

work=$(mktemp -d /tmp/skyreel-demo.XXXXXX)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

build-run/tools/demo-site/skyreel-demo-site > "$work/site.log" &
pids+=($!)
for _ in $(seq 100); do grep -q '^listening on ' "$work/site.log" && break; sleep 0.1; done
site=$(sed -n 's/^listening on //p' "$work/site.log" | head -n1)
[ -n "$site" ] || { echo "the demo site did not start" >&2; exit 1; }
echo "demo site: $site"

# The demo keeps its own data folder, so a real cache is never touched.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
args=(--site "$site")

if [ -n "${DISPLAY:-}" ]; then
  build-run/skyreel "${args[@]}" --slide-ms "${SLIDE_MS:-4000}" "${@:-/S}"
  exit 0
fi

shots="$work/screenshots"
mkdir -p "$shots"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
build-run/skyreel "${args[@]}" --verbose --slide-ms "${SLIDE_MS:-500}" "${@:-/S}" \
  2>"$work/saver.log" &
saver=$!
pids+=($saver)
# A shot every three seconds, and one more once each interlude is on show:
# the log names it when it is painted, a slide (0.5 s) and a fade (about a
# second) before it shows in full.
wanted=("current conditions panel" "forecast panel" "new-version notice")
declare -A seen=()
limit=$((SECONDS + ${RUN_LIMIT:-300}))
tick=0
while [ ${#seen[@]} -lt ${#wanted[@]} ] && [ $SECONDS -lt $limit ] && kill -0 "$saver" 2>/dev/null; do
  sleep 0.25
  tick=$((tick + 1))
  if [ $((tick % 12)) -eq 0 ]; then
    build-run/tools/skyreel-screenshot "$shots/shot-$(printf %03d $((tick / 12))).png" || true
  fi
  for w in "${wanted[@]}"; do
    if [ -z "${seen[$w]:-}" ] && grep -q "interlude: $w" "$work/saver.log"; then
      sleep 1.7
      seen[$w]="interlude-${w// /-}.png"
      build-run/tools/skyreel-screenshot "$shots/${seen[$w]}" || true
    fi
  done
done
kill -TERM "$saver" 2>/dev/null || true
wait "$saver" 2>/dev/null || true
echo "screenshots: $shots"
for w in "${wanted[@]}"; do echo "  $w: ${seen[$w]:-not shown within the limit}"; done
echo "event log: $work/saver.log"
[ ${#seen[@]} -eq ${#wanted[@]} ]
