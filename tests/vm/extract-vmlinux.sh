#!/bin/sh
# extract-vmlinux.sh VMLINUZ OUT: writes the uncompressed kernel (an ELF file) held in a bzImage.
# Booting that directly saves the guest its own decompression, which is slow without KVM.
# The compressed stream starts somewhere after the setup code: try each offset where a known
# compression magic occurs until one decompresses to an ELF image.
set -eu
in=$1 out=$2
tmp=$out.part
try() {  # try MAGIC(printf escapes) GREP_PATTERN DECOMPRESSOR...
  magic=$1; shift
  for pos in $(LC_ALL=C grep -obUaP "$magic" "$in" | cut -d: -f1); do
    tail -c +$((pos + 1)) "$in" | "$@" > "$tmp" 2>/dev/null || true
    if [ "$(head -c 4 "$tmp" | od -An -c | tr -d ' ')" = '177ELF' ]; then
      mv "$tmp" "$out"
      exit 0
    fi
  done
}
try '\xFD7zXZ\x00' xz -dc
try '\x28\xB5\x2F\xFD' zstd -dc
try '\x1F\x8B\x08' gzip -dc
rm -f "$tmp"
echo "extract-vmlinux: no compressed kernel found in $in" >&2
exit 1
