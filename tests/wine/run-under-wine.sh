#!/usr/bin/env bash
# Runs a command beside a Wine of its own: a prefix made once per build, a fresh virtual X display.
# Usage: run-under-wine.sh COMMAND [ARG...]
# WINE names the loader to use (/usr/lib/wine/wine for 32-bit programs, /usr/lib/wine/wine64 for
# 64-bit ones) and WINEARCH the prefix's kind (win32 or win64); COMMAND may use "$WINE" itself.
set -euo pipefail

: "${WINE:?WINE must name the Wine loader}"
export WINE
export WINEARCH="${WINEARCH:-win32}"
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/wine-prefix-$WINEARCH}"
export WINEDEBUG=-all
# Wine's own GUI helpers would pop up dialogs nobody answers.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A wine server started without a display keeps its desktop displayless for every later
# program, so each run gets a server of its own, started on this run's display.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

inner() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # The loader is named, not /usr/bin/wine: that one picks the 32-bit loader whenever it is
    # installed, even on a machine that cannot run it.
    "$WINE" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  status=0
  "$@" || status=$?
  wineserver -k 2>/dev/null || true
  exit "$status"
}

if [ -n "${ASKBOX_INNER:-}" ]; then
  inner "$@"
fi
ASKBOX_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
