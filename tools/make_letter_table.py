#!/usr/bin/python3
"""Writes engine/core/LetterRanges.inc: the code point ranges of Unicode letters (general
categories Lu, Ll, Lt, Lm and Lo) as C++ initialisers, from the Unicode database of Python's
unicodedata module. The engine classifies letters with this table, so that no C library locale
is involved.

    tools/make_letter_table.py            # re-make the table
    tools/make_letter_table.py --check    # exit code 1 when the committed table differs
"""
import os
import sys
import unicodedata

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "engine", "core",
                   "LetterRanges.inc")
LETTERS = {"Lu", "Ll", "Lt", "Lm", "Lo"}


def ranges():
    found, start = [], None
    for code in range(0x110000):
        letter = unicodedata.category(chr(code)) in LETTERS
        if letter and start is None:
            start = code
        elif not letter and start is not None:
            found.append((start, code - 1))
            start = None
    if start is not None:
        found.append((start, 0x10FFFF))
    return found


def text():
    lines = ["// Made by tools/make_letter_table.py from Unicode %s: do not edit." %
             unicodedata.unidata_version,
             "// The ranges of letter code points (first, last), ascending."]
    row = []
    for first, last in ranges():
        row.append("{0x%X, 0x%X}," % (first, last))
        if len(row) == 6:
            lines.append(" ".join(row))
            row = []
    if row:
        lines.append(" ".join(row))
    return "\n".join(lines) + "\n"


def main():
    made = text()
    if "--check" in sys.argv[1:]:
        with open(OUT, encoding="utf-8") as f:
            return 0 if f.read() == made else 1
    with open(OUT, "w", encoding="utf-8", newline="\n") as f:
        f.write(made)
    return 0


if __name__ == "__main__":
    sys.exit(main())
