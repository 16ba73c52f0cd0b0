# Sourced by setup and wine-env.sh: the isolated Debian trixie root that holds Wine 10.
# The host stays as it is; only Wine and what it loads come from the root.
#   wine_root_dir            print the root's folder (a cache outside the clone)
#   wine_root_build          build the root when it is missing or its package list changed

WINE_ROOT_SUITE=trixie
# mmdebstrap's own default mirror for Debian suites, unless one is given.
WINE_ROOT_MIRROR=${TAVRIK_DEBIAN_MIRROR:-}
WINE_ROOT_PACKAGES=(
  wine wine64 libwine fonts-wine fonts-liberation fonts-ipafont-gothic fonts-ipafont-mincho
  locales libgl1 libegl1 libglx-mesa0 libgl1-mesa-dri libxcomposite1 libxcursor1 libxfixes3
  libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1 libgnutls30t64 libdbus-1-3 libvulkan1
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
)
# Bump when the customize hooks below change.
WINE_ROOT_RECIPE=1

wine_root_dir() {
  echo "${TAVRIK_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrik}/wine10-root"
}

_wine_root_stamp() {
  printf '%s\n' "$WINE_ROOT_SUITE" "$WINE_ROOT_RECIPE" "${WINE_ROOT_PACKAGES[@]}" | sha256sum | cut -d' ' -f1
}

_wine_root_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

wine_root_build() {
  local root stamp tmp start
  root=$(wine_root_dir)
  stamp=$(_wine_root_stamp)
  if [ -f "$root/.tavrik-stamp" ] && [ "$(cat "$root/.tavrik-stamp")" = "$stamp" ]; then
    return 0
  fi
  echo "setup: building the Wine 10 root in $root (Debian $WINE_ROOT_SUITE, a few minutes, about 2 GB)"
  mkdir -p "$(dirname "$root")"
  tmp="$root.new"
  _wine_root_sudo rm -rf "$tmp"
  start=$SECONDS
  local include
  include=$(IFS=,; echo "${WINE_ROOT_PACKAGES[*]}")
  if ! _wine_root_sudo mmdebstrap --variant=apt --mode=auto --include="$include" \
      --customize-hook='echo "ja_JP.UTF-8 UTF-8" > "$1/etc/locale.gen"' \
      --customize-hook='chroot "$1" locale-gen' \
      --customize-hook='printf "pcm.!default { type null }\nctl.!default { type hw card 0 }\n" > "$1/etc/asound.conf"' \
      --customize-hook='chroot "$1" apt-get clean' \
      "$WINE_ROOT_SUITE" "$tmp" ${WINE_ROOT_MIRROR:+"$WINE_ROOT_MIRROR"} >"$tmp.log" 2>&1; then
    echo "setup: building the Wine 10 root failed; the last lines of $tmp.log:" >&2
    tail -n 15 "$tmp.log" >&2 || true
    echo "setup: it needs Debian's mmdebstrap and bubblewrap on the host (apt-get install --no-install-recommends mmdebstrap bubblewrap)" >&2
    echo "setup: and access to the Debian package registry for the $WINE_ROOT_SUITE suite. Tavrik's tests do not fall back to another Wine." >&2
    return 1
  fi
  _wine_root_sudo rm -rf "$root"
  _wine_root_sudo mv "$tmp" "$root"
  mv "$tmp.log" "$root.log" 2>/dev/null || true
  echo "$stamp" | _wine_root_sudo tee "$root/.tavrik-stamp" >/dev/null
  echo "setup: Wine 10 root ready in $((SECONDS - start)) s ($(du -sh "$root" 2>/dev/null | cut -f1))"
}
