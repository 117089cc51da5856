#!/usr/bin/env bash
# Installs the build tree into a temporary DESTDIR and checks exactly what lands there and
# that the desktop files validate. The package test's lintian checks the icons' sizes.
set -euo pipefail
build="$1"
dest="$(mktemp -d)"
trap 'rm -rf "$dest"' EXIT

DESTDIR="$dest" cmake --install "$build" --prefix /usr > /dev/null
actual="$(cd "$dest" && find . -type f -o -type l | sort)"
expected="./usr/bin/korrin-editor
./usr/bin/korrin-map
./usr/share/applications/org.korrin.Editor.desktop
./usr/share/doc/korrin-editor/changelog.gz
./usr/share/doc/korrin-editor/copyright
./usr/share/icons/hicolor/128x128/apps/org.korrin.Editor.png
./usr/share/icons/hicolor/256x256/apps/org.korrin.Editor.png
./usr/share/icons/hicolor/32x32/apps/org.korrin.Editor.png
./usr/share/icons/hicolor/48x48/apps/org.korrin.Editor.png
./usr/share/icons/hicolor/64x64/apps/org.korrin.Editor.png
./usr/share/man/man1/korrin-editor.1.gz
./usr/share/man/man1/korrin-map.1.gz
./usr/share/metainfo/org.korrin.Editor.metainfo.xml"
if [ "$actual" != "$expected" ]; then
    echo "installed files differ from the expected list:"
    diff <(echo "$expected") <(echo "$actual") || true
    exit 1
fi
desktop-file-validate "$dest/usr/share/applications/org.korrin.Editor.desktop"
appstreamcli validate --no-net "$dest/usr/share/metainfo/org.korrin.Editor.metainfo.xml"
echo "install layout ok"
