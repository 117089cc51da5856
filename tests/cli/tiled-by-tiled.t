Tiled itself takes the export: its renderer draws what render draws, and a map that Tiled's
writers take to the other format and back imports as the editor would save the map.

  $ . "$TESTDIR/setup.sh"
  $ needs command -v tiled tmxrasterizer

Tiled runs offscreen, with the test's folder as its home.

  $ offscreen() { QT_QPA_PLATFORM=offscreen HOME=$top XDG_CONFIG_HOME=$top XDG_RUNTIME_DIR=$top "$@" >/dev/null 2>&1; }
  $ korrin-map normalize level.txt -o ../saved.txt; korrin-map render level.txt -o ../korrin.png
  $ for f in tmx json; do o=$([ $f = tmx ] && echo json || echo tmx); mkdir $f && korrin-map export level.txt -o $f/level.$f && offscreen tmxrasterizer $f/level.$f ../tiled-$f.png && "$SAMEPICTURE" ../tiled-$f.png ../korrin.png && offscreen tiled --export-map $o $f/level.$f level.$o && offscreen tiled --export-map $f level.$o again.$f && korrin-map import level.$o | cmp - ../saved.txt && korrin-map import again.$f | cmp - ../saved.txt && echo "$f: read, drawn and written by Tiled"; done
  tmx: read, drawn and written by Tiled
  json: read, drawn and written by Tiled
