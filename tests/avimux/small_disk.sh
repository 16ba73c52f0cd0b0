#!/usr/bin/env bash
# small_disk.sh mount|unmount DIR [SIZE]: a tmpfs (4 MB unless SIZE says otherwise) for the
# disk-full recording tests, with a file "mounted" in it once mounted. Mounting needs
# root; without it the folder stays an ordinary one and the tests skip.
set -u
dir=$2
case $1 in
  mount)
    mkdir -p "$dir"
    mountpoint -q "$dir" || mount -t tmpfs -o "size=${3:-4m}" tmpfs "$dir" 2>/dev/null || true
    mountpoint -q "$dir" && touch "$dir/mounted"
    ;;
  unmount)
    mountpoint -q "$dir" && umount "$dir"
    ;;
esac
exit 0
