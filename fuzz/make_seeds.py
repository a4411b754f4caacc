#!/usr/bin/env python3
"""Writes the seed corpora fuzz/corpus/<target>/ from the tests' fixtures and the examples.
Run again when the fixtures change; the corpora are small and committed."""
import os, pathlib, subprocess, shutil

root = pathlib.Path(__file__).resolve().parent.parent
out = root / "fuzz" / "corpus"
SEP = b"\n@@FILE@@\n"

def put(target, name, data):
    d = out / target
    d.mkdir(parents=True, exist_ok=True)
    (d / name).write_bytes(data)

def read(rel):
    return (root / rel).read_bytes()

if out.exists():
    shutil.rmtree(out)

il = sorted(list((root / "examples").glob("*/*.il")) + list((root / "tests/fixtures/compiler").glob("*.il"))
            + list((root / "tests/fixtures/run").glob("*.il")) + list((root / "tests/fixtures/project").glob("*/*.il")))
small = [p for p in il if p.stat().st_size < 6000]

# fuzz_compile: mode byte, then files.
for p in small:
    put("compile", p.stem, b"\x01" + p.read_bytes())
put("compile", "multi", b"\x01" + read("tests/fixtures/project/lib/debounce.il") + SEP + read("tests/fixtures/project/app/lamp.il"))
put("compile", "ownlib", b"\x02" + read("tests/fixtures/compiler/mini_stdlib.il") + SEP + read("tests/fixtures/compiler/uses_pulse.il"))
put("compile", "nolib", b"\x00" + read("tests/fixtures/compiler/small.il"))

# fuzz_run: files, then control bytes read from the end (mode last).
tail = bytes((i * 37 + 11) & 0xFF for i in range(48)) + b"\x07\x01"
for p in small:
    put("run", p.stem, p.read_bytes() + tail)
put("run", "stepping", read("tests/fixtures/run/counter.il") + tail[:-1] + b"\x05")

# fuzz_plp: project file, then the IL files f1.il, f2.il...
plp = b"[COMMON]\nID=MERLO19\nPOUCOUNT=2\n[POUFILENAMES]\nPOU0=f1.il\nPOU1=f2.il\n"
put("plp", "two", plp + SEP + read("tests/fixtures/project/lib/debounce.il") + SEP + read("tests/fixtures/project/app/lamp.il"))
put("plp", "crlf", plp.replace(b"\n", b"\r\n").replace(b"MERLO19", b"MERLO10") + SEP + read("tests/fixtures/run/crlf.il"))
put("plp", "windows", b"[common]\nid=MERLO19\npoucount=1\n[pounames]\n[POUFILENAMES]\npou0=.\\sub\\..\\f1.il\n" + SEP + read("tests/fixtures/run/counter.il"))
for p in sorted((root / "tests/fixtures/project/app").glob("*.plp")) + sorted((root / "examples").glob("*/*.plp")):
    put("plp", p.stem, p.read_bytes())

# fuzz_pictures: pictures.inf, then a.bmp, b.bmp, c.png, d.gif.
def image(fmt, geometry):
    return subprocess.run(["convert", "-size", geometry, "xc:#FF00FF", "-fill", "#102030", "-draw", "rectangle 1,1 3,3",
                           "-type", "TrueColor", fmt + ":-"], check=True, capture_output=True).stdout
inf = b"; catalogue\n[ALIASES]\nA=a.bmp,FF00FF,2\nB=b.bmp,C0C0C0,1\nC=c.png,FF00FF,3\nD=d.gif,000000,1\nE=missing.bmp,0,1\n"
put("pictures", "four", inf + SEP + image("bmp3", "8x4") + SEP + image("bmp", "4x4") + SEP + image("png", "9x3") + SEP + image("gif", "5x5"))
put("pictures", "bad", b"[ALIASES]\nA=a.bmp,ZZ,0\nB=b.bmp,FF00FF,99\nA=a.bmp,FF00FF,2\n" + SEP + image("bmp3", "2x2") + SEP + b"BMnot a picture")
put("pictures", "shipped", read("data/DATA/pictures.inf"))

# fuzz_sdf: descriptions.
for p in sorted((root / "tests/fixtures/vis").glob("*.sdf")) + sorted((root / "data/DATA").glob("*.sdf")):
    put("sdf", p.stem, p.read_bytes())
rig = b"OBJECT WINDOW W\nPOSITION = 0,0,100,60\nOBJECT DYNAMICPIC LAMP\nPOSITION = 1,2\nPICALIAS = LAMP\nPERSISTENT FIELD LINT K\nEND_OBJECT\n" \
      b"OBJECT GROUP G\nPOSITION = 0,0\nPOSITION_2 = 10,40\nOBJECT DYNAMICPIC D\nPICALIAS = DIGIT\nEND_OBJECT\nEND_OBJECT\n" \
      b"OBJECT TIMER T\nTIMEOUT = 50\nEND_OBJECT\nEND_OBJECT\n" \
      b"FUNCTION VOID LAMP.onMouseDown()\nIF $LAMP.IMG = #0\nSET $LAMP.IMG = #3\nELSE\nSET $LAMP.IMG = #0\nENDIF\nSET %QX0.0 = $LAMP.IMG\nEND_FUNCTION\n" \
      b"FUNCTION VOID T.onTimer()\nSET $G.MOVEPOS = ($G.MOVEPOS + #10) & #1023\nSET $D.IMG = %IB0\nBELL\nEND_FUNCTION\n"
put("sdf", "rig", rig)

# fuzz_rules: statements against the rig window (LAMP, SW, T, DOOR, D, L, BACK).
rules = {
    "set": b"SET $LAMP.IMG = #2\nSET %QX0.0 = $SW.IMG\nSET $T.N = $T.N + #1\n",
    "if": b"IF %IX0.0 = #1\nSET $LAMP.X = (#3 + %IB1) * #2\nELSE\nSET $DOOR.MOVEPOS = #500\nENDIF\nBELL\n",
    "nested": b"IF $T.N > #2\nIF $T.M <= #4\nSET %MW4 = ((#1 << #3) | $T.N) ^ #255\nENDIF\nENDIF\n",
    "ops": b"SET %QB1 = !$SW.IMG & #1 | #2 >> #1 - #7\nSET %MD8 = #2147483647 + #1\nSET $D.IMG = $LAMP.IMG <> #0\n",
}
for k, v in rules.items():
    put("rules", k, v)
