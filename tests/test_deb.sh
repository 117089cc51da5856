#!/usr/bin/env bash
# Builds the Debian package, installs it with dpkg, starts both programs from it and removes
# it again. It changes the machine, so it runs only as root and only when no korrin-editor
# package is installed already.
set -euo pipefail
build="$1"
if [ "$(id -u)" -ne 0 ]; then
    echo "not root: skipped"
    exit 77
fi
if dpkg-query -W -f='${Status}' korrin-editor 2>/dev/null | grep -q 'ok installed'; then
    echo "a korrin-editor package is installed already: skipped"
    exit 77
fi
work="$(mktemp -d)"
trap 'dpkg -r korrin-editor > /dev/null 2>&1 || true; rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log) || {
    cat "$work/cpack.log"
    exit 1
}
deb="$(ls "$work"/*.deb)"
case "$(basename "$deb")" in
    korrin-editor_*_*.deb) ;;
    *) echo "not a Debian-style file name: $deb"; exit 1 ;;
esac
dpkg-deb --field "$deb" Depends | grep -q libqt6widgets6 || { echo "Depends lacks Qt"; exit 1; }
[ "$(dpkg-deb --field "$deb" Section)" = graphics ]
dpkg -i "$deb" > /dev/null

[ "$(/usr/bin/korrin-map --version)" = "korrin-map 0.2.2" ]
status=0
QT_QPA_PLATFORM=offscreen timeout 3 /usr/bin/korrin-editor > /dev/null 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
    echo "the installed editor did not keep running (exit $status)"
    exit 1
fi
dpkg -r korrin-editor > /dev/null
! command -v korrin-map > /dev/null
echo "package ok: $(basename "$deb")"
