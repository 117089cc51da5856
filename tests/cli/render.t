render draws the field the editor shows, the grid if asked, and a pack on one sheet.

  $ . "$TESTDIR/setup.sh"
  $ korrin-map render level.txt -o out.png && picture out.png render-level-out.png
  $ korrin-map render level.txt -o grid.png --grid && picture grid.png render-level-grid.png; made
  grid.png
  out.png

A pack: the fields on one sheet, in argument order, N to a row.

  $ fresh; korrin-map render level.txt good.txt level.txt -o sheet.png --columns 2 && picture sheet.png render-sheet.png; made
  sheet.png

A file that fails makes no picture.

  $ fresh; korrin-map render letter.txt -o out.png; echo $?; korrin-map render level.txt letter.txt -o sheet.png; made
  letter.txt: error 13: Type mismatch
  1
  letter.txt: error 13: Type mismatch
  [1]
