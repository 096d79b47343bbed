#!/usr/bin/env python3
"""Writes non_text_ranges.h: the code points that a card number never shows
as themselves, as sorted, merged ranges. They are those of the Unicode
categories Cc, Cf, Zl, Zp, Cs and Cn; the spaces (Zs) but U+0020, which
pass for it or for nothing; the private-use characters (Co), which mean
what a font makes of them, often nothing; the combining marks (Mn, Mc,
Me), which change how the character before them looks; the blank Braille
pattern U+2800; and every Default_Ignorable_Code_Point (which show
nothing: fillers such as U+3164, variation selectors, ...). All come from
one version of the Unicode Character Database, the files of Debian's
unicode-data package unless another folder is given.

    python3 reader/make_non_text_ranges.py [UCD-folder] |
        clang-format --assume-filename=non_text_ranges.h > reader/non_text_ranges.h
"""
import re
import sys
from pathlib import Path

NON_TEXT = {"Cc", "Cf", "Zl", "Zp", "Cs", "Cn", "Zs", "Co", "Mn", "Mc", "Me"}
# Text after all: the one space a card number may hold as itself.
TEXT = {0x0020}
# Shows nothing, yet is a symbol (So) to the database.
BLANK = {0x2800}
LAST = 0x10FFFF


def categories(ucd):
    """The general category of every code point; Cn where none is listed."""
    found = ["Cn"] * (LAST + 1)
    first = None
    for line in (ucd / "UnicodeData.txt").read_text(encoding="utf-8").splitlines():
        fields = line.split(";")
        cp, name, category = int(fields[0], 16), fields[1], fields[2]
        # Large blocks are listed as their first and last code points.
        if name.endswith(", First>"):
            first = cp
            continue
        start = first if name.endswith(", Last>") else cp
        first = None
        found[start : cp + 1] = [category] * (cp + 1 - start)
    return found


def default_ignorable(ucd):
    """The Default_Ignorable_Code_Point ranges, and the database's version."""
    text = (ucd / "DerivedCoreProperties.txt").read_text(encoding="utf-8")
    version = re.search(r"DerivedCoreProperties-([0-9.]+)\.txt", text).group(1)
    ignorable = set()
    for line in text.splitlines():
        data = line.split("#")[0].split(";")
        if len(data) != 2 or data[1].strip() != "Default_Ignorable_Code_Point":
            continue
        bounds = [int(cp, 16) for cp in data[0].strip().split("..")]
        ignorable.update(range(bounds[0], bounds[-1] + 1))
    return ignorable, version


def ranges(inside):
    start = None
    for cp in range(LAST + 1):
        if inside(cp) and start is None:
            start = cp
        elif not inside(cp) and start is not None:
            yield start, cp - 1
            start = None
    if start is not None:
        yield start, LAST


def main():
    ucd = Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode")
    category = categories(ucd)
    ignorable, version = default_ignorable(ucd)
    found = list(
        ranges(
            lambda cp: cp not in TEXT
            and (category[cp] in NON_TEXT or cp in ignorable or cp in BLANK)
        )
    )
    print(f"// Made by make_non_text_ranges.py from Unicode {version}; do not edit.")
    print("// Control, format, line and paragraph separator, surrogate, unassigned,")
    print("// space (but U+0020), private-use, combining-mark, blank-Braille and")
    print("// default-ignorable code points, as sorted ranges that neither overlap nor")
    print("// touch.")
    print("#pragma once")
    print()
    print("#include <array>")
    print()
    print("namespace qor {")
    print()
    print("struct CodePointRange {")
    print("    char32_t first, last;")
    print("};")
    print()
    print(f"inline constexpr std::array<CodePointRange, {len(found)}> kNonTextRanges = {{{{")
    cells = [f"{{0x{a:04X}, 0x{b:04X}}}" for a, b in found]
    line = "   "
    for cell in cells:
        if len(line) + len(cell) + 2 > 100:
            print(line)
            line = "   "
        line += " " + cell + ","
    print(line)
    print("}};")
    print()
    print("}  // namespace qor")


main()
