#!/bin/sh
# SPDX-License-Identifier: MIT
# Interrupts a save at each of its system calls in turn, on the rename path and in place, over
# an old file longer than the new one: kills it there (--kill), or makes that call fail with
# EIO (--fail). After each, the target must read as the old content or the new one (to this
# program's reader, and to Tiled where it is installed), and the next save must leave no other
# file behind. A failed call must end in exit status 1 and one error line, or in status 0 with
# the new content saved.
# Usage: interrupt_save.sh --kill|--fail KORRIN-MAP [FORMAT...]
#        (formats: txt tmx json; all three by default)
set -eu
case ${1-} in
--kill) inject=signal=KILL ;;
--fail) inject=error=EIO ;;
*) echo "usage: $0 --kill|--fail KORRIN-MAP [FORMAT...]" >&2; exit 2 ;;
esac
K=$2
shift 2
[ $# -gt 0 ] || set -- txt tmx json
command -v strace >/dev/null || { echo "SKIP: strace is not installed"; exit 77; }
strace -o /dev/null true 2>/dev/null || { echo "SKIP: strace cannot trace here"; exit 77; }
export ASAN_OPTIONS=detect_leaks=0  # LeakSanitizer cannot run under ptrace

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$K" korrin-map
cp "$(dirname "$K")/korrin-map-qt.so" . 2>/dev/null || true
K=$work/korrin-map

# The map of all 9s is the longer one in every format (gid 10 has two digits); lines after
# the map's own are ignored by the reader, and make the old map file longer still.
row() { printf '%s%s%s%s%s%s%s%s%s%s%s%s%s\r\n' "$1" "$1" "$1" "$1" "$1" "$1" "$1" "$1" "$1" \
    "$1" "$1" "$1" "$1"; }
{ printf ' 13 \r\n 13 \r\n'; for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13; do row 9; done; } >nines
{ printf ' 13 \r\n 13 \r\n'; for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13; do row 0; done; } >zeros
"$K" normalize nines -o old.expect
"$K" normalize zeros -o new.expect
mkdir trial seen

# How the reader of each format reads a target: as the editor's map, or through the import.
readAs() {
    case $1 in
    txt) "$K" normalize "$2" ;;
    *) "$K" import "$2" ;;
    esac
}

# The calls --fail makes fail: those that name a file or use a descriptor.
filesystem='open|openat|read|pread64|write|pwrite64|lseek|close|fstat|newfstatat|statx|fsync'
filesystem="$filesystem|fdatasync|ftruncate|fallocate|rename|renameat|renameat2|link|linkat"
filesystem="$filesystem|unlink|unlinkat|fchmod|fchown|flistxattr|getdents64|readlink|faccessat2"
filesystem="$filesystem|fcntl|dup|dup2|dup3"
failures=0
runs=0
for format in "$@"; do
    case $format in
    txt) save() { "$K" normalize "$1" -o "$2"; }; old() { cat nines; printf '%300s\r\n' ''; } ;;
    *) save() { "$K" export "$1" -o "$2"; }; old() { "$K" export nines -o o."$format" && cat o."$format"; } ;;
    esac
    old >old."$format"
    for path in rename inplace; do
        target=trial/t.$format
        reset() {
            rm -rf trial && mkdir trial && cp old."$format" "$target"
            if [ $path = inplace ]; then ln "$target" trial/link; fi
            ls -A trial >listing
        }
        reset
        if [ "$format" = txt ]; then what="normalize zeros -o $target"; else what="export zeros -o $target"; fi
        # The save is the calls from the first that names the target (after execve's own
        # arguments) to the last that names its folder or a file in it (-y names a descriptor's
        # file): before are the program's start, after only its end (where a coverage build
        # writes its counts, which a kill would leave torn). Each call is interrupted as the
        # n-th of its kind, as strace counts; --fail makes only the calls on the target's
        # folder and the files in it fail, for a failure elsewhere (Qt reading its plugins,
        # the sanitizers' own pipes) is not the save's.
        strace -f -qq -y -o trace -e trace=all "$K" $what
        first=$(grep -n "\"$target\"" trace | grep -v execve | head -1 | cut -d: -f1)
        last=$(grep -nE "(/|\")trial[/>\"]" trace | tail -1 | cut -d: -f1)
        points=$(head -n "$last" trace | sed -E 's/^[0-9]+ +//' | awk -v first="$first" \
            -v fail="$([ "$inject" = error=EIO ] && echo 1 || echo 0)" -v filesystem="^($filesystem)$" '
            { call = $0; sub(/\(.*/, "", call); if (call !~ /^[a-z_0-9]+$/) next; n[call]++ }
            NR < first { next }
            fail && (call !~ filesystem || $0 !~ /(\/|")trial[\/>"]/) { next }
            { print call ":" n[call] }')
        for point in $points; do
            call=${point%:*}
            n=${point#*:}
            reset
            status=0
            strace -f -qq -o /dev/null -e inject="$call":$inject:when=$n "$K" $what \
                >/dev/null 2>err || status=$?
            runs=$((runs + 1))
            at="$format $path, $inject at $call #$n"
            # Every different content left, for Tiled to read at the end.
            cp "$target" "seen/$(md5sum <"$target" | cut -c1-32).$format" 2>/dev/null || true
            got=$(readAs "$format" "$target" 2>&1 || true)
            if [ "$got" != "$(cat old.expect)" ] && [ "$got" != "$(cat new.expect)" ]; then
                echo "FAIL: $at: the target reads as: $got"
                failures=$((failures + 1))
            elif [ "$inject" = error=EIO ] && [ $status -eq 0 ] && [ "$got" != "$(cat new.expect)" ]; then
                echo "FAIL: $at: exit status 0, but the old content stayed"
                failures=$((failures + 1))
            elif [ "$inject" = error=EIO ] && [ $status -ne 0 ] &&
                { [ $status -ne 1 ] || [ "$(wc -l <err)" -ne 1 ] || ! grep -q ': error [0-9]*: ' err; }; then
                echo "FAIL: $at: exit status $status with: $(cat err)"
                failures=$((failures + 1))
            fi
            "$K" $what
            if [ "$(ls -A trial | grep -vx korrin-tiles.png)" != "$(cat listing)" ]; then
                echo "FAIL: $at: left $(ls -A trial | tr '\n' ' ')"
                failures=$((failures + 1))
            fi
        done
    done
done
# Tiled itself must read each TMX and JSON left, where it is installed.
different=$(ls seen | wc -l)
if command -v tiled >/dev/null; then
    cp "$work/korrin-tiles.png" seen/ 2>/dev/null || "$K" export zeros -o seen/tiles.tmx
    for left in seen/*.tmx seen/*.json; do
        [ -e "$left" ] || continue
        if ! HOME=$work XDG_CONFIG_HOME=$work XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen \
            tiled --export-map json "$left" seen/read.json >/dev/null 2>&1; then
            echo "FAIL: Tiled cannot read a file an interrupted save left: $(cat "$left")"
            failures=$((failures + 1))
        fi
    done
fi
echo "$runs interrupted saves, $different different files left, $failures failed"
[ "$failures" -eq 0 ] && [ "$runs" -gt 0 ]
