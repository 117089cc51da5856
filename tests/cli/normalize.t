normalize writes the file as the editor would save it, to standard output or to OUT.

  $ . "$TESTDIR/setup.sh"
  $ korrin-map normalize good.txt | cmp - good-saved.txt && korrin-map normalize short.txt -o - | tee ../short-saved.txt
   13 \r (esc)
   13 \r (esc)
  0111110111120\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111111111123\r (esc)
  1111019101123\r (esc)
  $ for o in '-o out.txt' '--output out.txt' --output=out.txt -oout.txt; do fresh; korrin-map normalize short.txt $o; made; cmp out.txt ../short-saved.txt || echo "$o differs"; done
  out.txt
  out.txt
  out.txt
  out.txt

A failed command leaves OUT as it was: here, not made.

  $ fresh; korrin-map normalize missing.txt -o out.txt; echo $?; korrin-map normalize letter.txt -o out.txt; made
  missing.txt: error 53: File not found
  1
  letter.txt: error 13: Type mismatch
  [1]

A new file gets the mode the user's umask leaves of 0666.

  $ fresh; (umask 022; korrin-map normalize good.txt -o a.txt; umask 002; korrin-map normalize good.txt -o b.txt); stat -c '%n %a' a.txt b.txt; cmp a.txt good-saved.txt; made
  a.txt 644
  b.txt 664
  a.txt
  b.txt
