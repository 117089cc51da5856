cells prints every cell as the editor shows it; diff, each cell two versions differ in.

  $ . "$TESTDIR/setup.sh"
  $ korrin-map cells good.txt | sed -n '1p;2p;7p;14p;163p;169p'; korrin-map cells good.txt | wc -l
  mass(1,1)=0
  mass(2,1)=1
  mass(7,1)=0
  mass(1,2)=1
  mass(7,13)=9
  mass(13,13)=2
  169
  $ korrin-map cells letter.txt
  letter.txt: error 13: Type mismatch
  [1]

diff: nothing and 0 when the fields agree, a change to a fixed cell being none.

  $ sed '3s/^1/5/' good.txt > ../fixed.txt; korrin-map diff good.txt ../fixed.txt && korrin-map diff good.txt good-saved.txt
  $ sed '4s/^11/34/;15s/2222222222222/2222222222229/' good.txt > ../b.txt; korrin-map diff good.txt ../b.txt
  mass(1,2): 1 -> 3 (brick wall -> bushes)
  mass(2,2): 1 -> 4 (brick wall -> water)
  mass(13,13): 2 -> 9 (steel block -> base)
  [1]
  $ korrin-map diff good.txt missing.txt; echo $?; korrin-map diff letter.txt good.txt --png d.png; made
  missing.txt: error 53: File not found
  2
  letter.txt: error 13: Type mismatch
  [2]
  $ fresh; korrin-map diff level.txt good.txt --png d.png | tail -1; picture d.png diff-level-good.png; made
  mass(13,13): 4 -> 2 (water -> steel block)
  d.png
