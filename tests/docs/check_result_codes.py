#!/usr/bin/env python3
"""Checks that every list of the stand-in's result codes in the documents
holds exactly the failure codes qorcomm/include/qorcomm.h defines:

    tests/docs/check_result_codes.py <source folder>

README.md lists them in two halves, the codes of a failed open and those of
a failed read; together they hold every failure code once. The Windows
read-me lists them twice, once per language, each without the codes the
header marks as Linux's alone.
"""

import re
import sys
from pathlib import Path

HEADER = "qorcomm/include/qorcomm.h"


def header_codes(text):
    """{number: (name, linux_only)} for each negative code of the enum."""
    enum = re.search(r"enum\s*\{(.*?)\};", text, re.S)
    if not enum:
        sys.exit(f"{HEADER}: no enum of result codes found")
    codes = {}
    # Each code, then its comment up to the next code or the enum's end.
    for name, number, comment in re.findall(
            r"(QOR_\w+)\s*=\s*(-?\d+)\s*,?\s*/\*(.*?)\*/", enum.group(1), re.S):
        if int(number) < 0:
            # "CROpenCom, Linux: ..." marks a code only the Linux build gives.
            codes[int(number)] = (name, re.match(r"\s*(\w+,\s*)?Linux:", comment) is not None)
    if not codes:
        sys.exit(f"{HEADER}: no negative result codes found in its enum")
    return codes


def block(text, path, start, end):
    """The lines after the line holding `start`, up to the one holding `end`."""
    lines = text.splitlines()
    try:
        first = next(i for i, line in enumerate(lines) if start in line) + 1
        last = next(i for i in range(first, len(lines)) if end in lines[i])
    except StopIteration:
        sys.exit(f"{path}: cannot find the code list between {start!r} and {end!r}; "
                 "if it moved, update tests/docs/check_result_codes.py")
    return lines[first:last]


def listed(codes):
    """The codes a list names, and those it names more than once."""
    seen, twice = set(), set()
    for code in codes:
        (twice if code in seen else seen).add(code)
    return seen, twice


def readme_codes(source):
    text = (source / "README.md").read_text(encoding="utf-8")
    # A failed open: bullets naming their codes in backticks, `-13`.
    open_lines = block(text, "README.md", "### The port will not open", "### ")
    codes = [int(c) for line in open_lines for c in re.findall(r"`(-\d+)`", line)]
    # A failed read: the table's first column, "| -8, -9 |".
    read_lines = block(text, "README.md", "### Nothing is read", "The vendor's library")
    for line in read_lines:
        cell = re.match(r"\|\s*(-\d+(?:\s*,\s*-\d+)*)\s*\|", line)
        if cell:
            codes += [int(c) for c in cell.group(1).split(",")]
    return codes


def windows_readme_codes(lines):
    # Two columns of "-N  meaning"; a meaning that runs on holds no code.
    return [int(c) for line in lines for c in re.findall(r"(?:^|\s{2})(-\d+)\s", line)]


def main():
    source = Path(sys.argv[1])
    codes = header_codes((source / HEADER).read_text(encoding="utf-8"))
    everywhere = {n for n, (_, linux_only) in codes.items() if not linux_only}

    readme_txt = source / "packaging/windows/README.txt.in"
    text = readme_txt.read_text(encoding="utf-8")
    lists = [
        ("README.md, its open and read failures", set(codes), readme_codes(source)),
        (f"{readme_txt.relative_to(source)}, Chinese", everywhere,
         windows_readme_codes(block(text, readme_txt, "替代品 QORComm.dll 的结果：",
                                    "厂家的读卡器库有自己的结果代码"))),
        (f"{readme_txt.relative_to(source)}, English", everywhere,
         windows_readme_codes(block(text, readme_txt, "QORComm.dll's results:",
                                    "The vendor's library has codes of its own"))),
    ]

    def names(numbers):
        return ", ".join(f"{n} ({codes[n][0]})" if n in codes else str(n)
                         for n in sorted(numbers, reverse=True))

    failures = []
    for where, wanted, found in lists:
        seen, twice = listed(found)
        if wanted - seen:
            failures.append(f"{where}: lacks {names(wanted - seen)}")
        if seen - set(codes):
            failures.append(f"{where}: lists {names(seen - set(codes))}, "
                            f"which {HEADER} does not define")
        if seen & set(codes) - wanted:
            failures.append(f"{where}: lists {names(seen & set(codes) - wanted)}, "
                            f"which {HEADER} marks as Linux's alone")
        if twice:
            failures.append(f"{where}: lists {names(twice)} more than once")
    for failure in failures:
        print(failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print(f"{len(lists)} code lists agree with {HEADER}: {names(codes)}")


if __name__ == "__main__":
    main()
