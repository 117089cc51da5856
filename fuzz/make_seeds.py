#!/usr/bin/env python3
"""Writes the seed corpus: the editor's own file, each error case and the reader's variants."""

import os

ROW = "0000000000000"
OWN_ROWS = [ROW] * 12 + ["0000009000000"]


def crlf(lines):
    return "".join(line + "\r\n" for line in lines)


SEEDS = {
    "own": crlf([" 13 ", " 13 "] + OWN_ROWS),
    "lf-only": "".join(line + "\n" for line in ["13", "13"] + OWN_ROWS),
    "no-final-line-end": crlf([" 13 ", " 13 "] + OWN_ROWS)[:-2],
    "counts-on-one-line": crlf([" 13  13 "] + OWN_ROWS),
    "counts-with-comma": crlf(["13,13"] + OWN_ROWS),
    "quoted-rows": crlf([" 13 ", " 13 "] + ['  "9,' + r + '"  ' for r in OWN_ROWS]),
    "comma-in-row": crlf([" 13 ", " 13 ", "1234567,891234"] + [ROW] * 11),
    "short-rows": crlf([" 13 ", " 13 ", "123", "5"] + [ROW] * 11),
    "long-line": crlf([" 13 ", " 13 ", "8" * 5000 + "1234567890123"] + [ROW] * 12),
    "trailing-spaces": crlf([" 13 ", " 13 "] + [r + "   " for r in OWN_ROWS]),
    "twelve-by-twelve": crlf([" 12 ", " 12 "] + ["123456789012"] * 12),
    "no-rows": crlf([" 200 ", " 0 "]),
    "error-letter": crlf([" 13 ", " 13 ", "000000A000000"] + [ROW] * 12),
    "error-count-overflow": crlf([" 256 ", " 13 "] + OWN_ROWS),
    "error-count-not-number": crlf(["abc", " 13 "] + OWN_ROWS),
    "error-count-empty": crlf(["", " 13 "] + OWN_ROWS),
    "error-empty-file": "",
    "error-too-few-rows": crlf([" 13 ", " 13 "] + [ROW] * 12),
    "error-fifteen-rows": crlf([" 13 ", " 15 "] + [ROW] * 15),
    "error-fourteen-columns": crlf([" 13 ", " 14 "] + [ROW] * 14),
    "error-rows-not-supplied": crlf([" 13 ", " 12 "] + [ROW] * 12),
    "error-empty-row": crlf([" 13 ", " 13 ", ""] + [ROW] * 12),
    "error-unclosed-quote": crlf([" 13 ", " 13 ", '"000'] + [ROW] * 12),
}

HERE = os.path.dirname(os.path.abspath(__file__))
for name, text in SEEDS.items():
    with open(os.path.join(HERE, "corpus", f"{name}.txt"), "w", encoding="ascii", newline="") as out:
        out.write(text)
