#!/usr/bin/env python3
"""Peak memory of `korrin-map import` on hostile files just under the import's 16 MiB limit.

Each file is refused (or imported) by a separate run; its peak resident memory is read from
the kernel (ru_maxrss of the child) and compared with the bound 4 x file size + 32 MB. A tiny
map's peak is printed as the baseline.
Usage: bench/import-memory.py [path/to/korrin-map]
"""
import base64
import os
import resource
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
TOOL = os.path.abspath(sys.argv[1] if len(sys.argv) > 1
                       else os.path.join(ROOT, "build/release/tools/korrin-map"))
SIZE = 16 * 1024 * 1024 - 4096  # just under the limit
MB = 1000 * 1000

TMX_HEAD = ('<?xml version="1.0"?>\n<map orientation="orthogonal" width="13" height="13" '
            'infinite="0"><tileset firstgid="1" name="korrin"/><layer width="13" height="13">')
JSON_HEAD = ('{"orientation":"orthogonal","width":13,"height":13,"infinite":false,'
             '"tilesets":[{"firstgid":1,"name":"korrin"}],')


def size(text):
    return len(text.encode())


def fill(head, unit, tail):
    """head + unit repeated to just under SIZE bytes + tail."""
    count = (SIZE - size(head) - size(tail)) // size(unit)
    return head + unit * count + tail


def nested(opening, closing, head, tail):
    count = (SIZE - size(head) - size(tail)) // (size(opening) + size(closing))
    return head + opening * count + closing * count + tail


def cases():
    raw = b"\x01\x00\x00\x00" * ((SIZE * 3 // 4 - 200) // 4)
    yield "tiny map (baseline)", TMX_HEAD + '<data encoding="csv">' + ",".join(["1"] * 169) \
        + "</data></layer></map>"
    yield "TMX, CSV layer", fill(TMX_HEAD + '<data encoding="csv">', "1,", "1</data></layer></map>")
    yield "TMX, tile elements", fill(TMX_HEAD + "<data>", '<tile gid="1"/>', "</data></layer></map>")
    yield "TMX, base64 layer", TMX_HEAD + '<data encoding="base64">' \
        + base64.b64encode(raw).decode() + "</data></layer></map>"
    yield "TMX, zlib layer of 15 MB zeros", TMX_HEAD + '<data encoding="base64" compression="zlib">' \
        + base64.b64encode(zlib.compress(b"\0" * 15 * MB)).decode() + "</data></layer></map>"
    yield "TMX, one long attribute", fill('<map orientation="', "x", '"/>')
    yield "TMX, non-ASCII attribute", fill('<map orientation="', "\u0416", '"/>')
    yield "TMX, empty elements", fill('<map width="13" height="13">', "<a/>", "</map>")
    yield "TMX, nested groups", nested("<group>", "</group>", '<map width="13" height="13">', "</map>")
    yield "TMX, many attributes", fill("<map ", 'a="" ', "/>")
    yield "TMX, nested elements", nested("<a>", "</a>", '<map width="13" height="13">', "</map>")
    yield "TMX, comments", fill("<map>", "<!---->", "</map>")
    yield "JSON, data array", fill(JSON_HEAD + '"layers":[{"type":"tilelayer","data":[', "1,",
                                   "1]}]}")
    yield "JSON, empty objects", fill(JSON_HEAD + '"layers":[', "{},", "{}]}")
    yield "JSON, empty arrays", fill(JSON_HEAD + '"properties":[', "[],", "[]]}")
    yield "JSON, nulls", fill(JSON_HEAD + '"properties":[', "0,", "0]}")
    yield "JSON, object keys", fill(JSON_HEAD + '"properties":{', '"":0,', '"":0}}')
    yield "JSON, base64 layer", JSON_HEAD + '"layers":[{"type":"tilelayer","encoding":"base64",' \
        + '"data":"' + base64.b64encode(raw).decode() + '"}]}'
    yield "JSON, non-ASCII string", fill(JSON_HEAD + '"name":"', "\u0416", '"}')
    yield "JSON, escaped string", fill(JSON_HEAD + '"name":"', "\\u0416", '"}')
    yield "JSON, nested arrays", nested("[", "]", JSON_HEAD + '"p":', "}")
    yield "JSON, white space", fill("{", " ", "}")


def measure(path, folder):
    """Peak resident memory in KiB and the message of one import, run in a fresh child of its
    own (a process's ru_maxrss of children is the largest child so far)."""
    probe = ("import resource,subprocess,sys;"
             "run=subprocess.run(sys.argv[1:],capture_output=True,text=True);"
             "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss);"
             "print(run.stderr.strip() if run.returncode else 'imported')")
    out = subprocess.run([sys.executable, "-c", probe, TOOL, "import", path, "-o",
                          os.path.join(folder, "out.txt")], capture_output=True, text=True,
                         check=True).stdout.split("\n", 1)
    return int(out[0]), out[1].strip().split(": ", 2)[-1][:44]


def main():
    if not os.access(TOOL, os.X_OK):
        sys.exit(f"no korrin-map at {TOOL}")
    worst = 0.0
    with tempfile.TemporaryDirectory() as folder:
        print(f"{'input':32} {'size MB':>8} {'peak MB':>8} {'bound MB':>9}  outcome")
        for name, text in cases():
            path = os.path.join(folder, "map.json" if name.startswith("JSON") else "map.tmx")
            data = text.encode()
            with open(path, "wb") as out:
                out.write(data)
            peak, outcome = measure(path, folder)
            peak_mb = peak * 1024 / MB
            bound = (4 * len(data) + 32 * MB) / MB
            worst = max(worst, peak_mb / bound)
            mark = "" if peak_mb < bound else "  OVER"
            print(f"{name:32} {len(data) / MB:8.1f} {peak_mb:8.1f} {bound:9.1f}  {outcome}{mark}")
    print(f"worst peak / bound: {worst:.2f} (target: below 1)")


if __name__ == "__main__":
    main()
