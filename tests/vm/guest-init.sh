#!/bin/busybox sh
# The test guest's init: loads the USB and HID modules, builds the Varnet's two USB identities as
# configfs gadgets on the dummy controller, and runs the unmodified updater (-SILENT) once per case
# against varnet-gadget. Results go to the serial console as lines the host checks:
#   VMTEST CASE <name> PASS|FAIL <why>     VMTEST BENCH <figures>     VMTEST RESULT PASS|FAIL
/bin/busybox --install -s /bin
export PATH=/bin HOME=/tmp
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
for m in $(cat /modules/order); do insmod "/modules/$m" || echo "VMTEST insmod $m failed"; done
mount -t configfs configfs /sys/kernel/config
mount -t tracefs tracefs /sys/kernel/tracing

VID=0x3d7a
IMAGE=/varnet/image.cyacd
G=/sys/kernel/config/usb_gadget
UDC=$(ls /sys/class/udc | head -n 1)

# hid_function GADGET NAME DESCRIPTOR_HEX: a HID function with 64-byte reports.
hid_function() {
  mkdir "$1/functions/$2"
  echo 0 > "$1/functions/$2/protocol"
  echo 0 > "$1/functions/$2/subclass"
  echo 64 > "$1/functions/$2/report_length"
  printf "$3" > "$1/functions/$2/report_desc"
}
# Vendor-defined, unnumbered: 64-byte input and output reports (the bootloader's packets).
PACKETS='\x06\x00\xff\x09\x01\xa1\x01\x15\x00\x26\xff\x00\x75\x08\x95\x40\x09\x01\x81\x02\x95\x40\x09\x01\x91\x02\xc0'
# The application interface's switch report: 3 bytes out after the unnumbered report ID.
SWITCH='\x06\x00\xff\x09\x02\xa1\x01\x15\x00\x26\xff\x00\x75\x08\x95\x03\x09\x02\x91\x02\xc0'

# gadget DIR PRODUCT: the device identity of one mode.
gadget() {
  mkdir "$1" "$1/strings/0x409" "$1/configs/c.1"
  echo $VID > "$1/idVendor"
  echo "$2" > "$1/idProduct"
  echo Varnet > "$1/strings/0x409/product"
  echo 100 > "$1/configs/c.1/MaxPower"
}
# Application mode: interface 0 a HID interface the updater must leave alone, 1 and 2 a serial
# port (acm), 3 another one (gser), and the switch interface as interface 4. Interfaces are
# numbered in the order the functions are linked into the configuration.
gadget $G/app 0x2036
hid_function $G/app hid.if0 "$PACKETS"
mkdir $G/app/functions/acm.if1 $G/app/functions/gser.if3
hid_function $G/app hid.if4 "$SWITCH"
for f in hid.if0 acm.if1 gser.if3 hid.if4; do ln -s $G/app/functions/$f $G/app/configs/c.1/; done
# Bootloader mode: one HID interface.
gadget $G/boot 0x2836
hid_function $G/boot hid.boot "$PACKETS"
ln -s $G/boot/functions/hid.boot $G/boot/configs/c.1/

# Every open of a hidraw node is counted by the kernel's function tracer.
T=/sys/kernel/tracing
echo hidraw_open > $T/set_ftrace_filter && echo function > $T/current_tracer || echo "VMTEST no tracer"

now_cs() { awk '{ printf "%d", $1 * 100 }' /proc/uptime; }
# wait_for SECONDS COMMAND...: polls COMMAND every 0.1 s, bounded.
wait_for() {
  local n=$(( $1 * 10 )); shift
  while ! "$@"; do n=$((n - 1)); [ $n -le 0 ] && return 1; usleep 100000; done
}
# usb_present PRODUCT [BCD]: a device of ours with that product id (and release) is enumerated
# with its hidraw nodes.
usb_present() {
  local d
  for d in /sys/bus/usb/devices/*; do
    [ "$(cat $d/idVendor 2>/dev/null)" = "${VID#0x}" ] || continue
    [ "$(cat $d/idProduct)" = "$1" ] || continue
    [ -z "$2" ] || [ "$(cat $d/bcdDevice)" = "$2" ] || continue
    ls $d/*/*/hidraw/ >/dev/null 2>&1 && return 0
  done
  return 1
}
ours_absent() { ! usb_present 2036 && ! usb_present 2836; }
# The programmed flash holds every row of the image and only those.
flash_is_image() {
  local rows hex
  rows=$(tail -n +2 $IMAGE | grep -c '^:')
  [ "$(wc -l < /tmp/flash.txt)" = "$rows" ] || return 1
  while read -r _ _ hex; do grep -qi "$hex" $IMAGE || return 1; done < /tmp/flash.txt
}

failed=0
result() {  # result NAME OK|why...
  local name=$1; shift
  if [ "$1" = OK ]; then echo "VMTEST CASE $name PASS"
  else echo "VMTEST CASE $name FAIL $*"; failed=1; tail -n 15 /tmp/updater.txt /tmp/gadget.txt; fi
}

# run_case NAME VARIABLES...: starts the device with the simulator settings VARIABLES (none bound
# for VARNET_SIM_STATE=absent), waits for it, runs the updater once and leaves the device running
# for the checks. Sets ELAPSED_CS (the updater's wall time) and OPENS (hidraw opens meanwhile).
run_case() {
  shift  # the case's name, for the reader
  rm -f /tmp/flash.txt
  env "$@" VARNET_SIM_FLASH_OUT=/tmp/flash.txt /varnet/varnet-gadget $G/app $G/boot $UDC > /tmp/gadget.txt 2>&1 &
  GADGET=$!
  APPEARED=yes
  case "$*" in
    *VARNET_SIM_STATE=absent*) ;;
    *VARNET_SIM_STATE=bootloader*) wait_for 30 usb_present 2836 || APPEARED=no ;;
    *) wait_for 30 usb_present 2036 || APPEARED=no ;;
  esac
  echo > $T/trace
  local start; start=$(now_cs)
  /varnet/varnet-updater -SILENT -ABSOLUTE_FIRMWARE_FILE_PATH=$IMAGE > /tmp/updater.txt 2>&1
  ELAPSED_CS=$(( $(now_cs) - start ))
  OPENS=$(grep -c 'hidraw_open' $T/trace)
}
stop_device() {  # ends varnet-gadget, which writes the flash it holds
  kill $GADGET; wait $GADGET
  [ -f /tmp/flash.txt ] || : > /tmp/flash.txt
}

# 1. A complete update: the flash holds the image, the device is back with the new version.
run_case update VARNET_SIM_VERSION=1.0.1 VARNET_SIM_NEW_VERSION=1.0.2
if wait_for 30 usb_present 2036 0102; then back=yes; else back=no; fi
stop_device
echo "VMTEST BENCH update_wall_ms=$((ELAPSED_CS * 10)) hidraw_opens=$OPENS"
if [ $APPEARED != yes ]; then result update "the device did not appear"
elif [ $back != yes ]; then result update "the device did not come back as 1.0.2"
elif ! flash_is_image; then result update "the flash does not hold the image"
else result update OK; fi

# 2. A device found in its bootloader is programmed at once and restarts into the new firmware.
run_case bootloader VARNET_SIM_STATE=bootloader VARNET_SIM_NEW_VERSION=1.0.2
if wait_for 30 usb_present 2036 0102; then back=yes; else back=no; fi
stop_device
if [ $APPEARED != yes ]; then result bootloader "the device did not appear"
elif [ $back != yes ]; then result bootloader "the device did not come back as 1.0.2"
elif ! flash_is_image; then result bootloader "the flash does not hold the image"
else result bootloader OK; fi

# 3. The device vanishes (its gadget is unbound) after 100 bootloader commands: the updater ends
# by itself, having programmed only part of the image.
run_case vanished VARNET_SIM_FAULTS=unplug-after:100
gone=no; ours_absent && gone=yes
stop_device
rows=$(wc -l < /tmp/flash.txt)
if [ $APPEARED != yes ]; then result vanished "the device did not appear"
elif [ $gone != yes ]; then result vanished "the device was still enumerated"
elif [ "$rows" -lt 1 ] || flash_is_image; then result vanished "expected a partly programmed flash, found $rows rows"
elif [ $ELAPSED_CS -gt 6000 ]; then result vanished "the updater took $ELAPSED_CS cs to give up"
else result vanished OK; fi

# 4. No device: the updater searches, ends, and never opens a hidraw node.
run_case not-found VARNET_SIM_STATE=absent
stop_device
if [ "$OPENS" != 0 ]; then result not-found "$OPENS hidraw opens without a device"
elif [ $ELAPSED_CS -lt 500 ]; then result not-found "ended after $ELAPSED_CS cs, before searching"
else result not-found OK; fi
echo "VMTEST BENCH not_found_wall_ms=$((ELAPSED_CS * 10))"

[ $failed = 0 ] && echo "VMTEST RESULT PASS" || echo "VMTEST RESULT FAIL"
poweroff -f
