#!/usr/bin/env bash
# Start-up cost of askbox's three short paths beside a minimal static C program that writes the same bytes.
#
#   bench/startup.sh [path/to/askbox]
#
# The paths: the usage text with its pause (no arguments, standard input /dev/null, exit code 8),
# a bad argument (exit code 9) and a failure report (exit code 1). Standard output goes to
# /dev/null. Instructions are counted by callgrind, wall time is measured by hyperfine. Prints a
# Markdown table, then the sizes of askbox and askbox.exe.
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
gcc -static -O2 -I"$scratch" -o "$minimal" bench/minimal.c
for name in "${names[@]}"; do
  code=0
  "$minimal" "$name" </dev/null >"$scratch/$name.minimal" || code=$?
  [ "$code" = "${codes[$name]}" ] && cmp -s "$scratch/$name.out" "$scratch/$name.minimal" ||
    { echo "the minimal program differs from askbox on the $name path" >&2; exit 1; }
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

echo "| path | exit code | bytes written | askbox instructions | minimal instructions | ratio | askbox wall time | minimal wall time |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
for name in "${names[@]}"; do
  # shellcheck disable=SC2086
  ours=$(instructions "$program" ${arguments[$name]})
  theirs=$(instructions "$minimal" "$name")
  ours_time=$(milliseconds "$program ${arguments[$name]}")
  theirs_time=$(milliseconds "$minimal $name")
  awk -v n="$name" -v c="${codes[$name]}" -v b="$(stat -c %s "$scratch/$name.out")" -v o="$ours" -v t="$theirs" \
    -v ot="$ours_time" -v tt="$theirs_time" 'BEGIN {
      printf "| %s | %d | %d | %d | %d | %.2f | %s | %s |\n", n, c, b, o, t, o / t, ot, tt }'
done
echo
size_of() { [ -f "$1" ] && stat -c %s "$1" || echo "not built"; }
strip -o "$scratch/askbox.stripped" "$program"
echo "| file | size in bytes |"
echo "|---|---:|"
echo "| askbox (static, with debug information) | $(size_of "$program") |"
echo "| askbox stripped | $(size_of "$scratch/askbox.stripped") |"
echo "| minimal program (static, gcc -O2) | $(size_of "$minimal") |"
echo "| askbox.exe (build/win32) | $(size_of build/win32/askbox.exe) |"
