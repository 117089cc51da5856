#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it: its fields and exact files,
# that apt can resolve its dependencies, that its desktop entry and AppStream data validate,
# that both programs run from an unpacked copy, and that lintian finds nothing to warn about
# (nor, even pedantically, about hardening or icons).
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" > cpack.log) || fail "$(cat "$work/cpack.log")"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
deb="$(ls "$work"/korrin-editor_"$version"_*.deb)" || fail "no Debian-style package file name"
info="$(dpkg-deb --info "$deb")"
grep -q '^ Depends:.*libqt6widgets6' <<< "$info" || fail "Depends lacks Qt"
grep -q '^ Recommends:.*qt6-translations-l10n' <<< "$info" || fail "no Qt texts"
grep -q "^ Suggests: qt6-wayland" <<< "$info" || fail "does not suggest qt6-wayland"
files="$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)"
[ "$files" = "$(printf './usr/%s\n' bin/korrin-editor bin/korrin-map "lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/korrin-editor/korrin-map-qt.so" \
    share/applications/org.korrin.Editor.desktop share/doc/korrin-editor/changelog.gz \
    share/doc/korrin-editor/copyright \
    share/icons/hicolor/{128x128,16x16,22x22,24x24,256x256,32x32,48x48,64x64}/apps/org.korrin.Editor.png \
    share/icons/hicolor/scalable/apps/org.korrin.Editor.svg \
    share/man/man1/korrin-{editor,map}.1.gz share/metainfo/org.korrin.Editor.metainfo.xml)" ] ||
    fail "unexpected files: $files"
apt-get install --simulate "$deb" > "$work/apt.log" 2>&1 || fail "$(cat "$work/apt.log")"

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/org.korrin.Editor.desktop"
appstreamcli validate --pedantic --no-net "$work/root/usr/share/metainfo/org.korrin.Editor.metainfo.xml" > /dev/null
[ "$("$work/root/usr/bin/korrin-map" --version)" = "korrin-map $version" ] || fail "wrong version"
# render needs the Qt module, found from the program's own place.
printf ' 13 \r\n 13 \r\n' > "$work/map.txt"
for _ in $(seq 13); do printf '0000000000000\r\n' >> "$work/map.txt"; done
"$work/root/usr/bin/korrin-map" render "$work/map.txt" -o "$work/map.png" || fail "no render"
status=0
QT_QPA_PLATFORM=offscreen timeout 3 "$work/root/usr/bin/korrin-editor" > /dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the packaged editor did not keep running (exit $status)"

if ! command -v lintian > /dev/null; then
    echo "lintian is not installed: package not linted"
    exit 77
fi
# Nothing at warning level, and not even a pedantic word about hardening or icons.
lint="$(lintian -I --pedantic --fail-on error,warning "$deb")" || fail "$lint"
! grep -E 'hardening|icon' <<< "$lint" || fail "lintian: hardening or icons"
echo "package ok: $(basename "$deb")"
