#!/usr/bin/env bash
# The cost of one `korrin-map check FILE` call, as a build script's loop pays it, beside `true`:
# both run as separate programs, alternately in rounds, and the CPU time (user and system) of
# each is summed. Prints the CPU per call of both and their ratio.
# Usage: bench/check-call.sh [path/to/korrin-map] [calls per round]
set -euo pipefail

tool="$(realpath "${1:-$(dirname "$0")/../build/release/tools/korrin-map}")"
calls="${2:-200}"
rounds=5
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
{
    printf ' 13 \r\n 13 \r\n'
    for _ in $(seq 12); do printf '0000000000000\r\n'; done
    printf '0000009000000\r\n'
} > "$dir/level.txt"
truth="$(type -P true)"  # the program, not the shell's builtin

# CPU seconds that the children of a subshell running "$@" $calls times used.
cpu_of() {
    bash -c 'for ((i = 0; i < $0; i++)); do "$@" > /dev/null; done; times' "$calls" "$@" |
        tail -1 | awk '{ split($1, u, /[ms]/); split($2, s, /[ms]/);
                         print u[1] * 60 + u[2] + s[1] * 60 + s[2] }'
}

tool_cpu=0
true_cpu=0
for _ in $(seq "$rounds"); do
    true_cpu=$(echo "$true_cpu + $(cpu_of "$truth")" | bc -l)
    tool_cpu=$(echo "$tool_cpu + $(cpu_of "$tool" check "$dir/level.txt")" | bc -l)
done
total=$((calls * rounds))
printf 'true:                %.3f ms CPU per call\n' "$(echo "1000 * $true_cpu / $total" | bc -l)"
printf 'korrin-map check:    %.3f ms CPU per call\n' "$(echo "1000 * $tool_cpu / $total" | bc -l)"
printf 'ratio:               %.2f (target: at most 2)\n' "$(echo "$tool_cpu / $true_cpu" | bc -l)"
