#!/usr/bin/env python3
"""Writes the shipped string-table documents (UTF-16 with byte-order mark) from their UTF-8
sources in tools/strings/. Run it after editing a source and commit both.

    python3 tools/make_string_tables.py            # rewrite resources/*.xml
    python3 tools/make_string_tables.py --check    # fail when an output is out of date
"""
import pathlib
import sys
import xml.dom.minidom

ROOT = pathlib.Path(__file__).resolve().parent.parent
DOCUMENTS = ["StringTables.xml", "FrameworkStrings.xml"]


def convert(source: pathlib.Path) -> bytes:
    text = source.read_text(encoding="utf-8")
    xml.dom.minidom.parseString(text.encode("utf-8"))  # refuse to ship a malformed source
    declaration = '<?xml version="1.0" encoding="UTF-8"?>'
    if not text.startswith(declaration):
        sys.exit(f"{source}: must start with {declaration}")
    text = '<?xml version="1.0" encoding="UTF-16"?>' + text[len(declaration):]
    return b"\xff\xfe" + text.encode("utf-16-le")


def main() -> int:
    check = "--check" in sys.argv[1:]
    stale = []
    for name in DOCUMENTS:
        data = convert(ROOT / "tools" / "strings" / name)
        target = ROOT / "resources" / name
        if check:
            if not target.exists() or target.read_bytes() != data:
                stale.append(str(target))
        else:
            target.write_bytes(data)
    if stale:
        print("out of date: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
