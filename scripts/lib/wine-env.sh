# Sourced by run, test and wine-exec: the project's private Wine environment.
# Wine itself is Wine 10 from the isolated root of wine-root.sh: wine, wineserver,
# wineboot and winepath below run there, in a bubblewrap sandbox, as the calling user.
#   wine_env <build-dir>      export the prefix, locale, audio and debug settings
#   wine_display              use $DISPLAY, or start an Xvfb that ends with the caller
#   wine_lock                 hold the prefix lock until the caller exits
#   wine_prefix [file...]     create the prefix once, install the card's files and register the DLLs,
#                             but for the COM servers named (left to a test that registers them)
#   wine_sandbox <program>    run a program of the Wine root (what wine, wineserver … call)

_wine_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$_wine_lib_dir/wine-root.sh"
_wine_project_dir=$(cd "$_wine_lib_dir/../.." && pwd)

# Runs a program of the Wine root, read-only, with the host's display, /tmp and the clone.
wine_sandbox() {
  local root
  root=$(wine_root_dir)
  if [ ! -f "$root/.tavrik-stamp" ]; then
    echo "wine: no Wine 10 root in $root; run scripts/setup first" >&2
    return 2
  fi
  local args=(
    --ro-bind "$root/usr" /usr --ro-bind "$root/etc" /etc --ro-bind "$root/var" /var
    --symlink usr/bin /bin --symlink usr/sbin /sbin --symlink usr/lib /lib --symlink usr/lib64 /lib64
    --proc /proc --dev /dev --tmpfs /dev/shm --ro-bind /sys /sys
    --bind /tmp /tmp --bind "$_wine_project_dir" "$_wine_project_dir"
    --die-with-parent --clearenv
    --setenv PATH /usr/local/bin:/usr/bin:/bin --setenv HOME "$TAVRIK_WINE_HOME"
    --setenv USER "${USER:-$(id -un)}" --setenv LANG ja_JP.UTF-8 --setenv LC_ALL ja_JP.UTF-8
    --setenv WINEPREFIX "$WINEPREFIX" --setenv WINEARCH win64 --setenv WINEDEBUG "$WINEDEBUG"
    --setenv WINEDLLOVERRIDES "$WINEDLLOVERRIDES" --setenv PULSE_SERVER /nonexistent
  )
  [ -z "${DISPLAY:-}" ] || args+=(--setenv DISPLAY "$DISPLAY")
  if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
    args+=(--ro-bind "$XAUTHORITY" "$XAUTHORITY" --setenv XAUTHORITY "$XAUTHORITY")
  fi
  bwrap "${args[@]}" "$@"
}
wine() { wine_sandbox wine "$@"; }
wineserver() { wine_sandbox wineserver "$@"; }
wineboot() { wine_sandbox wineboot "$@"; }
winepath() { wine_sandbox winepath "$@"; }

wine_env() {
  local build
  build=$(cd "$1" && pwd)
  case "$build/" in
    "$_wine_project_dir"/*) ;;
    *) echo "wine_env: $build is outside the clone $_wine_project_dir, which the sandbox shares" >&2; return 2 ;;
  esac
  export TAVRIK_WINE_HOME="$build/wine-home"
  mkdir -p "$TAVRIK_WINE_HOME"
  export WINEPREFIX="$build/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko prompts while the prefix is made.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  export LANG=ja_JP.UTF-8
  export LC_ALL=ja_JP.UTF-8
  # Audio: the root's /etc/asound.conf makes the default ALSA device a null one, so the
  # DirectSound renderer works without a sound card; PulseAudio is kept out of it and
  # the user's own audio configuration is never read or changed.
  TAVRIK_WINE_BUILD="$build"
}

_wine_cleanups=()
_wine_run_cleanups() {
  local i
  for ((i = ${#_wine_cleanups[@]} - 1; i >= 0; i--)); do eval "${_wine_cleanups[$i]}" || true; done
  _wine_cleanups=()
}
_wine_on_exit() {
  _wine_cleanups+=("$1")
  trap _wine_run_cleanups EXIT
  trap 'exit 130' INT TERM
}

wine_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local fifo pid display
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 9>&- &
  pid=$!
  read -r display <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$display"
  _wine_on_exit "kill $pid 2>/dev/null; wait $pid 2>/dev/null"
  TAVRIK_XVFB=1
}

wine_lock() {
  exec 8>"$TAVRIK_WINE_BUILD/wineprefix.lock"
  if ! flock -n 8; then
    echo "Another command is using the Wine prefix in $TAVRIK_WINE_BUILD; waiting for it..."
    flock 8
  fi
}

wine_prefix() {
  local skipped=" $* "
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # Keep one server up for the whole command; every wine start is then quick.
  wineserver -p 8>&-
  _wine_on_exit "wineserver -k 2>/dev/null; wineserver -w 2>/dev/null"
  wine_japanese_fonts
  wine_gdi_renderer
  wine_install_files
  # CMake lists the COM servers to register, one a line: "file" from bin, or
  # "file|folder" from its installed copy under Program Files.
  local line dll folder path
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    dll=${line%%|*}
    [[ "$skipped" != *" $dll "* ]] || continue
    path="$TAVRIK_WINE_BUILD/bin/$dll"
    if [ "$dll" != "$line" ]; then
      folder=${line#*|}
      path="$WINEPREFIX/drive_c/Program Files/$folder/$dll"
    fi
    wine regsvr32 /s "$(winepath -w "$path")" 8>&- || {
      echo "regsvr32 failed for $dll" >&2
      return 1
    }
  done <"$TAVRIK_WINE_BUILD/bin/com-servers.txt"
}

# A prefix has none of Windows' fonts: the Japanese faces that programs and dialogs ask
# for map to the root's IPA fonts, and Wine's own Tahoma (menus, captions, status bars)
# falls back to them for the glyphs it lacks.
wine_japanese_fonts() {
  local marker="$WINEPREFIX/.tavrik-fonts-1" face key
  [ ! -f "$marker" ] || return 0
  key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  for face in "MS UI Gothic=IPAGothic" "MS Gothic=IPAGothic" "MS PGothic=IPAPGothic" \
      "MS Mincho=IPAMincho" "MS PMincho=IPAPMincho" "Meiryo UI=IPAPGothic" "Yu Gothic UI=IPAPGothic"; do
    wine reg add "$key\FontSubstitutes" /v "${face%%=*}" /d "${face#*=}" /f >/dev/null 2>&1 8>&-
  done
  for face in Tahoma "Tahoma Bold"; do
    wine reg add "$key\FontLink\SystemLink" /v "$face" /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null 2>&1 8>&-
  done
  touch "$marker"
}

# The display of our machines has no GPU: Wine's Direct3D (which the video renderers draw
# through) would rasterize with Mesa's software OpenGL, which took more CPU than the whole
# program it shows. Its GDI renderer draws the same pictures with plain blits. A setting of
# Wine's, in our prefix only; Windows draws through the GPU's own driver.
wine_gdi_renderer() {
  local marker="$WINEPREFIX/.tavrik-gdi-renderer-1"
  [ ! -f "$marker" ] || return 0
  wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f >/dev/null 2>&1 8>&- || {
    echo "could not set Wine's Direct3D renderer to gdi" >&2
    return 1
  }
  touch "$marker"
}

# Copies the files CMake lists ("file|folder" a line) into C:\Program Files\<folder>,
# the way a vendor's setup would install them.
wine_install_files() {
  local list="$TAVRIK_WINE_BUILD/bin/prefix-installs.txt" line file folder target
  [ -f "$list" ] || return 0
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    file=${line%%|*}
    folder=${line#*|}
    target="$WINEPREFIX/drive_c/Program Files/$folder"
    mkdir -p "$target"
    cmp -s "$TAVRIK_WINE_BUILD/bin/$file" "$target/$file" || cp "$TAVRIK_WINE_BUILD/bin/$file" "$target/$file"
  done <"$list"
}
