#!/usr/bin/env bash
# Makes a fresh Wine prefix at $WINEPREFIX for the Win32 tests (run under a
# display). Its shell folders become real folders inside the prefix, so
# that the saver's My Pictures folder is the prefix's own and nothing
# reaches the home folder. A fresh prefix has no Microsoft Sans Serif or
# Arial, which GDI+'s generic sans-serif family looks for: both are mapped
# to DejaVu Sans (fonts-dejavu-core) through Wine's font replacements.
# Xvfb runs no window manager, and Wine's managed windows wait for one each
# time they are shown or hidden, about two seconds a dialog: the prefix's
# windows are left unmanaged, as they would be under no window manager.
#
# Making a prefix takes Wine about 15 s. SKYREEL_WINE_PREFIX_TEMPLATE may
# name a prefix this script made that nothing has run in since: a copy of it
# is the same fresh prefix, made in a moment.
. "$(dirname "$0")/common.sh"
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
template=${SKYREEL_WINE_PREFIX_TEMPLATE:-}
if [ -n "$template" ] && [ -f "$template/system.reg" ] && [ "$template" != "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  cp -a "$template" "$WINEPREFIX"
  exit 0
fi
# Wine's chatter stays out of the log unless the prefix cannot be made.
log=$(mktemp)
if ! wineboot -i >"$log" 2>&1; then
  cat "$log" >&2
  rm -f "$log"
  report_failure 1 "wineboot -i (WINEPREFIX=$WINEPREFIX)"
  exit 1
fi
rm -f "$log"
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir "$link"
  fi
done
for family in "Microsoft Sans Serif" "Arial"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$family" /t REG_SZ \
    /d "DejaVu Sans" /f >/dev/null 2>&1
done
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wineserver -w
