korrin-map loads Qt only for the commands that draw.

  $ . "$TESTDIR/setup.sh"

check, normalize, cells, diff and merge load no Qt library; render and diff with --png do,
when they run.

  $ for c in 'check good.txt' 'normalize good.txt' 'render good.txt -o ../r.png' 'cells good.txt' 'diff good.txt level.txt' 'merge good.txt good.txt good.txt -o ../m.txt' 'diff good.txt level.txt --png ../d.png'; do LD_DEBUG=files korrin-map $c >/dev/null 2>../ld; grep -q 'libQt6Gui' ../ld && echo "$c: Qt" || echo "$c: none"; done
  check good.txt: none
  normalize good.txt: none
  render good.txt -o ../r.png: Qt
  cells good.txt: none
  diff good.txt level.txt: none
  merge good.txt good.txt good.txt -o ../m.txt: none
  diff good.txt level.txt --png ../d.png: Qt
