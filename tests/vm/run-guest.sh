#!/usr/bin/env bash
# run-guest.sh CACHE WORK UPDATER GADGET IMAGE
#
# Boots Debian's own kernel under QEMU with a small initramfs and runs the unmodified updater there
# against a USB gadget (dummy_hcd) played by varnet-gadget, through the real USB, HID and hidraw
# drivers and the real hidapi. The guest (guest-init.sh) runs every case and reports on the serial
# console; this script passes when the guest reported every case and the whole run as passed.
#   CACHE  keeps the downloaded kernel package, the unpacked kernel and its modules between runs
#   WORK   receives the initramfs and the guest's console log (console.log)
# Exit status 77 (skip) only when QEMU cannot run here at all. VARNET_VM_KVM=1 uses KVM.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$1 work=$2 updater=$3 gadget=$4 image=$5
qemu=${VARNET_VM_QEMU:-qemu-system-x86_64}

if ! command -v "$qemu" >/dev/null ||
   ! echo quit | timeout 60 "$qemu" -accel tcg -M none -nodefaults -display none -monitor stdio >/dev/null 2>&1; then
  echo "SKIP: $qemu cannot run here" >&2
  exit 77
fi
for tool in busybox apt-get dpkg-deb xz ldd; do
  command -v "$tool" >/dev/null || { echo "run-guest: $tool is missing" >&2; exit 1; }
done

# The modules the guest loads (their dependencies are added): the host side of USB and HID, the
# dummy controller that connects a gadget to it, and the gadget functions of the two modes.
modules=(usbcore usbhid hid-generic dummy_hcd libcomposite usb_f_hid usb_f_acm usb_f_serial)

# Downloads linux-image-amd64's kernel package once and keeps the uncompressed kernel and the
# modules the guest needs (in load order, listed in modules/order).
prepare_kernel() {
  [ -s "$cache/vmlinux" ] && [ -s "$cache/modules/order" ] && return 0
  rm -rf "$cache/unpacked" "$cache/modules"
  mkdir -p "$cache/modules"
  local deb
  deb=$(ls "$cache"/linux-image-*.deb 2>/dev/null | head -n 1 || true)
  if [ -z "$deb" ]; then
    local pkg
    pkg=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-[0-9]/ { print $2; exit }')
    [ -n "$pkg" ] || { echo "run-guest: apt knows no linux-image-amd64 (apt-get update?)" >&2; return 1; }
    (cd "$cache" && apt-get download -q "$pkg" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
    deb=$(ls "$cache"/linux-image-*.deb 2>/dev/null | head -n 1 || true)
    [ -n "$deb" ] || { echo "run-guest: could not download $pkg" >&2; return 1; }
  fi
  dpkg-deb -x "$deb" "$cache/unpacked"
  "$here/extract-vmlinux.sh" "$cache"/unpacked/boot/vmlinuz-* "$cache/vmlinux.tmp"
  local tree
  tree=$(echo "$cache"/unpacked/lib/modules/*)
  # Each module names its dependencies in its .modinfo ("depends=a,b"); the package has no
  # modules.dep (depmod makes it at installation).
  declare -A done=()
  add_module() {
    local name=$1 file dep
    [ -n "${done[$name]:-}" ] && return 0
    done[$name]=1
    file=$(find "$tree/kernel" -name "$name.ko" -o -name "${name//_/-}.ko" -o -name "${name//-/_}.ko" | head -n 1)
    [ -n "$file" ] || { echo "run-guest: the kernel has no module $name" >&2; return 1; }
    for dep in $(tr '\0' '\n' < "$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
      add_module "$dep"
    done
    cp "$file" "$cache/modules/"
    echo "$(basename "$file")" >> "$cache/modules/order.tmp"
  }
  local m
  for m in "${modules[@]}"; do add_module "$m"; done
  mv "$cache/modules/order.tmp" "$cache/modules/order"
  mv "$cache/vmlinux.tmp" "$cache/vmlinux"
  rm -rf "$cache/unpacked"
}

# The initramfs: busybox, the modules, both programs with their shared libraries, the image and
# the guest's init script. Uncompressed: unpacking is cheaper for the guest than decompressing.
build_initramfs() {
  local root=$work/root
  rm -rf "$root"
  mkdir -p "$root"/{bin,dev,proc,sys,tmp,varnet,modules}
  cp "$(command -v busybox)" "$root/bin/busybox"
  cp "$cache"/modules/* "$root/modules/"
  cp "$updater" "$gadget" "$root/varnet/"
  cp "$image" "$root/varnet/image.cyacd"
  cp "$here/guest-init.sh" "$root/init"
  chmod +x "$root/init"
  local lib
  for lib in $(ldd "$updater" "$gadget" | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// && $1 !~ /:$/ { print $1 }' | sort -u); do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
  done
  (cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null) > "$work/initramfs.cpio"
}

mkdir -p "$cache" "$work"
prepare_kernel
build_initramfs

accel=tcg
[ "${VARNET_VM_KVM:-0}" = 1 ] && accel=kvm
log=$work/console.log
echo "booting the guest ($accel); its console goes to $log"
# The guest powers itself off after the last case; the timeout only bounds a hung guest. The HPET
# clock source keeps the guest's time with the host's: the TSC calibration goes wrong under TCG on
# a loaded machine, and the measured wall times would be off.
status=0
timeout "${VARNET_VM_TIMEOUT:-480}" "$qemu" -accel "$accel" -M pc -nodefaults -serial stdio -display none \
  -m 512M -no-reboot -kernel "$cache/vmlinux" -initrd "$work/initramfs.cpio" \
  -append "console=ttyS0 panic=-1 quiet loglevel=4 mitigations=off clocksource=hpet" < /dev/null > "$log" 2>&1 || status=$?
tr -d '\r' < "$log" | grep '^VMTEST' || true
if [ "$status" -ne 0 ]; then
  echo "run-guest: QEMU ended with status $status (124: the guest did not finish in time)" >&2
  tail -n 60 "$log" >&2
  exit 1
fi
# Every case must have reported, and passed.
cases=$(tr -d '\r' < "$log" | grep -c '^VMTEST CASE .* PASS' || true)
if ! tr -d '\r' < "$log" | grep -q '^VMTEST RESULT PASS' || [ "$cases" -ne 4 ]; then
  echo "run-guest: the guest reported failure ($cases of 4 cases passed); console log:" >&2
  tail -n 120 "$log" >&2
  exit 1
fi
