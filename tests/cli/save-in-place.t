A save rewrites in place a file with other links, another owner or extended attributes.

Such a file keeps its inode, owner, mode and links, and may hold the new contents followed by
spaces.

  $ . "$TESTDIR/setup.sh"
  $ needs test "$(id -u)" = 0
  $ needs setfattr -n user.korrin -v 1 good-saved.txt
  $ needs unshare -rm true

Root makes the files the saver, nobody, does not own.

  $ fresh
  $ printf 'old\n' > t; chown $ME t; chmod 444 t; mark t; $AS korrin-map normalize good.txt -o t; s=$?; fate; (exit $s); made t
  t: error 70: Permission denied
  t: in place, owner, mode and links kept
  t
  old
  [1]
  $ fresh; printf 'old\n' > t; $AS korrin-map normalize good.txt -o t; made t
  t: error 70: Permission denied
  t
  old
  [1]
  $ fresh; mkdir d; printf 'old\n' > d/t; chown $ME d/t; mark d/t; $AS korrin-map normalize good.txt -o d/t; fate; cmp d/t good-saved.txt; made
  d/t: in place, owner, mode and links kept
  d/
  $ fresh; printf %300s > t; ln t u; chown $ME t; mark t; $AS korrin-map normalize good.txt -o t; fate; cmp t good-saved.txt && cmp t u; made
  t: in place, owner, mode and links kept
  t
  u
  $ fresh; printf 'old\n' > t; chown $ME t; setfattr -n user.korrin -v 1 t; mark t; $AS korrin-map normalize good.txt -o t; fate; getfattr --only-values -n user.korrin t; echo; cmp t good-saved.txt; made
  t: in place, owner, mode and links kept
  1
  t

A small file system of its own, filled up; the hard link makes the write one in place.

  $ fresh; mkdir disk; unshare -rm sh -c 'mount -t tmpfs -o size=64k none disk; printf old > disk/t; ln disk/t disk/u; cat /dev/zero > disk/f 2>&-; korrin-map render level.txt -o disk/t; s=$?; [ "$(cat disk/t)" = old ] || s=99; exit $s'; made
  disk/t: error 61: Disk full
  disk/
  [1]
