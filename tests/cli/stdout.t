Output to standard output and to open descriptors' names: at their offset, in place, full.

  $ . "$TESTDIR/setup.sh"
  $ printf 'line 1\n' > log; chown $ME log; mark log; $AS korrin-map normalize good.txt -o /dev/stdout >>log; fate; tail -n +2 log | cmp - good-saved.txt && head -1 log; made
  log: in place, owner, mode and links kept
  line 1
  log

Names of open descriptors are written at the descriptor's own offset, not replaced.

  $ fresh; printf 'line 1\n' > log; korrin-map normalize good.txt -o /dev/fd/3 3>>log; korrin-map normalize short.txt -o /proc/self/fd/4 4>>log; head -1 log; sed -n 2,16p log | cmp - good-saved.txt && tail -n +17 log | head -3; made
  line 1
   13 \r (esc)
   13 \r (esc)
  0111110111120\r (esc)
  log

  $ korrin-map normalize good.txt >/dev/full; echo $?; korrin-map check good.txt >/dev/full
  standard output: error 61: Disk full
  1
  standard output: error 61: Disk full
  [1]
