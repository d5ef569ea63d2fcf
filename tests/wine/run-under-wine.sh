#!/usr/bin/env bash
# Runs a command beside a Wine of its own: a 32-bit prefix made once, a fresh virtual X display.
# Usage: run-under-wine.sh COMMAND [ARG...]   (COMMAND is e.g. "wine prog.exe" or a test script)
set -euo pipefail

export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/wine-prefix}"
export WINEARCH=win32
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
    wineboot -i >/dev/null 2>&1
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
