What check prints for each file: ok, or the error the editor's Open would report.

  $ . "$TESTDIR/setup.sh"
  $ korrin-map check good.txt letter.txt missing.txt short.txt level.txt
  good.txt: ok
  letter.txt: error 13: Type mismatch
  missing.txt: error 53: File not found
  short.txt: ok
  level.txt: ok
  [1]
  $ korrin-map check -- -o
  -o: error 53: File not found
  [1]
  $ korrin-map check ''
  : error 52: Bad file name or number
  [1]

With standard input closed the map file is opened as descriptor 0, and read all the same.

  $ korrin-map check good.txt 0<&-
  good.txt: ok

Names that are not UTF-8 or hold control characters pass through as bytes; a check shows
control characters and bytes that are not UTF-8 escaped, one line per file.

  $ cp good.txt "$(printf '\377\376.txt')"; korrin-map check "$(printf '\377\376.txt')" "$(printf 'a\tb\n\001.txt')" good.txt; s=$?; korrin-map normalize "$(printf '\377\376.txt')" -o "$(printf '\377.txt')" && cmp "$(printf '\377.txt')" good-saved.txt; rm "$(printf '\377\376.txt')" "$(printf '\377.txt')"; (exit $s)
  \\xff\\xfe.txt: ok (esc)
  a\\x09b\\x0a\\x01.txt: error 53: File not found (esc)
  good.txt: ok
  [1]
  $ korrin-map check "$(printf 'a\233.txt')" "$(printf '\033]0;TITLE\007.txt')"
  a\\x9b.txt: error 53: File not found (esc)
  \\x1b]0;TITLE\\x07.txt: error 53: File not found (esc)
  [1]
  $ made
