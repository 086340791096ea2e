#!/bin/sh
# Prints the updater's "SuppressAutoUpdates" registry value: 1 while an update is under way (or
# after a forced downgrade), 0 once it has been cleared, "unset" when the updater never wrote it.
# The value lives in the updater's file-backed registry store; the base folder is chosen exactly as
# the updater chooses it:
#   $VARNET_REGISTRY_DIR when set and not empty;
#   else /var/lib/varnet-updater/registry when it exists (or could be created) and is writable;
#   else ${XDG_DATA_HOME:-$HOME/.local/share}/varnet-updater/registry ($HOME empty: /tmp).
# Exit status: 0 with 0, 1 or "unset" printed; 2 with "invalid" when the stored value is damaged.
# Run it as the user that runs the updater: the choice of folder depends on what that user may write.
set -u

key='HKEY_LOCAL_MACHINE/Software/Korvo/Audio/Drivers/{D91E3B79-2666-44d2-BA56-6251BEEDAFBB}/FirmwareUpdate'
name='SuppressAutoUpdates'
machine_base=/var/lib/varnet-updater/registry

case "${1:-}" in
    -h|--help)
        echo "usage: ${0##*/} [--path]"
        echo "  prints SuppressAutoUpdates as 0, 1 or unset; --path prints the key folder it reads"
        exit 0 ;;
esac

# The updater would create the machine folder if it could; a reader only asks whether it could.
could_create() {
    dir=$1
    while [ ! -e "$dir" ]; do
        dir=$(dirname -- "$dir")
    done
    [ -d "$dir" ] && [ -w "$dir" ]
}

if [ -n "${VARNET_REGISTRY_DIR:-}" ]; then
    base=$VARNET_REGISTRY_DIR
elif { [ -d "$machine_base" ] && [ -w "$machine_base" ]; } || { [ ! -e "$machine_base" ] && could_create "$machine_base"; }; then
    base=$machine_base
else
    data=${XDG_DATA_HOME:-}
    if [ -z "$data" ]; then
        home=${HOME:-}
        [ -n "$home" ] || home=/tmp
        data=$home/.local/share
    fi
    base=$data/varnet-updater/registry
fi
folder=$base/$key

if [ "${1:-}" = "--path" ]; then
    echo "$folder"
    exit 0
fi

invalid() {
    echo invalid
    echo "${0##*/}: $1" >&2
    exit 2
}

# Bytes of a file as decimal numbers, one per line.
bytes_of() {
    od -An -v -tu1 -- "$1" | tr -s ' ' '\n' | sed '/^$/d'
}

# A text value wins over a binary one, as in the updater; both are read as numbers.
if [ -f "$folder/$name.sz" ]; then
    # UTF-16 little-endian up to the terminating zero; a number is plain ASCII.
    text=$(bytes_of "$folder/$name.sz" | awk '
        NR % 2 == 1 { low = $1; next }
        { unit = low + 256 * $1; if (unit == 0) exit; if (unit > 126) { bad = 1; exit } printf "%c", unit }
        END { if (bad || NR % 2 == 1) exit 1 }') || invalid "$folder/$name.sz is not a number"
    case "$text" in
        '' | *[!0-9.eE+-]*) invalid "$folder/$name.sz is not a number: '$text'" ;;
    esac
    awk -v t="$text" 'BEGIN { exit !(t + 0 != 0) }' && echo 1 || echo 0
    exit 0
fi

file=$folder/$name.bin
if [ ! -e "$file" ]; then
    echo unset
    exit 0
fi
if [ ! -f "$file" ] || [ ! -r "$file" ]; then
    invalid "$file cannot be read"
fi
# 0D 00 00 00, 00 00 00 00, kind 1 (boolean) 01 00 00 00, then the one byte 00 or 01.
# shellcheck disable=SC2046  # one decimal number per byte, split on purpose
set -- $(bytes_of "$file")
[ "$#" -eq 13 ] || invalid "$file holds $# bytes, not 13"
[ "$1 $2 $3 $4 $5 $6 $7 $8 $9" = "13 0 0 0 0 0 0 0 1" ] || invalid "$file is not a boolean value"
shift 9
[ "$1 $2 $3" = "0 0 0" ] || invalid "$file is not a boolean value"
# The updater writes 00 or 01 and reads any other byte as set; so does this script.
if [ "$4" -eq 0 ]; then echo 0; else echo 1; fi
