#!/usr/bin/env bash
# disk_full.sh BUILD_DIR: runs e2e_disk_full_tests.exe with its work directory
# on a tmpfs of 1 MB mounted for the run, so that a dump fills the disk.
# Where no file system may be mounted (no privilege for it), the test is
# skipped and says so.
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$(cd "$1" && pwd)
flavour=win32
if grep -q x86_64 "$dir/CMakeCache.txt"; then flavour=win64; fi
mnt=$dir/full-disk
mkdir -p "$mnt"
mountpoint -q "$mnt" && umount "$mnt"
if ! mount -t tmpfs -o size=1m,mode=0777 korvexer-full-disk "$mnt" 2>/dev/null; then
    echo "cannot mount a small tmpfs here (mount needs root or CAP_SYS_ADMIN): skipped"
    exit 77
fi
trap 'umount "$mnt" 2>/dev/null; rmdir "$mnt" 2>/dev/null' EXIT
# Wine's drive Z: is the Unix root.
export KORVEXER_FULL_DISK="Z:${mnt//\//\\}\\"
export WINEDEBUG=-all
# Below the ctest timeout, so a hung program is ended here and its output shown.
KORVEXER_TEST_TIMEOUT=${KORVEXER_TEST_TIMEOUT:-285} bash "$here/../../scripts/wine-run.sh" "$flavour" "$dir/tests/e2e_disk_full_tests.exe"
