#!/usr/bin/env python3
"""Writes non_text_ranges.h: the code points that a card number never shows
as themselves (Unicode categories Cc, Cf, Zl, Zp, Cs and Cn), as sorted,
merged ranges, from the Unicode database of the Python that runs it.

    python3 reader/make_non_text_ranges.py > reader/non_text_ranges.h
"""
import unicodedata

NON_TEXT = {"Cc", "Cf", "Zl", "Zp", "Cs", "Cn"}


def ranges():
    start = None
    for cp in range(0x110000):
        inside = unicodedata.category(chr(cp)) in NON_TEXT
        if inside and start is None:
            start = cp
        elif not inside and start is not None:
            yield start, cp - 1
            start = None
    if start is not None:
        yield start, 0x10FFFF


def main():
    found = list(ranges())
    print(f"// Made by make_non_text_ranges.py from Unicode {unicodedata.unidata_version}; do not edit.")
    print("// Control, format, line and paragraph separator, surrogate and unassigned")
    print("// code points, as sorted ranges that neither overlap nor touch.")
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
