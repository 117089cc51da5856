A save to what is no regular file, or into a missing folder, says why and changes nothing.

  $ . "$TESTDIR/setup.sh"

korrin-map holds the FIFO open for reading itself, so opening it to write would succeed.

  $ mkfifo t; chown $ME t; $AS korrin-map normalize good.txt -o t 1<>t; made
  t: error 75: Path/File access error: not a regular file
  t
  [1]

/dev/null is written as nobody: a faulty save run as root would replace it for the whole
machine (a mutation run once did).

  $ fresh; mkdir d; $AS korrin-map normalize good.txt -o /dev/null; korrin-map normalize good.txt -o d; ln -s loop loop; korrin-map normalize good.txt -o loop; made
  /dev/null: error 75: Path/File access error: not a regular file
  d: error 75: Path/File access error: not a regular file
  loop: error 75: Path/File access error: too many levels of symbolic links
  d/
  loop
  [1]
  $ fresh; korrin-map normalize good.txt -o no/t; made
  no/t: error 76: Path not found
  [1]

A failed export changes no file: its tileset picture is written only once the map can be.

  $ fresh; printf 'old picture\n' > korrin-tiles.png; printf 'old map\n' > ro.tmx; chmod 444 ro.tmx; mkdir d.tmx; $AS korrin-map export level.txt -o ro.tmx; $AS korrin-map export level.txt -o d.tmx; $AS korrin-map export level.txt -o no/t.tmx; made korrin-tiles.png ro.tmx
  ro.tmx: error 70: Permission denied
  d.tmx: error 75: Path/File access error: not a regular file
  no/t.tmx: error 76: Path not found
  d.tmx/
  korrin-tiles.png
  ro.tmx
  old picture
  old map
  [1]
