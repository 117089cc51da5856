korrin-map loads nothing from the current folder, and Qt only for the commands that draw.

  $ . "$TESTDIR/setup.sh"

Nothing is loaded from the current folder: the programs carry no RUNPATH.

  $ readelf -d "$(command -v korrin-map)" "$(dirname "$(command -v korrin-map)")/korrin-map-qt.so" | grep -c PATH
  0
  [1]

check and normalize load no Qt library; render, export and import load it when they run.

  $ ldd "$(command -v korrin-map)" | grep -c libQt
  0
  [1]

A long check is caught writing into a full pipe, to read its memory map while it runs.

  $ sh -c 'echo $$ >../pid; exec korrin-map check $(yes good.txt | head -n 20000)' | { head -c 1 >/dev/null; p=$(cat ../pid); grep -q 'korrin-map$' /proc/$p/maps && echo running; grep -c libQt /proc/$p/maps; cat >/dev/null; }
  running
  0

cells, diff and merge load no Qt library; diff with --png does.

  $ for c in 'cells good.txt' 'diff good.txt level.txt' 'merge good.txt good.txt good.txt -o ../m.txt' 'diff good.txt level.txt --png ../d.png'; do LD_DEBUG=files korrin-map $c >/dev/null 2>../ld; grep -q 'libQt6Gui' ../ld && echo "$c: Qt" || echo "$c: none"; done
  cells good.txt: none
  diff good.txt level.txt: none
  merge good.txt good.txt good.txt -o ../m.txt: none
  diff good.txt level.txt --png ../d.png: Qt
