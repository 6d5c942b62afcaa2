#!/bin/sh
# Runs a Windows program under wine (Debian's wine64), quietly, in a wine
# prefix of the project's own: scripts/wine-run.sh PROGRAM.exe [ARGUMENTS...]
# The prefix is made on first use. Its windows are not left to a window
# manager (a bare virtual display has none, and wine would wait for one).
# A display is used only where DISPLAY names one.
export WINEPREFIX="${KIVREL_WINEPREFIX:-${HOME:-/tmp}/.wine-kivrel}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.kivrel-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.kivrel-ready" ]; then
      env -u DISPLAY "$wine" wineboot --init >/dev/null 2>&1
      env -u DISPLAY "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      /usr/lib/wine/wineserver64 -w
      touch "$WINEPREFIX/.kivrel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec "$wine" "$@"
