When a save's contents reach the disk, and what it does when a system call fails.

The failures are made with strace.

  $ . "$TESTDIR/setup.sh"
  $ needs strace -o /dev/null true

LeakSanitizer cannot run under ptrace.

  $ export ASAN_OPTIONS=detect_leaks=0

The new contents reach the disk before the rename makes them the file, and the folder after
it.

  $ printf 'old\n' > t; chown $ME t; chmod 640 t; ln -s t l; mark t; $AS sh -c "strace -f -qq -o /dev/fd/3 -e trace=fsync,rename korrin-map normalize good.txt -o l 3>&1 >&2 | sed -nE 's/^[0-9 ]*([a-z]+)\\(.*/\\1/p' | tr '\\n' ' '"; echo; fate; cmp t good-saved.txt; made
  fsync rename fsync 
  t: renamed, owner, mode and links kept
  l
  t

In place, the padded new contents reach the disk before the file is cut to their length.

  $ fresh; printf %300s > t; ln t u; strace -f -qq -o /dev/fd/3 -y -e trace=fallocate,write,fsync,ftruncate korrin-map normalize good.txt -o t 3>&1 >&2 | sed -nE 's/^[0-9 ]*([a-z]+)\([0-9]+<[^>]*\/t>.*/\1/p' | tr '\n' ' '; echo; cmp t good-saved.txt; made
  fallocate write fsync ftruncate fsync 
  t
  u

The space a save in place needs is reserved where the file system can, and the save goes on
where it cannot.

  $ fresh; printf %300s > t; ln t u; for e in EOPNOTSUPP ENOSYS EIO; do printf %300s > t; strace -f -qq -o /dev/null -e inject=fallocate:error=$e korrin-map normalize good.txt -o t; echo "$e $?"; cmp -s t good-saved.txt && cmp -s t u && echo saved || wc -c <t; done; made
  EOPNOTSUPP 0
  saved
  ENOSYS 0
  saved
  t: error 57: Device I/O error
  EIO 1
  300
  t
  u

A reservation a signal interrupts is made again. A folder that cannot be synced after the
rename (some file systems refuse it) does not fail the save; any other failure there does.

  $ fresh; printf %300s > t; ln t u; strace -f -qq -o /dev/null -e inject=fallocate:error=EINTR:when=1 korrin-map normalize good.txt -o t; cmp t good-saved.txt && echo saved; n=$(strace -f -qq -o /dev/stdout -e trace=fsync korrin-map normalize good.txt -o v | wc -l); for e in EINVAL EROFS EIO; do rm v; strace -f -qq -o /dev/null -e inject=fsync:error=$e:when=$n korrin-map normalize good.txt -o v; echo "$e $?"; done; rm v; made
  saved
  EINVAL 0
  EROFS 0
  v: error 57: Device I/O error
  EIO 1
  t
  u

A read or a write that a signal interrupts goes on; any other failure of them, or of the look
at the map file, is an error of that file. "nth CALL PATTERN" counts which CALL of a save
touches the file PATTERN names first.

  $ nth() { strace -f -qq -y -o ../tr -e trace=$1 korrin-map normalize good.txt -o t >/dev/null 2>&1; rm -f t; grep -n "$2" ../tr | head -1 | cut -d: -f1; rm ../tr; }
  $ fresh; for call in read:EINTR read:EIO write:EINTR write:EIO newfstatat:EIO; do c=${call%:*}; e=${call#*:}; strace -f -qq -o /dev/null -e inject=$c:error=$e:when=$(nth $c 'good.txt>\|>(deleted)') korrin-map normalize good.txt -o t; echo "$c $e $?"; cmp -s t good-saved.txt && echo saved; rm -f t; done; made
  read EINTR 0
  saved
  good.txt: error 57: Device I/O error
  read EIO 1
  write EINTR 0
  saved
  t: error 57: Device I/O error
  write EIO 1
  good.txt: error 57: Device I/O error
  newfstatat EIO 1

A failure to close standard output, where the last of it may still be written, is an error of
standard output.

  $ n=$(strace -qq -y -o ../tr -e trace=close korrin-map check good.txt >../o; grep -n '^close(1<' ../tr | head -1 | cut -d: -f1); strace -qq -o /dev/null -e inject=close:error=EIO:when=$n korrin-map check good.txt >../o
  standard output: error 57: Device I/O error
  [1]
