#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it: its fields and files, that
# apt can resolve its dependencies, that both programs run from an unpacked copy, and that
# lintian finds nothing to warn about.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log) || {
    cat "$work/cpack.log"
    exit 1
}
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$(ls "$work"/*.deb)"
case "$(basename "$deb")" in
    "korrin-editor_${version}_"*.deb) ;;
    *) echo "not a Debian-style file name: $deb"; exit 1 ;;
esac
info="$(dpkg-deb --info "$deb")"
grep -q '^ Depends:.*libqt6widgets6' <<< "$info" || { echo "Depends lacks Qt"; exit 1; }
grep -q '^ Recommends:.*qt6-translations-l10n' <<< "$info" || { echo "no Qt texts"; exit 1; }
outside="$(dpkg-deb --contents "$deb" | awk '{ print $6 }' | grep -v '^\./usr/' || true)"
[ -z "$outside" ] || { echo "files outside /usr: $outside"; exit 1; }
apt-get install --simulate "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; exit 1; }

dpkg-deb -x "$deb" "$work/root"
[ "$("$work/root/usr/bin/korrin-map" --version)" = "korrin-map $version" ]
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$work/root/usr/bin/korrin-editor" > /dev/null 2>&1 || status=$?
if [ "$status" -ne 124 ]; then
    echo "the packaged editor did not keep running (exit $status)"
    exit 1
fi

if ! command -v lintian > /dev/null; then
    echo "lintian is not installed: package not linted"
    exit 77
fi
lintian --fail-on error,warning "$deb"
echo "package ok: $(basename "$deb")"
