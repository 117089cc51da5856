#!/usr/bin/env bash
# The cost of the calls git makes of korrin-map in a level pack (cells as the diff textconv,
# diff, merge as the merge driver), each beside a C++ hello world linked the same way: all run
# as separate programs, alternately in rounds, and the CPU time (user and system) of each is
# summed. Prints the CPU per call and each command's ratio to hello.
# Usage: bench/git-call.sh [build folder with KORRIN_BENCH=ON] [calls per round]
set -euo pipefail

build="$(realpath "${1:-$(dirname "$0")/../build-bench}")"
calls="${2:-200}"
rounds=5
tool="$build/tools/korrin-map"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
for name in base ours theirs; do
    {
        printf ' 13 \r\n 13 \r\n'
        for y in $(seq 12); do
            case "$name$y" in ours3) printf '0000300000000\r\n' ;; theirs4) printf '0004000000000\r\n' ;;
                *) printf '0000000000000\r\n' ;; esac
        done
        printf '0000009000000\r\n'
    } > "$dir/$name.txt"
done

# CPU seconds that the children of a subshell running "$@" $calls times used.
cpu_of() {
    bash -c 'for ((i = 0; i < $0; i++)); do "$@" > /dev/null; done; times' "$calls" "$@" |
        tail -1 | awk '{ split($1, u, /[ms]/); split($2, s, /[ms]/);
                         print u[1] * 60 + u[2] + s[1] * 60 + s[2] }'
}

declare -A cpu=([hello]=0 [cells]=0 [diff]=0 [merge]=0)
for _ in $(seq "$rounds"); do
    cpu[hello]=$(echo "${cpu[hello]} + $(cpu_of "$build/bench/hello")" | bc -l)
    cpu[cells]=$(echo "${cpu[cells]} + $(cpu_of "$tool" cells "$dir/ours.txt")" | bc -l)
    cpu[diff]=$(echo "${cpu[diff]} + $(cpu_of "$tool" diff "$dir/base.txt" "$dir/ours.txt")" | bc -l)
    cpu[merge]=$(echo "${cpu[merge]} + $(cpu_of "$tool" merge "$dir/base.txt" "$dir/ours.txt" \
        "$dir/theirs.txt" -o "$dir/merged.txt")" | bc -l)
done
total=$((calls * rounds))
for name in hello cells diff merge; do
    printf '%-6s %.3f ms CPU per call, %.2f x hello\n' "$name" \
        "$(echo "1000 * ${cpu[$name]} / $total" | bc -l)" "$(echo "${cpu[$name]} / ${cpu[hello]}" | bc -l)"
done
echo "target: cells, diff and merge at most 1.3 x hello"
