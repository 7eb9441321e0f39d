#!/usr/bin/env bash
# CTest fixture for the setup's full-disk test: "setup" mounts a 64 KiB tmpfs
# and makes it drive F: of the given Wine prefix; "cleanup" removes both.
# Mounting needs root; where it fails, no drive is made and the test that
# needs it says why it is skipped.
set -u
prefix=$1 action=$2
mnt=$prefix.small-drive
link=$prefix/dosdevices/f:
undo() {
  rm -f "$link"
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" || true; fi
  rmdir "$mnt" 2>/dev/null || true
}
case "$action" in
  setup)
    undo
    mkdir -p "$mnt"
    if mount -t tmpfs -o size=64k tmpfs "$mnt" 2>"$prefix.small-drive.log"; then
      ln -s "$mnt" "$link"
    else
      echo "no small drive: $(cat "$prefix.small-drive.log")"
    fi
    ;;
  cleanup) undo ;;
esac
exit 0
