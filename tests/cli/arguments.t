What korrin-map says of its arguments: help, version, and each usage error, with status 2.

  $ . "$TESTDIR/setup.sh"

The help's first line, and then the text as cli/arguments.cpp holds it; each command has its
entry.

  $ for o in --help -h; do korrin-map $o | head -1; done
  Usage: korrin-map [options] command FILE...
  Usage: korrin-map [options] command FILE...
  $ korrin-map --help | tail -n +2 | diff - <(sed -n '/kDescription =/,/;$/s/^ *"\(.*\)\\n";\{0,1\}$/\1/p' "$KORRIN_SOURCE/cli/arguments.cpp") && korrin-map --help | grep -cE '^  (check|normalize|render|export|import|cells|diff|merge) '
  8
  $ for o in --version -v; do korrin-map $o | sed "s/ $KORRIN_VERSION\$/ VERSION/"; done
  korrin-map VERSION
  korrin-map VERSION

  $ for args in '' 'frob good.txt' '--frob check good.txt'; do korrin-map $args; echo "$args: $?"; done
  korrin-map: missing command
  Try 'korrin-map --help' for more information.
  : 2
  korrin-map: unknown command 'frob'
  Try 'korrin-map --help' for more information.
  frob good.txt: 2
  korrin-map: Unknown option 'frob'.
  Try 'korrin-map --help' for more information.
  --frob check good.txt: 2

No argument list makes korrin-map abort.

  $ for args in --- --= - '-o a -o b normalize good.txt' -o "''" 'check -o' '-- check'; do eval korrin-map $args; echo "$args: $?"; done; korrin-map check $(seq 10000) >../o; echo "10000: $?"; tail -1 ../o
  korrin-map: Unknown option '---'.
  Try 'korrin-map --help' for more information.
  ---: 2
  korrin-map: Unknown option '='.
  Try 'korrin-map --help' for more information.
  --=: 2
  korrin-map: unknown command '-'
  Try 'korrin-map --help' for more information.
  -: 2
  korrin-map: Option '-o' given twice.
  Try 'korrin-map --help' for more information.
  -o a -o b normalize good.txt: 2
  korrin-map: Missing value after '-o'.
  Try 'korrin-map --help' for more information.
  -o: 2
  korrin-map: missing command
  Try 'korrin-map --help' for more information.
  '': 2
  korrin-map: Missing value after '-o'.
  Try 'korrin-map --help' for more information.
  check -o: 2
  korrin-map: usage: korrin-map check FILE...
  Try 'korrin-map --help' for more information.
  -- check: 2
  10000: 1
  10000: error 53: File not found

Each command takes only its own options and counts; "refused ARGS..." runs korrin-map on each
argument list and counts the lines of what all of them said.

  $ refused() { for args in "$@"; do eval korrin-map $args; echo "status $?"; done 2>&1 | sort | uniq -c; }
  $ refused check 'check good.txt -o out.txt' 'check --grid good.txt'
        3 Try 'korrin-map --help' for more information.
        3 korrin-map: usage: korrin-map check FILE...
        3 status 2
  $ refused normalize 'normalize good.txt short.txt' 'normalize good.txt --grid' "normalize good.txt -o ''" 'normalize good.txt --columns 2'
        5 Try 'korrin-map --help' for more information.
        5 korrin-map: usage: korrin-map normalize FILE [-o OUT]
        5 status 2
  $ refused 'normalize good.txt -o'
        1 Try 'korrin-map --help' for more information.
        1 korrin-map: Missing value after '-o'.
        1 status 2
  $ refused 'render level.txt' 'render level.txt good.txt --columns 2' "render level.txt -o ''" 'render level.txt good.txt -o s.png --columns 0' 'render good.txt -o s.png --png x' 'render good.txt -o s.png --columns=' 'render good.txt -o s.png --columns 01' 'render good.txt -o s.png --columns 1000' 'render good.txt -o s.png --columns 2x'
        9 Try 'korrin-map --help' for more information.
        9 korrin-map: usage: korrin-map render FILE... -o OUT.png [--grid] [--columns N]
        9 status 2
  $ refused 'export level.txt -o out.txt' 'export level.txt' 'export level.txt -o out.tmx --grid' 'export level.txt good.txt -o out.tmx'
        4 Try 'korrin-map --help' for more information.
        4 korrin-map: usage: korrin-map export FILE -o OUT.tmx|OUT.tmj|OUT.json
        4 status 2
  $ refused 'import level.tmx good.txt' 'import level.tmx --grid' "import level.tmx -o ''"
        3 Try 'korrin-map --help' for more information.
        3 korrin-map: usage: korrin-map import IN [-o OUT]
        3 status 2
  $ refused 'cells good.txt level.txt' 'cells good.txt -o x' 'cells good.txt --png x'
        3 Try 'korrin-map --help' for more information.
        3 korrin-map: usage: korrin-map cells FILE
        3 status 2
  $ refused 'diff good.txt' 'diff good.txt level.txt -o out.txt' 'diff good.txt good.txt --grid' 'diff good.txt good.txt --columns 2' "diff good.txt good.txt --png ''"
        5 Try 'korrin-map --help' for more information.
        5 korrin-map: usage: korrin-map diff OLD NEW [--png OUT.png]
        5 status 2
  $ refused 'merge good.txt good.txt' "merge good.txt good.txt good.txt -o ''" 'merge good.txt good.txt good.txt --grid'
        3 Try 'korrin-map --help' for more information.
        3 korrin-map: usage: korrin-map merge BASE OURS THEIRS [-o OUT]
        3 status 2

None of them wrote a file.

  $ made
