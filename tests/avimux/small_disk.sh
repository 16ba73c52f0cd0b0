#!/usr/bin/env bash
# small_disk.sh mount|unmount DIR: a 4 MB tmpfs for the disk-full recording test.
# Mounting needs root; without it the folder stays an ordinary one and the test skips.
set -u
dir=$2
case $1 in
  mount)
    mkdir -p "$dir"
    mountpoint -q "$dir" || mount -t tmpfs -o size=4m tmpfs "$dir" 2>/dev/null || true
    ;;
  unmount)
    mountpoint -q "$dir" && umount "$dir"
    ;;
esac
exit 0
