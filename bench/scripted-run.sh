#!/usr/bin/env bash
# Times a scripted 42-entry run of the release build against `cat` of the
# same input, in the same hyperfine run, and prints how many times slower
# than that floor the program is. Usage: bench/scripted-run.sh [executable]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath -m "${1:-$root/build/release/cogmarrow-igt}")"
if [ ! -x "$program" ]; then
  # Presets are read from the current folder, whichever -S says.
  (cd "$root" && cmake --preset release >/dev/null &&
    cmake --build --preset release >/dev/null)
fi
command -v hyperfine >/dev/null || {
  echo "hyperfine is needed: tools/setup bench" >&2
  exit 1
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
for _ in $(seq 42); do echo 923; done >times.txt

hyperfine --warmup 20 --runs 300 --export-csv results.csv \
  --command-name cat "cat < times.txt" \
  --command-name cogmarrow-igt "'$program' < times.txt"

awk -F, 'NR == 2 { floor = $2 } NR == 3 { run = $2 }
  END { printf "scripted run / cat floor: %.2f (%.2f ms against %.2f ms)\n",
        run / floor, run * 1000, floor * 1000 }' results.csv
