#!/bin/sh
# Starts the Win32 saver given as $1 under Wine, in the prefix $HOME/.wine,
# with the other arguments as its command line.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
