#!/usr/bin/env bash
# With no window system to reach, the editor says in one line which package to install and
# exits with status 1, as it does when Wayland is there but Qt's Wayland plugin is not.
set -u
editor="$1"
fail() { echo "$*"; exit 1; }
runtime="$(mktemp -d)"
trap 'rm -rf "$runtime"' EXIT
for wayland in "" wayland-korrin-test; do
    status=0
    out="$(env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY ${wayland:+WAYLAND_DISPLAY=$wayland} \
        XDG_RUNTIME_DIR="$runtime" "$editor" 2>&1)" || status=$?
    echo "$out"
    [ "$status" -eq 1 ] || fail "exit status $status, not 1"
    [ "$(wc -l <<< "$out")" -eq 1 ] || fail "more than one line"
    grep -q '^korrin-editor: cannot open a window.*install the package qt6-wayland' <<< "$out" ||
        fail "no package named"
done
