#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The packages of scripts/package-windows.sh under Wine, in a Wine prefix of their own
# (build-windows/wineprefix-package, made anew each run), in a Chinese locale:
#   the setup: a silent install (/S, for the current user), its files, Start-menu entry
#   and registry keys (程序和功能, 打开方式 of .txt, the default of .txt untouched), the
#   installed morvane-cli.exe started from another folder (--version, a traditional/
#   simplified conversion with the data beside it), then a silent uninstall that leaves
#   nothing of ours; then the same for all users (/AllUsers);
#   the zip: unpacked into a folder with a Chinese name, its morvane-cli.exe converts.
#
#   scripts/test-package-windows.sh SETUP.exe PORTABLE.zip
set -euo pipefail
cd "$(dirname "$0")/.."
setup=$(realpath "$1")
zip=$(realpath "$2")

# A Chinese Windows (code page 936), as the users' is; the locale is generated into the
# build folder when the system has none.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
  export LOCPATH=$PWD/build-windows/locale
  [ -d "$LOCPATH/zh_CN.UTF-8" ] || { mkdir -p "$LOCPATH" && localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"; }
fi
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX=$PWD/build-windows/wineprefix-package WINEDEBUG=-all
# No .desktop files from the Start-menu entry into the Linux home; no Mono or Gecko.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
rm -rf "$WINEPREFIX"
wineboot --init >/dev/null 2>&1
wineserver -w
drive_c=$WINEPREFIX/drive_c
work=$(mktemp -d /tmp/morvane-package.XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() { echo "package test FAILED: $*" >&2; exit 1; }
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
value_of() {  # KEY NAME: the data of a registry value
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v n="$2" '$1 == n {sub(/.*REG_[A-Z_]+ */, ""); print}' || true
}
default_of() {  # KEY: the data of its default value
  wine reg query "$1" /ve 2>/dev/null | tr -d '\r' |
    awk '/REG_/ {sub(/.*REG_[A-Z_]+ */, ""); if ($0 ~ /^\(.*\)$/) $0 = ""; print}' || true
}
# The text the conversion is checked with (traditional characters, UTF-8) and what t2s
# makes of it.
printf '頭髮乾燥了，滑鼠與軟體\n' >"$work/t.txt"
expected='头发干燥了，滑鼠与软体'
converts() {  # EXE: morvane-cli.exe converts t.txt, started from the work folder
  local got
  got=$(cd "$work" && wine "$1" clean --convert t2s t.txt 2>&1 | tr -d '\r' || true)
  [ "$got" = "$expected" ] || fail "$1 clean --convert t2s gave: $got"
}

# .txt opened by Notepad, as on Windows (a fresh Wine prefix has no .txt key): the setup
# must leave that default alone.
wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f >/dev/null 2>&1
txt_default=$(default_of 'HKCR\.txt')
[ "$txt_default" = txtfile ] || fail "could not give .txt a default program"
for mode in CurrentUser AllUsers; do
  if [ $mode = CurrentUser ]; then
    root=HKCU
    dir=$drive_c/users/$(id -un)/AppData/Local/Programs/Morvane
    menu="$drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
  else
    root=HKLM
    dir="$drive_c/Program Files/Morvane"
    menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
  fi
  echo "== the setup, /$mode =="
  wine "$setup" /S "/$mode"
  wineserver -w
  for file in morvane.exe morvane-cli.exe uninstall.exe README.md LICENSE-ICU.txt \
    LICENSE-OpenCC.txt opencc/t2s.json opencc/TSPhrases.ocd2; do
    [ -f "$dir/$file" ] || fail "/$mode: no $dir/$file"
  done
  [ -f "$menu/Morvane 文本切割合并.lnk" ] || fail "/$mode: no Start-menu entry in $menu"
  uninstall="$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Morvane"
  version=$(value_of "$uninstall" DisplayVersion)
  [ -n "$version" ] || fail "/$mode: no uninstall entry $uninstall"
  for value in DisplayName DisplayIcon UninstallString EstimatedSize; do
    [ -n "$(value_of "$uninstall" $value)" ] || fail "/$mode: the uninstall entry has no $value"
  done
  key_exists "$root\\Software\\Classes\\Applications\\morvane.exe\\shell\\open\\command" ||
    fail "/$mode: morvane.exe is not an application of 打开方式"
  wine reg query "$root\\Software\\Classes\\.txt\\OpenWithProgids" /v Morvane.txt >/dev/null 2>&1 ||
    fail "/$mode: Morvane.txt is not among the programs of .txt"
  [ "$(default_of 'HKCR\.txt')" = "$txt_default" ] ||
    fail "/$mode: the setup took the default program of .txt"
  got=$(cd "$work" && wine "$dir/morvane-cli.exe" --version 2>&1 | tr -d '\r')
  [[ "$got" == *"$version"* ]] || fail "/$mode: morvane-cli.exe --version gave: $got"
  converts "$dir/morvane-cli.exe"
  echo "installed $version into $dir; the installed morvane-cli.exe converts"

  wine "$dir/uninstall.exe" /S "/$mode"
  wineserver -w  # the uninstaller runs on from a copy of itself
  [ ! -e "$dir" ] || fail "/$mode: the uninstall left $(find "$dir" | head -5)"
  [ ! -e "$menu/Morvane 文本切割合并.lnk" ] || fail "/$mode: the uninstall left the Start-menu entry"
  for key in "$uninstall" "$root\\Software\\Classes\\Applications\\morvane.exe" \
    "$root\\Software\\Classes\\Morvane.txt" 'HKCU\Software\Morvane'; do
    ! key_exists "$key" || fail "/$mode: the uninstall left $key"
  done
  ! wine reg query "$root\\Software\\Classes\\.txt\\OpenWithProgids" /v Morvane.txt >/dev/null 2>&1 ||
    fail "/$mode: the uninstall left Morvane.txt among the programs of .txt"
  echo "uninstalled: nothing of ours is left"
done

echo "== the portable zip =="
mkdir "$work/便携 版"
python3 -m zipfile -e "$zip" "$work/便携 版"
cli=$(find "$work/便携 版" -name morvane-cli.exe)
[ -n "$cli" ] || fail "no morvane-cli.exe in $zip"
for file in morvane.exe README.md LICENSE-ICU.txt LICENSE-minizip.txt LICENSE-zlib.txt \
  LICENSE-OpenCC.txt opencc/s2t.json; do
  [ -f "$(dirname "$cli")/$file" ] || fail "the zip has no $file"
done
converts "$cli"
echo "the zip's morvane-cli.exe converts from a folder named 便携 版"
echo "package test passed"
