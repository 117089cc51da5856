# SPDX-License-Identifier: MIT
# Sourced first by each .t: korrin-map on the PATH, as a build script would run it, and the
# helpers the tests share. CTest runs each .t with cram, giving KORRIN_MAP (the built program,
# its Qt module beside it), SAMEPICTURE, KORRIN_VERSION and KORRIN_SOURCE, and has the shell
# read the test from descriptor 3 so that the commands get /dev/null as standard input.
exec 3<&-
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
set -o pipefail  # a failing korrin-map fails its pipeline too
top=$PWD

# Copied where any saver may run them: the build tree may be in a folder only its owner can
# enter, and so is cram's own. korrin-map finds its Qt module beside itself.
chmod 755 "$CRAMTMP" "$top"
mkdir "$top/bin"
cp "$KORRIN_MAP" "$(dirname "$KORRIN_MAP")/korrin-map-qt.so" "$top/bin/"
PATH=$top/bin:$PATH
# Nor could nobody read LeakSanitizer's suppressions there.
if [ "${LSAN_OPTIONS#suppressions=}" != "${LSAN_OPTIONS-}" ]; then
    cp "${LSAN_OPTIONS#suppressions=}" "$top/bin/lsan.supp"
    export LSAN_OPTIONS=suppressions=$top/bin/lsan.supp
fi

# needs COMMAND...: skips the whole file (cram's status 80) where COMMAND fails.
needs() { "$@" >/dev/null 2>&1 || exit 80; }

# $AS runs a command as the saving user, who owns the work folder: nobody when the tests run as
# root, else the user running them; $ME is that user's uid:gid. nobody cannot write the counts
# of a coverage build into a build tree in a private folder: they go to $KORRIN_OTHERS_COUNTS,
# which scripts/coverage gives and adds up afterwards, or else to a folder that is dropped.
if [ "$(id -u)" = 0 ]; then
    needs id nobody
    ME=$(id -u nobody):$(id -g nobody)
    mkdir "$top/counts" && chown "$ME" "$top/counts"
    AS="env GCOV_PREFIX=${KORRIN_OTHERS_COUNTS:-$top/counts} setpriv --clear-groups"
    AS="$AS --reuid=${ME%:*} --regid=${ME#*:}"
else
    ME=$(id -u):$(id -g)
    AS=
fi

# fresh: a new work folder, given to the saving user, with the files of files/, made current.
runs=0
fresh() {
    runs=$((runs + 1))
    mkdir "$top/w$runs" && cp -R "$TESTDIR/files/." "$top/w$runs/" && chown "$ME" "$top/w$runs"
    cd "$top/w$runs" || exit 1
}

# made [FILE...]: the names in the work folder that files/ did not bring, hidden ones too,
# folders with a slash, then the contents of FILE...; keeps the status of the command before.
made() {
    local status=$?
    comm -13 <(ls -A "$TESTDIR/files") <(ls -Ap)
    [ $# = 0 ] || cat "$@"
    return $status
}

# mark FILE... notes the files' inodes, owners, modes and link counts; fate says what became
# of them.
mark() { stat -c '%n %i %u:%g %a %h' "$@" >"$top/marked"; }
fate() {
    local f i rest how kept
    while read -r f i rest; do
        if [ "$i" = "$(stat -c %i "$f")" ]; then how='in place'; else how=renamed; fi
        if [ "$rest" = "$(stat -c '%u:%g %a %h' "$f")" ]; then kept=kept; else kept=changed; fi
        echo "$f: $how, owner, mode and links $kept"
    done <"$top/marked"
}

# picture MADE EXPECTED: says nothing when MADE shows what expected/EXPECTED does.
picture() { "$SAMEPICTURE" "$1" "$TESTDIR/expected/$2"; }

fresh
