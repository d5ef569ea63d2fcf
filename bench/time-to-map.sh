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
# Then, with openbox on the display, a second table from one interleaved run: the floor (a bare
# Xlib window, bench/floor.c), askbox (and the other build) and xmessage, taking turns run by run,
# each with its ratio to the floor.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/native/askbox}")
other=${2:+$(realpath "$2")}
for tool in Xvfb xmessage gcc; do
  command -v "$tool" >/dev/null || { echo "$tool is needed (apt-get install xvfb x11-utils gcc)" >&2; exit 1; }
done
scratch=$(mktemp -d)
cleanup() {
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
gcc -O2 -o "$scratch/time-to-map" bench/time-to-map.c -lX11
gcc -O2 -o "$scratch/floor" bench/floor.c -lX11

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

command -v openbox >/dev/null || { echo "openbox is needed for the second table" >&2; exit 0; }
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
names=(floor askbox ${other:+askbox-other} xmessage)
commands=("$scratch/floor" -- "$program" "text=$text" caption=Backup --)
[ -n "$other" ] && commands+=("$other" "text=$text" caption=Backup --)
commands+=(xmessage -title Backup "$text")
"$scratch/time-to-map" 5 "${commands[@]}" >/dev/null
mapfile -t results < <("$scratch/time-to-map" "$runs" "${commands[@]}")
floor=${results[0]%% *}
echo
echo "Under openbox, interleaved:"
echo
echo "| program | median ms | fastest ms | median / floor's |"
echo "|---|---:|---:|---:|"
for i in "${!names[@]}"; do
  read -r median fastest <<<"${results[$i]}"
  echo "| ${names[$i]} | $median | $fastest | $(awk "BEGIN { printf \"%.2f\", $median / $floor }") |"
done
