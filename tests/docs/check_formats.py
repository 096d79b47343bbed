#!/usr/bin/env python3
"""Checks the documents' lists of Wiegand formats against their one home,
the table kFormats in qorcomm/wiegand.cpp:

    tests/docs/check_formats.py <source folder>

PROTOCOL.md lists the formats twice, as the read request's payload byte and
with each frame's layout; README.md lists the window's entries, which are
window/control_table.h's. Each must hold the table's rows, in its order.
"""

import re
import sys
from pathlib import Path

TABLE = "qorcomm/wiegand.cpp"
SPAN = r"\{\s*(?:(\d+)\s*,\s*(\d+))?\s*\}"


def bits_text(first, last):
    return f"bits {first}-{last}" if first is not None else None


def table_formats(source):
    """One row per card type: bits, check kind and the spans it names."""
    text = (source / TABLE).read_text(encoding="utf-8")
    body = re.search(r"kFormats\s*=\s*std::to_array<Format>\(\{(.*?)\}\);", text, re.S)
    if not body:
        sys.exit(f"{TABLE}: no table kFormats found")
    rows = []
    for m in re.finditer(r"\{\s*(\d+)\s*,\s*" + SPAN + r"\s*,\s*CheckKind::(\w+)\s*,\s*" + SPAN +
                         r"\s*,\s*" + SPAN + r"\s*,\s*" + SPAN + r"\s*\}", body.group(1)):
        g = m.groups()
        bits = int(g[0])
        # The check kind puts the parity bits at the frame's ends.
        parity = g[3] == "EvenOddParity"
        rows.append({"bits": bits, "data": bits_text(g[1], g[2]), "check": g[3],
                     "even": f"bit 0 over {bits_text(g[4], g[5])}" if parity else None,
                     "odd": f"bit {bits - 1} over {bits_text(g[6], g[7])}" if parity else None,
                     "xor": bits_text(g[8], g[9])})
    if not rows or len(rows) != body.group(1).count("CheckKind::"):
        sys.exit(f"{TABLE}: kFormats has rows this check cannot read; "
                 "update tests/docs/check_formats.py with the table")
    return rows


def section(text, path, heading):
    """The lines under `heading` up to the next heading of any level."""
    lines = text.splitlines()
    try:
        first = lines.index(heading) + 1
    except ValueError:
        sys.exit(f"{path}: no section {heading!r}; "
                 "if it moved, update tests/docs/check_formats.py")
    rest = lines[first:]
    return rest[:next((i for i, line in enumerate(rest) if line.startswith("#")), len(rest))]


def rows_of(lines, pattern):
    return [m.groups() for m in map(re.compile(pattern).match, lines) if m]


def layout_of(bits, layout):
    """The fields of a layout cell as PROTOCOL.md writes it, spelt as above."""
    def find(pattern, spelling):
        m = re.search(pattern, layout)
        return spelling.format(*m.groups()) if m else None

    even = find(r"bit (\d+) even parity over bits (\d+)-(\d+)", "bit {} over bits {}-{}")
    odd = find(r"bit (\d+) odd parity over bits (\d+)-(\d+)", "bit {} over bits {}-{}")
    xor = find(r"bits (\d+)-(\d+) the XOR", "bits {}-{}")
    return {"bits": bits, "data": find(r"bits (\d+)-(\d+) data", "bits {}-{}"),
            "check": "EvenOddParity" if even or odd else "XorNibble" if xor else None,
            "even": even, "odd": odd, "xor": xor}


def describe(row):
    if row is None:
        return "no row"
    card_type, what = row
    if isinstance(what, dict):
        what = ", ".join(f"{key} {value}" for key, value in what.items() if value is not None)
    else:
        what = f"{what} bits"
    return f"card type {card_type}: {what}"


def main():
    source = Path(sys.argv[1])
    formats = table_formats(source)
    protocol = (source / "qorcomm/PROTOCOL.md").read_text(encoding="utf-8")
    readme = (source / "README.md").read_text(encoding="utf-8")
    window = (source / "window/control_table.h").read_text(encoding="utf-8")

    failures = []

    def compare(where, got, wanted):
        """Both lists of (card type, what the row says), row by row."""
        for i in range(max(len(got), len(wanted))):
            row = got[i] if i < len(got) else None
            home = wanted[i] if i < len(wanted) else None
            if row != home:
                failures.append(f"{where}, row {i}: {describe(row)}; {TABLE} has {describe(home)}")

    wanted_bits = [(i, f["bits"]) for i, f in enumerate(formats)]
    request = rows_of(section(protocol, "PROTOCOL.md", "### Read card: `CMD = 0x52`"),
                      r"\|\s*(\d+)\s*\|\s*(\d+) bits\s*\|")
    compare("PROTOCOL.md, the read request's format byte",
            [(int(i), int(b)) for i, b in request], wanted_bits)

    layouts = rows_of(section(protocol, "PROTOCOL.md", "## Wiegand formats"),
                      r"\|\s*(\d+)\s*\|\s*(\d+)\s*\|\s*(.*?)\s*\|$")
    compare("PROTOCOL.md, \"Wiegand formats\"",
            [(int(i), layout_of(int(b), text)) for i, b, text in layouts],
            list(enumerate(formats)))

    entries = re.compile(r"(\d+)-支持(\d+)BIT")
    row = next((line for line in readme.splitlines() if line.startswith("| 输出格式 |")), "")
    readme_entries = [(int(i), int(b)) for i, b in entries.findall(row)]
    compare("README.md, the window's 输出格式 entries", readme_entries, wanted_bits)
    window_entries = re.search(r"kCardTypeEntries\[\]\s*=\s*\{(.*?)\};", window, re.S)
    compare("window/control_table.h, kCardTypeEntries",
            [(int(i), int(b)) for i, b in entries.findall(window_entries.group(1))]
            if window_entries else [], wanted_bits)

    for failure in failures:
        print(failure, file=sys.stderr)
    if failures:
        sys.exit(1)
    print(f"the documents list {TABLE}'s {len(formats)} formats: "
          + ", ".join(f"{i}: {f['bits']} bits" for i, f in enumerate(formats)))


if __name__ == "__main__":
    main()
