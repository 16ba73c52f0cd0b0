# Sourced by run, test and wine-exec: the project's private Wine environment.
#   wine_env <build-dir>      export the prefix, locale, audio and debug settings
#   wine_display              use $DISPLAY, or start an Xvfb that ends with the caller
#   wine_lock                 hold the prefix lock until the caller exits
#   wine_prefix <build-dir>   create the prefix once, install the card's files and register the DLLs
#   wine_finish               stop everything this shell started under Wine

wine_env() {
  local build
  build=$(cd "$1" && pwd)
  export WINEPREFIX="$build/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko prompts while the prefix is made.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
  export LANG=ja_JP.UTF-8
  export LC_ALL=ja_JP.UTF-8
  # A null ALSA device: the DirectSound renderer works without a sound card,
  # and the user's own ~/.asoundrc is never read or changed.
  export ALSA_CONFIG_PATH="$build/asound-null.conf"
  if [ ! -f "$ALSA_CONFIG_PATH" ]; then
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$ALSA_CONFIG_PATH"
  fi
  # Keep PulseAudio out of it so the null ALSA device is the one used.
  export PULSE_SERVER=/nonexistent
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
  Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 9>&- &
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
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
  # Keep one server up for the whole command; every wine start is then quick.
  wineserver -p 8>&-
  _wine_on_exit "wineserver -k 2>/dev/null; wineserver -w 2>/dev/null"
  wine_install_files
  # CMake lists the COM servers to register, one a line: "file" from bin, or
  # "file|folder" from its installed copy under Program Files.
  local line dll folder path
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    dll=${line%%|*}
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
