#!/usr/bin/env bash
# Times `korrin-map check` against `wc -l` on the same cached big files, in one run: a map whose
# first row line is the whole file, and a map header followed by a sparse hole. Prints the
# ratio of the best times and the peak resident memory of both beside that of a small map.
# Usage: bench/check-ratio.sh [path/to/korrin-map] [size, as for truncate: 1G]
set -euo pipefail

tool="$(realpath "${1:-$(dirname "$0")/../build/release/tools/korrin-map}")"
size="${2:-1G}"
runs=5
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

header=$' 13 \r\n 13 \r\n'
rows=""
for _ in $(seq 12); do rows+=$'0000000000000\r\n'; done
printf '%s' "$header$rows"$'0000009000000\r\n' > "$dir/small.txt"
{
    printf '%s' "$header"
    head -c "$size" /dev/zero | tr '\0' '7'
    printf '%s' $'1234567890123\r\n'"$rows"
} > "$dir/long-line.txt"
printf '%s' "$header" > "$dir/sparse.txt"
truncate -s "$size" "$dir/sparse.txt"

# Best wall time of $runs runs, in nanoseconds.
best_time() {
    local best="" start end
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$@" > /dev/null || true
        end=$(date +%s%N)
        if [ -z "$best" ] || [ $((end - start)) -lt "$best" ]; then best=$((end - start)); fi
    done
    echo "$best"
}

peak_kb() {
    /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1
}

status=0
echo "korrin-map check on a small map: peak $(peak_kb "$tool" check "$dir/small.txt") KB"
for name in long-line sparse; do
    file="$dir/$name.txt"
    bytes=$(stat -c %s "$file")
    cat "$file" > /dev/null  # into the page cache
    wc_ns=$(best_time wc -l "$file")
    check_ns=$(best_time "$tool" check "$file")
    ratio=$(awk -v c="$check_ns" -v w="$wc_ns" 'BEGIN { printf "%.2f", c / w }')
    awk -v n="$name" -v b="$bytes" -v w="$wc_ns" -v c="$check_ns" -v r="$ratio" \
        -v wm="$(peak_kb wc -l "$file")" -v cm="$(peak_kb "$tool" check "$file")" 'BEGIN {
            printf "%s, %.2f GB: wc -l %.3f s (%.2f GB/s, peak %d KB), ", n, b / 1e9, w / 1e9, b / w, wm
            printf "check %.3f s (%.2f GB/s, peak %d KB), ratio %s\n", c / 1e9, b / c, cm, r }'
    if awk -v r="$ratio" 'BEGIN { exit !(r > 2) }'; then status=1; fi
done
[ "$status" -eq 0 ] && echo "target met: check within 2x of wc -l" || echo "target missed: check over 2x of wc -l"
exit "$status"
