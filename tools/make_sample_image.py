#!/usr/bin/env python3
"""Writes the sample firmware image resources/Varnet1.0.2.cyacd.

The image is for the chip identity and flash the simulated Varnet has by default (array 0, rows
0 to 255 of 256 bytes). The bootloader owns rows 0 to 31; the application is 64 rows (32 to 95)
of a fixed pseudo-random sequence, so the file is the same on every run. Row 255, the last row of
the last array, carries the application metadata in its last 64 bytes, which a bootloader checks
before it starts the application (little-endian):
  byte 0       two's complement of the 8-bit sum of the application's bytes
  bytes 1-4    entry address (the application's first byte)
  bytes 5-8    the bootloader's last row
  bytes 9-12   application length in bytes
  bytes 22-23  application version, packed digits (1.0.2 is 0x0102)
Every row line has a correct row checksum.

Usage: make_sample_image.py [OUTPUT]
"""
import sys
from pathlib import Path

SILICON_ID = 0x2E161069
SILICON_REVISION = 0x11
CHECKSUM_TYPE = 0x00  # summing checksum for the bootloader packets
ARRAY_ID = 0
BOOTLOADER_LAST_ROW = 31
FIRST_ROW = BOOTLOADER_LAST_ROW + 1
ROW_COUNT = 64
ROW_SIZE = 256
METADATA_ROW = 255  # the last row of the last flash array
METADATA_SIZE = 64
APPLICATION_VERSION = 0x0102  # 1.0.2


def row_line(array_id, row, data):
    body = bytes([array_id, row >> 8, row & 0xFF, len(data) >> 8, len(data) & 0xFF]) + data
    checksum = (-sum(body)) & 0xFF
    return ":" + (body + bytes([checksum])).hex().upper()


def metadata_row(application):
    """The last row of flash: zeros, then the metadata in its last 64 bytes."""
    metadata = bytearray(METADATA_SIZE)
    metadata[0] = (-sum(application)) & 0xFF
    metadata[1:5] = (FIRST_ROW * ROW_SIZE).to_bytes(4, "little")
    metadata[5:9] = BOOTLOADER_LAST_ROW.to_bytes(4, "little")
    metadata[9:13] = len(application).to_bytes(4, "little")
    metadata[22:24] = APPLICATION_VERSION.to_bytes(2, "little")
    return bytes(ROW_SIZE - METADATA_SIZE) + bytes(metadata)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent.parent / "resources" / "Varnet1.0.2.cyacd"
    state = 0x1234ABCD
    lines = ["%08X%02X%02X" % (SILICON_ID, SILICON_REVISION, CHECKSUM_TYPE)]
    application = bytearray()
    for row in range(FIRST_ROW, FIRST_ROW + ROW_COUNT):
        data = bytearray()
        for _ in range(ROW_SIZE):
            # xorshift32: a fixed sequence without depending on Python's random module.
            state ^= (state << 13) & 0xFFFFFFFF
            state ^= state >> 17
            state ^= (state << 5) & 0xFFFFFFFF
            data.append(state & 0xFF)
        lines.append(row_line(ARRAY_ID, row, bytes(data)))
        application += data
    lines.append(row_line(ARRAY_ID, METADATA_ROW, metadata_row(application)))
    out.write_text("\n".join(lines) + "\n", newline="\n")
    print(f"wrote {out}: {ROW_COUNT} application rows of {ROW_SIZE} bytes and the metadata row")


if __name__ == "__main__":
    main()
