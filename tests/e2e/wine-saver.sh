#!/bin/sh
# Starts the Win32 saver given as $1 under Wine, in the prefix $HOME/.wine,
# with the other arguments as its command line. WINELOADER, when set, is the
# loader the test command chose (64-bit Wine where 32-bit programs cannot run).
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec "${WINELOADER:-wine}" "$@"
