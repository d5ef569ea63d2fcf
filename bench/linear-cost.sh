#!/usr/bin/env bash
# Shows that a run costs the same per argument at 1,000, 10,000 and 100,000 arguments.
#
#   bench/linear-cost.sh [path/to/askbox]
#
# Two paths: n arguments a=1 and then one without "=" (the run stops there with exit code 9), and
# n arguments a=1 followed by text=Hi, where every option is looked up among all n lines and the
# box finds no terminal (exit code 0). Instructions are counted by callgrind; the wall time is the
# mean of several runs (RUNS, 10 by default). Prints a Markdown table.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/native/askbox}
runs=${RUNS:-10}
command -v valgrind >/dev/null || { echo "valgrind is needed" >&2; exit 1; }
[ -x "$program" ] || { echo "no program at $program; build it first: cmake --build --preset native" >&2; exit 1; }

instructions() {  # prints the instruction count of one run of the given command
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" </dev/null >/dev/null 2>"$scratch/log" || true
  sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$scratch/log"
}

seconds() {  # prints the mean wall time of one run, in seconds
  local start end
  start=$(date +%s%N)
  for ((r = 0; r < runs; r++)); do "$@" </dev/null >/dev/null || true; done
  end=$(date +%s%N)
  echo $(((end - start) / runs))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

echo "| path | arguments | exit code | instructions | per argument | per added argument | wall time | time per added argument |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
for path in bad-last all-options; do
  # The run with no a=1 at all gives the fixed cost, so that what each added argument costs shows.
  for n in 0 1000 10000 100000; do
    args=()
    for ((i = 0; i < n; i++)); do args+=(a=1); done
    if [ "$path" = bad-last ]; then args+=(oops); else args+=(text=Hi); fi
    # setsid: no controlling terminal, so the box path ends at once with "MessageBox Failed".
    code=0
    setsid -w "$program" "${args[@]}" </dev/null >/dev/null || code=$?
    count=$(setsid -w bash -c "$(declare -f instructions); scratch=$scratch; instructions \"\$@\"" _ "$program" "${args[@]}")
    nanos=$(seconds setsid -w "$program" "${args[@]}")
    if [ "$n" = 0 ]; then
      base_count=$count
      base_nanos=$nanos
      continue
    fi
    awk -v p="$path" -v n="$n" -v c="$code" -v i="$count" -v t="$nanos" -v bi="$base_count" -v bt="$base_nanos" 'BEGIN {
      printf "| %s | %d | %d | %d | %.0f | %.0f | %.2f ms | %.0f ns |\n", p, n, c, i, i / n, (i - bi) / n, t / 1e6, (t - bt) / n }'
  done
done
