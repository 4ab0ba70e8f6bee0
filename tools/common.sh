# Sourced by the build and test scripts: named steps whose failure names the
# step and the command, and what this machine can run.

# A failing command ends the script with a line naming the step it was in
# and the command itself, never a bare exit code.
set -Eeuo pipefail
current_step="${current_step:-$(basename "$0")}"
step() {
  current_step="$*"
  printf '\n=== %s\n' "$*"
}
report_failure() {
  local rc=$1 command=$2
  printf '\nFAILED (exit code %s) in step "%s" of %s:\n  %s\n' \
    "$rc" "$current_step" "$(basename "$0")" "$command" >&2
}
trap 'report_failure $? "$BASH_COMMAND"' ERR

# Whether this machine runs 32-bit x86 programs, found once by running one: a
# 93-byte ELF that only exits. An installed i386 package proves nothing, as
# some kernels are built or booted without 32-bit support. SKYREEL_RUNS_32BIT
# (yes or no) holds the answer for the scripts started from here; set by hand
# it overrides the probe, to test the other path.
runs_32bit() {
  if [ -z "${SKYREEL_RUNS_32BIT:-}" ]; then
    local probe
    probe=$(mktemp)
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    SKYREEL_RUNS_32BIT=no
    if "$probe" 2>/dev/null; then SKYREEL_RUNS_32BIT=yes; fi
    rm -f "$probe"
    export SKYREEL_RUNS_32BIT
  fi
  [ "$SKYREEL_RUNS_32BIT" = yes ]
}

# One plain line for each thing left out, so that a skip is never mistaken
# for a pass; also kept in $SKYREEL_SKIP_LOG when set, for a summary.
skip() {
  printf 'SKIPPED: %s\n' "$*"
  if [ -n "${SKYREEL_SKIP_LOG:-}" ]; then printf '%s\n' "$*" >>"$SKYREEL_SKIP_LOG"; fi
}

# Where 32-bit programs cannot run, every "wine" goes to 64-bit Wine: Debian's
# wine and wine-stable scripts (the latter behind wineboot and the other
# tools) pick the 32-bit loader whenever wine32 is installed. The shims live
# in $1, which goes first on PATH.
use_wine64_only() {
  local dir=$1
  mkdir -p "$dir"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$dir/$name"
    chmod +x "$dir/$name"
  done
  export PATH="$dir:$PATH" WINELOADER=/usr/lib/wine/wine64
}

# The Win32 build whose saver the Wine tests of the Linux build run: the
# 32-bit one where it can run, else the 64-bit one.
wine_test_build() {
  if runs_32bit; then echo "$PWD/build-win32"; else echo "$PWD/build-win64"; fi
}
