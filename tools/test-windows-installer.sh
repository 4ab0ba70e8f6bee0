#!/usr/bin/env bash
# The Windows installer under Wine, the way an administrator runs it: /S
# installs silently, then the screensaver, its uninstaller entry and the
# current-screensaver setting are checked; the uninstaller (/S) then takes
# every one of them back. Usage: tools/test-windows-installer.sh SETUP SCR
set -euo pipefail
cd "$(dirname "$0")/.."
setup=$1
scr=$2
export WINEPREFIX="$PWD/build-package/wineprefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1

fail() { echo "installer test: $*" >&2; exit 1; }
# The data of one registry value, or nothing when it is missing.
value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Skyreel'
desktop_key='HKCU\Control Panel\Desktop'
installed="$WINEPREFIX/drive_c/windows/skyreel.scr"
readme="$WINEPREFIX/drive_c/windows/skyreel-readme.txt"

[ ! -e "$installed" ] || fail "skyreel.scr exists before the install"
[ -z "$(value "$uninstall_key" DisplayName)" ] || fail "an uninstaller entry exists before"
wine "$setup" /S
wineserver -w

cmp -s "$installed" "$scr" || fail "C:\\windows\\skyreel.scr is not the built saver"
cmp -s "$readme" README.md || fail "no README beside the saver"
[ "$(value "$uninstall_key" DisplayName)" = "Velmora Skyreel screensaver" ] ||
  fail "no uninstaller entry"
[ "$(value "$uninstall_key" DisplayVersion)" = "1.0" ] || fail "the entry's version"
uninstaller=$(value "$uninstall_key" UninstallString | tr -d '"')
[ -n "$uninstaller" ] || fail "no uninstall command"
current=$(value "$desktop_key" SCRNSAVE.EXE)
case "$current" in
  *[Ss][Kk][Yy][Rr][Ee][Ee][Ll].[Ss][Cc][Rr]) ;;
  *) fail "not the current screensaver: '$current'" ;;
esac
[ "$(value "$desktop_key" ScreenSaveActive)" = "1" ] || fail "the screensaver is not active"

wine "$uninstaller" /S
wineserver -w
[ ! -e "$installed" ] || fail "skyreel.scr left behind"
[ ! -e "$readme" ] || fail "the README left behind"
[ -z "$(value "$uninstall_key" DisplayName)" ] || fail "the uninstaller entry left behind"
[ -z "$(value "$desktop_key" SCRNSAVE.EXE)" ] || fail "still the current screensaver"
[ ! -e "$(winepath -u "$uninstaller" 2>/dev/null)" ] || fail "the uninstaller left behind"
echo "windows installer: installed and removed cleanly"
