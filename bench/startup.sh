#!/usr/bin/env bash
# Start-up cost of askbox's three short paths beside minimal C programs, dynamic and static, that write the same bytes.
#
#   bench/startup.sh [path/to/askbox]
#
# The paths: the usage text with its pause (no arguments, standard input /dev/null, exit code 8),
# a bad argument (exit code 9) and a failure report (exit code 1). Standard output goes to
# /dev/null. The minimal dynamic program is linked as askbox is (shared C library, PIE, Debian's
# default hardening), so the ratio to it is what askbox's own work costs; the static one is the
# anchor of the figures from before askbox was linked dynamically. Instructions are counted by
# callgrind, wall time is measured by hyperfine. Prints a Markdown table, then the sizes of askbox,
# the minimal programs and askbox.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/native/askbox}")
for tool in valgrind hyperfine gcc python3; do
  command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done
[ -x "$program" ] || { echo "no program at $program; build it first: cmake --build --preset native" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

names=(usage bad-argument report)
declare -A arguments=([usage]="" [bad-argument]="text=Hi oops" [report]="text=Hi mode=8 icon=")
declare -A codes=([usage]=8 [bad-argument]=9 [report]=1)
declare -A macros=([usage]=USAGE_TEXT [bad-argument]=BAD_ARGUMENT_TEXT [report]=REPORT_TEXT)

# askbox's output becomes the minimal program's text, so both write the same bytes.
for name in "${names[@]}"; do
  code=0
  # shellcheck disable=SC2086 # the arguments are meant to split
  "$program" ${arguments[$name]} </dev/null >"$scratch/$name.out" || code=$?
  [ "$code" = "${codes[$name]}" ] || { echo "askbox ended the $name path with $code" >&2; exit 1; }
done
python3 - "$scratch" <<'PY'
import sys
scratch = sys.argv[1]
with open(scratch + "/texts.h", "w") as header:
    for name, macro in [("usage", "USAGE_TEXT"), ("bad-argument", "BAD_ARGUMENT_TEXT"), ("report", "REPORT_TEXT")]:
        data = open("%s/%s.out" % (scratch, name), "rb").read()
        header.write("#define %s \"%s\"\n" % (macro, "".join("\\x%02x" % b for b in data)))
PY
minimal="$scratch/minimal"
gcc -O2 -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wl,-z,relro -I"$scratch" -o "$minimal" bench/minimal.c
gcc -static -O2 -I"$scratch" -o "$minimal-static" bench/minimal.c
for anchor in "$minimal" "$minimal-static"; do
  for name in "${names[@]}"; do
    code=0
    "$anchor" "$name" </dev/null >"$scratch/$name.minimal" || code=$?
    [ "$code" = "${codes[$name]}" ] && cmp -s "$scratch/$name.out" "$scratch/$name.minimal" ||
      { echo "$(basename "$anchor") differs from askbox on the $name path" >&2; exit 1; }
  done
done

instructions() {  # the instruction count of one run of the given command
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" </dev/null >/dev/null 2>"$scratch/log" || true
  sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$scratch/log"
}

milliseconds() {  # mean and standard deviation of the wall time, from hyperfine
  hyperfine -N -i --warmup 50 --runs "${RUNS:-500}" --export-json "$scratch/time.json" "$1" </dev/null >/dev/null 2>&1
  python3 -c 'import json, sys; r = json.load(open(sys.argv[1]))["results"][0]
print("%.3f ms ± %.3f" % (r["mean"] * 1e3, r["stddev"] * 1e3))' "$scratch/time.json"
}

echo "| path | exit code | bytes written | askbox instructions | minimal dynamic | ratio | minimal static | askbox wall time | minimal dynamic wall time |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|"
for name in "${names[@]}"; do
  # shellcheck disable=SC2086
  ours=$(instructions "$program" ${arguments[$name]})
  theirs=$(instructions "$minimal" "$name")
  static=$(instructions "$minimal-static" "$name")
  ours_time=$(milliseconds "$program ${arguments[$name]}")
  theirs_time=$(milliseconds "$minimal $name")
  awk -v n="$name" -v c="${codes[$name]}" -v b="$(stat -c %s "$scratch/$name.out")" -v o="$ours" -v t="$theirs" \
    -v s="$static" -v ot="$ours_time" -v tt="$theirs_time" 'BEGIN {
      printf "| %s | %d | %d | %d | %d | %.2f | %d | %s | %s |\n", n, c, b, o, t, o / t, s, ot, tt }'
done
echo
size_of() { [ -f "$1" ] && stat -c %s "$1" || echo "not built"; }
strip -o "$scratch/askbox.stripped" "$program"
echo "| file | size in bytes |"
echo "|---|---:|"
echo "| askbox (with debug information) | $(size_of "$program") |"
echo "| askbox stripped | $(size_of "$scratch/askbox.stripped") |"
echo "| minimal program (dynamic, gcc -O2) | $(size_of "$minimal") |"
echo "| minimal program (static, gcc -O2) | $(size_of "$minimal-static") |"
echo "| askbox.exe (build/win32) | $(size_of build/win32/askbox.exe) |"
echo "| askbox.exe (build/win64) | $(size_of build/win64/askbox.exe) |"
