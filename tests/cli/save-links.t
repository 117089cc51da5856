A save follows a symbolic link, in a sticky folder anyone may write only a trusted one.

As the kernel's fs.protected_symlinks has it, a link there is trusted when the saver or the
folder's owner made it.

  $ . "$TESTDIR/setup.sh"
  $ needs test "$(id -u)" = 0

Root does not follow nobody's link to its secret, but follows its own; nobody follows its own.

  $ mkdir -m 1777 s; printf 'secret\n' > secret; chmod 600 secret; $AS ln -s ../secret s/out.map; korrin-map normalize good.txt -o s/out.map; ln -s ../t s/mine; korrin-map normalize good.txt -o s/mine && cmp t good-saved.txt; $AS ln -s ../u s/its; $AS korrin-map normalize good.txt -o s/its && cmp u good-saved.txt; cat secret; made
  s/out.map: error 75: Path/File access error: link not followed in a shared folder
  secret
  s/
  secret
  t
  u

The rule holds only in a folder that is both sticky and writable by anyone; there, a link of
the folder's owner is followed too.

  $ fresh; mkdir -m 0777 open; mkdir -m 1775 sticky; mkdir -m 1777 theirs; chown $ME theirs; for d in open sticky theirs; do ln -s ../t$d $d/l; chown -h $ME $d/l; korrin-map normalize good.txt -o $d/l && cmp t$d good-saved.txt && echo "$d followed"; done; made
  open followed
  sticky followed
  theirs followed
  open/
  sticky/
  theirs/
  topen
  tsticky
  ttheirs
