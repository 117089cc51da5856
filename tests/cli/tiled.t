export writes a Tiled map and its tileset; import reads it back as the editor would save.

  $ . "$TESTDIR/setup.sh"
  $ korrin-map export level.txt -o out.tmx && made && korrin-map import out.tmx
  korrin-tiles.png
  out.tmx
   13 \r (esc)
   13 \r (esc)
  0123450789010\r (esc)
  1234567890123\r (esc)
  2345678901234\r (esc)
  3456789012345\r (esc)
  4567890123456\r (esc)
  5678901234567\r (esc)
  6789012345678\r (esc)
  7890123456789\r (esc)
  8901234567890\r (esc)
  9012345678901\r (esc)
  0123456789012\r (esc)
  1234567890123\r (esc)
  2345079901234\r (esc)
  $ korrin-map import out.tmx >../level-saved.txt; korrin-map import level.tmx | cmp - ../level-saved.txt
  $ fresh; korrin-map export level.txt -o out.tmj && korrin-map import out.tmj -o out.txt && cmp out.txt ../level-saved.txt; made
  korrin-tiles.png
  out.tmj
  out.txt
  $ fresh; korrin-map export level.txt -o out.json && korrin-map import out.json -o - | cmp - ../level-saved.txt; made
  korrin-tiles.png
  out.json

  $ fresh; korrin-map export missing.txt -o out.tmx; echo $?; korrin-map import ''; echo $?; korrin-map import good.txt -o out.txt; echo $?; korrin-map import missing.tmx; made
  missing.txt: error 53: File not found
  1
  : error 52: Bad file name or number
  1
  good.txt: error 13: Type mismatch: not a Tiled map
  1
  missing.tmx: error 53: File not found
  [1]
