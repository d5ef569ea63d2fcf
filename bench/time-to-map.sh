#!/usr/bin/env bash
# Time from start to the window mapped, askbox beside xmessage, on a virtual display of its own.
#
#   bench/time-to-map.sh [path/to/askbox [path/to/another/askbox]]
#
# Another build of askbox, given second (an older one, say), is timed on the same display in the
# same run, as askbox-other.
# Both show the same short text with one button. The display is a fresh Xvfb without a window
# manager, so only the programs' own work is timed; the window manager's framing would add the
# same to both. Prints a Markdown table of the median and the fastest of RUNS (default 40) runs.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/native/askbox}")
other=${2:+$(realpath "$2")}
for tool in Xvfb xmessage gcc; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (apt-get install xvfb x11-utils gcc)" >&2; exit 1; }
done
scratch=$(mktemp -d)
cleanup() { [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null; rm -rf "$scratch"; }
trap cleanup EXIT
gcc -O2 -o "$scratch/time-to-map" bench/time-to-map.c -lX11

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$scratch/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"
runs=${RUNS:-40}
text="The backup has finished."
# The same in Arabic: shaped, so it also loads HarfBuzz and FriBidi.
arabic="اكتمل النسخ الاحتياطي."
echo "| program | median ms | fastest ms |"
echo "|---|---:|---:|"
for name in askbox xmessage askbox-with-icon askbox-arabic ${other:+askbox-other askbox-other-with-icon askbox-other-arabic}; do
  case $name in
    askbox) command=("$program" "text=$text" caption=Backup) ;;
    askbox-with-icon) command=("$program" "text=$text" caption=Backup icon=64) ;;
    askbox-arabic) command=("$program" "text=$arabic" caption=Backup) ;;
    askbox-other) command=("$other" "text=$text" caption=Backup) ;;
    askbox-other-arabic) command=("$other" "text=$arabic" caption=Backup) ;;
    askbox-other-with-icon) command=("$other" "text=$text" caption=Backup icon=64) ;;
    xmessage) command=(xmessage -title Backup "$text") ;;
  esac
  # A few runs first, untimed: the display's first clients pay for its own start, and files
  # are read from disk once.
  "$scratch/time-to-map" 5 "${command[@]}" >/dev/null
  read -r median fastest < <("$scratch/time-to-map" "$runs" "${command[@]}")
  echo "| $name | $median | $fastest |"
done
