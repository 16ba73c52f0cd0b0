#!/usr/bin/env bash
# The setup program in a fresh Wine prefix of its own, gone at the end: an older version
# installed silently, the user's settings and profile put in place, the current version
# installed over it, then the silent uninstall. tavrik_setup_test.exe checks the prefix
# from inside between the steps.
#   tavrik_setup_test.sh <build-dir> <older setup> <older version> <setup> <version>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/wine-env.sh"
build=$(cd "$1" && pwd)
older_setup=$2 older_version=$3 setup=$4 version=$5

wine_env "$build"
work="$build/tests/installer/setup-prefix"
rm -rf "$work"
mkdir -p "$work/home"
export WINEPREFIX="$work/wineprefix" TAVRIK_WINE_HOME="$work/home"
_wine_on_exit "rm -rf '$work'"
wine_display
# The card as the other tests have it; Trelvox is the setup's to register.
wine_prefix Trelvox.dll

failures=0
step() { echo "== $*"; }
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
check() {
  local filter=$1 expected_version=$2
  wine "$build/bin/tavrik_setup_test.exe" --gtest_filter="$filter" "$expected_version" \
    "$(winepath -w "$setup")" </dev/null || fail "$filter"
}
run_setup() {
  local code=0
  wine "$1" /S </dev/null || code=$?
  [ "$code" -eq 0 ] || fail "$(basename "$1") /S exited with $code"
}

user_dir="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}"
profile="$user_dir/AppData/Local/Tavrik/Data/CurrentRecord.dat"
settings='HKCU\Software\Tavrik\Tavrik\Settings'
installed="$WINEPREFIX/drive_c/Program Files/Tavrik"
user_data_kept() {
  cmp -s "$work/CurrentRecord.dat" "$profile" || fail "$1: CurrentRecord.dat changed or gone"
  wine reg query "$settings" /v RecordNamePrefix </dev/null 2>/dev/null | grep -q 'kept-by-setup' ||
    fail "$1: the setting RecordNamePrefix changed or gone"
}

step "fresh prefix: Trelvox not registered"
check 'BeforeSetup.*' "$version"

step "silent install of $older_version"
run_setup "$older_setup"
check 'Installed.UninstallEntry*' "$older_version"

step "the user's settings and record profile"
head -c 4096 /dev/urandom >"$work/CurrentRecord.dat"
mkdir -p "$(dirname "$profile")"
cp "$work/CurrentRecord.dat" "$profile"
wine reg add "$settings" /v RecordNamePrefix /d kept-by-setup /f </dev/null >/dev/null
# Stands for the older build's program, which the upgrade must replace.
printf 'older build' >>"$installed/Tavrik.exe"

step "silent upgrade to $version"
run_setup "$setup"
for file in Tavrik.exe Trelvox.dll; do
  cmp -s "$build/bin/$file" "$installed/$file" || fail "the upgrade did not replace $file"
done
user_data_kept "upgrade"
check 'Installed.*' "$version"

step "silent uninstall"
check 'Uninstall.*' "$version"
user_data_kept "uninstall"

[ "$failures" -eq 0 ] || { echo "$failures step(s) failed" >&2; exit 1; }
echo "setup test passed"
