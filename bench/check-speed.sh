#!/usr/bin/env bash
# Measures how many map files per second `korrin-map check` reads in one call.
# Usage: bench/check-speed.sh [path/to/korrin-map] [number of files]
set -euo pipefail

tool="$(realpath "${1:-$(dirname "$0")/../build/release/tools/korrin-map}")"
count="${2:-10000}"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

row=$'0000000000000\r\n'
body=$' 13 \r\n 13 \r\n'
for _ in $(seq 12); do body+="$row"; done
body+=$'0000009000000\r\n'
for i in $(seq -w 1 "$count"); do printf '%s' "$body" > "$dir/map$i.txt"; done

cd "$dir"
best=""
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$tool" check map*.txt > /dev/null
    end=$(date +%s%N)
    elapsed=$((end - start))
    if [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; then best=$elapsed; fi
done
echo "checked $count files in $((best / 1000000)) ms (best of 5): $((count * 1000000000 / best)) files per second"
