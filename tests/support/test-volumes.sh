#!/usr/bin/env bash
# Runs tests of the Windows test binary on real USB-stick file systems: a
# FAT32 and an exFAT image, each mounted through FUSE on a loop device and
# given a drive letter in the test prefix. Wine's mount manager learns its
# drives (and reads a FAT volume's type from its device) when its server
# starts, so the server is started afresh once the letters are there, and
# again once they are gone. What was set up is taken down on every way out.
#   test-volumes.sh WIN_TESTS_EXE GTEST_FILTER
# The tests learn the drives from TRESORIX_FAT32_DRIVE and
# TRESORIX_EXFAT_DRIVE, and the FAT32 image's size from TRESORIX_FAT32_BYTES
# (its FUSE driver reports no free space). Where nothing can be mounted the
# tests skip with the reason, and the script exits with 77 (skipped).
set -uo pipefail
tests=$1
filter=$2
work=$(cd "$(dirname "$tests")" && pwd)/test-volumes
image_bytes=$((64 << 20))
linked=

restart_server() {
    wineserver -k </dev/null >/dev/null 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    # As scripts/wine-env.sh starts it: with every stream closed, so that
    # CTest does not wait for the services it starts.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

# What this run set up, and what an earlier one left when it was killed:
# drive letters that lead into the work directory (with their device
# links), mounts, loop devices, images.
take_down() {
    local link mount loop
    for link in "$WINEPREFIX"/dosdevices/?:; do
        case $(readlink "$link") in "$work"/*) rm -f "$link" "$link:" ;; esac
    done
    for mount in "$work/fat32" "$work/exfat"; do
        mountpoint -q "$mount" 2>/dev/null && { fusermount -u "$mount" 2>/dev/null || umount "$mount"; }
    done
    for loop in $(losetup -n -O NAME -j "$work/fat32.img" 2>/dev/null) \
                $(losetup -n -O NAME -j "$work/exfat.img" 2>/dev/null); do
        losetup -d "$loop"
    done
    rm -rf "$work"
}

# The server goes first: it holds the drives open, and its mount manager
# is to forget them.
cleanup() {
    if [ -n "$linked" ]; then
        wineserver -k </dev/null >/dev/null 2>&1
        wineserver -w </dev/null >/dev/null 2>&1
    fi
    take_down
    [ -z "$linked" ] || restart_server
}

skip() {
    echo "test-volumes: $1"
    wineserver -p </dev/null >/dev/null 2>&1
    TRESORIX_NO_TEST_VOLUMES="$1" wine "$tests" --gtest_filter="$filter"
    exit 77
}

[ -n "${WINEPREFIX:-}" ] || skip "WINEPREFIX is not set (source scripts/wine-env.sh)"
[ "$(id -u)" -eq 0 ] || skip "loop devices and FUSE mounts need root"
for tool in mkfs.vfat mkfs.exfat fusefat mount.exfat-fuse losetup mountpoint; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/bootstrap.sh installs it)"
done
[ -c /dev/fuse ] || skip "there is no /dev/fuse"

trap cleanup EXIT
trap 'exit 143' TERM INT
take_down
mkdir -p "$work/fat32" "$work/exfat"

# FAT32 through the loop device, so that the drive's device link lets Wine
# read the volume's type from its boot sector.
truncate -s "$image_bytes" "$work/fat32.img"
mkfs.vfat -F 32 "$work/fat32.img" >/dev/null || skip "mkfs.vfat failed"
fat_loop=$(losetup -f --show "$work/fat32.img") || skip "no free loop device"
fusefat -o rw+ "$fat_loop" "$work/fat32" >/dev/null 2>&1 || skip "fusefat cannot mount"
mountpoint -q "$work/fat32" || skip "fusefat did not mount"

truncate -s "$image_bytes" "$work/exfat.img"
mkfs.exfat "$work/exfat.img" >/dev/null || skip "mkfs.exfat failed"
exfat_loop=$(losetup -f --show "$work/exfat.img") || skip "no free loop device"
mount.exfat-fuse "$exfat_loop" "$work/exfat" >/dev/null 2>&1 || skip "exfat-fuse cannot mount"
mountpoint -q "$work/exfat" || skip "exfat-fuse did not mount"

free_letter() {
    local c
    for c in r s t u v w x; do
        [ -e "$WINEPREFIX/dosdevices/$c:" ] || [ -L "$WINEPREFIX/dosdevices/$c:" ] || { echo "$c"; return 0; }
    done
    return 1
}
wineserver -k </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1
linked=yes
fat=$(free_letter) || skip "no free drive letter"
ln -s "$work/fat32" "$WINEPREFIX/dosdevices/$fat:"
ln -s "$fat_loop" "$WINEPREFIX/dosdevices/$fat::"
exfat=$(free_letter) || skip "no second free drive letter"
ln -s "$work/exfat" "$WINEPREFIX/dosdevices/$exfat:"
restart_server

TRESORIX_FAT32_DRIVE="${fat^^}:" TRESORIX_FAT32_BYTES=$image_bytes TRESORIX_EXFAT_DRIVE="${exfat^^}:" \
    wine "$tests" --gtest_filter="$filter"
