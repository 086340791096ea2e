#!/usr/bin/env python3
"""Writes the sample firmware image resources/Varnet1.0.2.cyacd.

The image is for the chip identity the simulated Varnet answers with by default: 64 rows of
256 bytes in flash array 0 (rows 32 to 95), each with a correct row checksum, and the last flash
row (255) carrying the application's metadata, without which a bootloader does not start it. The
row data is a fixed pseudo-random sequence, so the file is the same on every run.

Usage: make_sample_image.py [OUTPUT]
"""
import sys
from pathlib import Path

SILICON_ID = 0x2E161069
SILICON_REVISION = 0x11
CHECKSUM_TYPE = 0x00  # summing checksum for the bootloader packets
ARRAY_ID = 0
FIRST_ROW = 32
ROW_COUNT = 64
ROW_SIZE = 256
METADATA_ROW = 255  # the last row of the last flash array
APPLICATION_VERSION = 0x0102


def row_line(array_id, row, data):
    body = bytes([array_id, row >> 8, row & 0xFF, len(data) >> 8, len(data) & 0xFF]) + data
    checksum = (-sum(body)) & 0xFF
    return ":" + (body + bytes([checksum])).hex().upper()


def metadata_row(rows, bootloader_last_row, row_size, version):
    """The last flash row: its last 64 bytes describe the application that follows the
    bootloader (little-endian): byte 0 the two's complement of the 8-bit sum of the application's
    bytes, 1-4 the entry address, 5-8 the bootloader's last row, 9-12 the length in bytes,
    22-23 the version."""
    start = (bootloader_last_row + 1) * row_size
    length = len(rows) * row_size
    meta = bytearray(64)
    meta[0] = (-sum(sum(data) for data in rows)) & 0xFF
    meta[1:5] = start.to_bytes(4, "little")
    meta[5:9] = bootloader_last_row.to_bytes(4, "little")
    meta[9:13] = length.to_bytes(4, "little")
    meta[22:24] = version.to_bytes(2, "little")
    return bytes(row_size - 64) + bytes(meta)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent.parent / "resources" / "Varnet1.0.2.cyacd"
    state = 0x1234ABCD
    lines = ["%08X%02X%02X" % (SILICON_ID, SILICON_REVISION, CHECKSUM_TYPE)]
    rows = []
    for row in range(FIRST_ROW, FIRST_ROW + ROW_COUNT):
        data = bytearray()
        for _ in range(ROW_SIZE):
            # xorshift32: a fixed sequence without depending on Python's random module.
            state ^= (state << 13) & 0xFFFFFFFF
            state ^= state >> 17
            state ^= (state << 5) & 0xFFFFFFFF
            data.append(state & 0xFF)
        lines.append(row_line(ARRAY_ID, row, bytes(data)))
        rows.append(bytes(data))
    lines.append(row_line(ARRAY_ID, METADATA_ROW,
                          metadata_row(rows, FIRST_ROW - 1, ROW_SIZE, APPLICATION_VERSION)))
    out.write_text("\n".join(lines) + "\n", newline="\n")
    print(f"wrote {out}: {ROW_COUNT} rows of {ROW_SIZE} bytes")


if __name__ == "__main__":
    main()
