merge keeps each side's own changes and lists a cell both sides changed differently.

  $ . "$TESTDIR/setup.sh"

Over OURS when no -o is given.

  $ sed '3s/^11/13/' good.txt > ../ours.txt; sed '3s/^1111/1114/;4s/^1/5/' good.txt > ../theirs.txt; korrin-map merge good.txt ../ours.txt ../theirs.txt && korrin-map diff good.txt ../ours.txt
  mass(2,1): 1 -> 3 (brick wall -> bushes)
  mass(4,1): 1 -> 4 (brick wall -> water)
  mass(1,2): 1 -> 5 (brick wall -> brick wall, right half)
  [1]

A cell changed differently on both sides keeps ours, is listed, and makes the status 1; a
fixed cell changed on both is no conflict.

  $ sed '3s/^1111/1311/' good.txt > ../ours.txt; sed '3s/^11111/54112/' good.txt > ../theirs.txt; korrin-map merge good.txt ../ours.txt ../theirs.txt -o out.txt; echo "merge: $?"; korrin-map diff good.txt out.txt; made out.txt
  mass(2,1): base 1, ours 3, theirs 4
  merge: 1
  mass(2,1): 1 -> 3 (brick wall -> bushes)
  mass(5,1): 1 -> 2 (brick wall -> steel block)
  out.txt
   13 \r (esc)
   13 \r (esc)
  0311210111110\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  1111111111111\r (esc)
  2222029202222\r (esc)
  [1]
  $ fresh; korrin-map merge good.txt letter.txt good.txt -o out.txt; made
  letter.txt: error 13: Type mismatch
  [1]
