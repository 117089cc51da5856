A save leaves nothing behind, and removes what a killed one left, and nothing else.

  $ . "$TESTDIR/setup.sh"
  $ needs test "$(id -u)" = 0
  $ needs strace -o /dev/null true
  $ export ASAN_OPTIONS=detect_leaks=0

LeakSanitizer cannot run under ptrace, hence the option above. Not removed: another user's
file, a folder, a link, a file with a second link, a file whose saver still runs, nor a name
that only looks alike.

  $ touch .korrin-999999991-a0b1c2 .korrin-1-a0b1c2 .korrin-2024-notes.txt .korrin-999999992-A0B1C2 .korrin-0999999-a0b1c2 .korrin-999999993-a0b1c2x .korrin-999999990x-a0b1c2; mkdir .korrin-999999994-a0b1c2; ln -s good.txt .korrin-999999995-a0b1c2; touch .korrin-999999996-a0b1c2; chown -h $ME .korrin-*; touch .korrin-999999997-a0b1c2; ln .korrin-999999996-a0b1c2 .korrin-999999998-a0b1c2; $AS touch .korrin-999999999-a0b1c2; $AS korrin-map normalize good.txt -o t; made
  .korrin-0999999-a0b1c2
  .korrin-1-a0b1c2
  .korrin-2024-notes.txt
  .korrin-999999990x-a0b1c2
  .korrin-999999992-A0B1C2
  .korrin-999999993-a0b1c2x
  .korrin-999999994-a0b1c2/
  .korrin-999999995-a0b1c2
  .korrin-999999996-a0b1c2
  .korrin-999999997-a0b1c2
  .korrin-999999998-a0b1c2
  t

Where the file system refuses an unnamed temporary file, the save writes a named one and
renames it; any other refusal is the save's error, and nothing is left behind.

  $ fresh; n=$(strace -f -qq -o /dev/stdout -e trace=openat korrin-map normalize good.txt -o p | grep -n O_TMPFILE | cut -d: -f1); rm p; for e in EOPNOTSUPP EISDIR EINVAL EACCES; do strace -f -qq -o /dev/null -e inject=openat:error=$e:when=$n korrin-map normalize good.txt -o t; echo "$e $?"; cmp -s t good-saved.txt && echo saved; rm -f t; done; made
  EOPNOTSUPP 0
  saved
  EISDIR 0
  saved
  EINVAL 0
  saved
  t: error 70: Permission denied
  EACCES 1

Where the finished file cannot be given a name beside the target, the save says why and
leaves the target as it was.

  $ fresh; printf 'old\n' > t; strace -f -qq -o /dev/null -e inject=linkat:error=ENOSPC:when=2 korrin-map normalize good.txt -o t; echo $?; cat t; made
  t: error 61: Disk full
  1
  old
  t
