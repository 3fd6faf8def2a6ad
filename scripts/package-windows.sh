#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Packs the cross-built Windows programs (scripts/build-windows.sh) for users, into
# build-windows/package/:
#   morvane-<version>-setup.exe         the setup program (NSIS, packaging/windows/morvane.nsi)
#   morvane-<version>-windows-x64.zip   the portable programs: a folder that runs from anywhere
#   morvane-<version>-debug-symbols.zip the programs' symbols (<name>.exe.debug), for crash reports
# Both hold the same files: morvane.exe, morvane-cli.exe, the conversion's data (opencc\),
# README.md and the licence notices of the libraries linked in (LICENSE-*.txt).
#
#   scripts/package-windows.sh          pack
#   scripts/package-windows.sh --test   pack, then install, run and uninstall the setup under
#                                       Wine (scripts/test-package-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

run_test=false
for arg in "$@"; do
  case "$arg" in
    --test) run_test=true ;;
    *) echo "usage: $0 [--test]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh nsis zip >/dev/null
build="build-windows"
for exe in "$build/app/morvane.exe" "$build/cli/morvane-cli.exe"; do
  [ -f "$exe" ] || { echo "package-windows: no $exe (run scripts/build-windows.sh)" >&2; exit 1; }
done
[ -d "$build/app/opencc" ] || {
  echo "package-windows: $build/app/opencc is missing: the build has no OpenCC" >&2
  exit 1
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package-windows: no version in $build/CMakeCache.txt" >&2; exit 1; }

out=$build/package
stage=$out/Morvane-$version
rm -rf "$out"
mkdir -p "$stage"
cp "$build/app/morvane.exe" "$build/cli/morvane-cli.exe" README.md "$stage/"
cp -r "$build/app/opencc" "$stage/opencc"

# The licence notices of what is linked into the programs: ICU, minizip and zlib as
# Debian's copyright files of the packages they are built from, OpenCC and the libraries
# bundled with it from its release.
cp /usr/share/doc/libicu-dev/copyright "$stage/LICENSE-ICU.txt"
cp /usr/share/doc/libminizip-dev/copyright "$stage/LICENSE-minizip.txt"
cp /usr/share/doc/libz-mingw-w64/copyright "$stage/LICENSE-zlib.txt"
opencc=$(./scripts/build-mingw-libs.sh opencc)
for notice in "$opencc"/licenses/*.txt; do
  cp "$notice" "$stage/LICENSE-$(basename "$notice")"
done
# Notepad on older Windows wants CR LF.
for text in "$stage"/LICENSE-*.txt; do sed -i 's/\r\{0,1\}$/\r/' "$text"; done

# The portable zip: one folder, settings in the registry as with the setup.
(cd "$out" && zip -qr9 "morvane-$version-windows-x64.zip" "Morvane-$version")
(cd "$build" && zip -qj9 "package/morvane-$version-debug-symbols.zip" \
  app/morvane.exe.debug cli/morvane-cli.exe.debug)

icon=$build/icon/morvane.ico
[ -f "$icon" ] || icon=/usr/share/nsis/Contrib/Graphics/Icons/modern-install.ico
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$(realpath "$stage")" \
  -DOUTFILE="$(realpath "$out")/morvane-$version-setup.exe" -DICON="$(realpath "$icon")" \
  packaging/windows/morvane.nsi
ls -l "$out"

if $run_test; then
  ./scripts/test-package-windows.sh "$out/morvane-$version-setup.exe" \
    "$out/morvane-$version-windows-x64.zip"
fi
