#!/usr/bin/env bash
# The README's "Level packs in git" as a user follows it, with real git in a new repository:
# its .gitattributes and git config lines exactly as written there; then two branches that
# paint different cells of one row merge cleanly, two that paint one cell differently stop
# with a conflict naming that cell and keeping ours, and git diff shows cells.
# Usage: tests/cli/git_pack.sh FOLDER_OF_KORRIN_MAP README.md
set -euo pipefail
export PATH="$(realpath "$1"):$PATH"
readme="$(realpath "$2")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# No user's or system's git settings; a fixed author.
export HOME="$work" GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@t \
    GIT_COMMITTER_NAME=t GIT_COMMITTER_EMAIL=t@t

# The README's block of the given language in the section "Level packs in git".
block() {
    awk -v lang="$1" '/^## Level packs in git/ { s = 1; next } /^## / { s = 0 }
        s && $0 == "```" lang { b = 1; next } b && /^```/ { exit } b' "$readme"
}

# A map of brick rows 1 .. 12 and steel row 13, with cell (x, y) of the field set to c.
map() {
    printf ' 13 \r\n 13 \r\n'
    for y in $(seq 13); do
        row=1111111111111; [ "$y" = 13 ] && row=2222222222222
        for ((k = 1; k + 2 <= $#; k += 3)); do
            x=${!k}; yy=$((k + 1)); c=$((k + 2))
            [ "${!yy}" = "$y" ] && row="${row:0:x-1}${!c}${row:x}"
        done
        printf '%s\r\n' "$row"
    done
}
cell() { korrin-map cells levels/one.txt | grep -F "mass($1)="; }

cd "$work" && git init -q -b main pack && cd pack
block gitattributes > .gitattributes
[ -s .gitattributes ] || fail "no .gitattributes in the README"
eval "$(block sh | head -n 4)"
mkdir levels && map > levels/one.txt
git add -A && git commit -qm base

# Different cells of one row: a clean merge that holds both.
git checkout -qb left && map 2 5 4 > levels/one.txt && git commit -qam left
git checkout -q main && map 9 5 3 > levels/one.txt && git commit -qam right
git merge -q --no-edit left > ../merge.log 2>&1 || fail "clean merge stopped: $(cat ../merge.log)"
[ "$(cell 2,5) $(cell 9,5)" = "mass(2,5)=4 mass(9,5)=3" ] || fail "merge lost a side"
grep -q 'mass(' ../merge.log && fail "a clean merge named a cell"

# One cell, painted differently on both: a conflict naming it, ours kept.
git checkout -qb theirs && map 2 5 4 9 5 3 4 6 4 > levels/one.txt && git commit -qam theirs
git checkout -q main && map 2 5 4 9 5 3 4 6 3 > levels/one.txt && git commit -qam ours
if git merge --no-edit theirs > ../conflict.log 2>&1; then fail "conflict merged"; fi
grep -q 'mass(4,6): base 1, ours 3, theirs 4' ../conflict.log || fail "$(cat ../conflict.log)"
[ "$(git status --porcelain)" = "UU levels/one.txt" ] || fail "not marked conflicted"
[ "$(cell 4,6)" = "mass(4,6)=3" ] || fail "ours not kept"
git merge --abort

# The diff names cells.
map 2 5 4 9 5 3 4 6 3 12 1 2 > levels/one.txt
[ "$(git diff | grep '^[-+]mass')" = "$(printf -- '-mass(12,1)=1\n+mass(12,1)=2')" ] ||
    fail "git diff: $(git diff)"
echo "git pack ok"
