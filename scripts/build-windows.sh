#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Windows programs on this Linux machine with MinGW-w64 into build-windows/:
# morvane-cli.exe, morvane.exe and the core, engine and command-line tests, all static
# 64-bit executables with no DLL beside them. Installs the cross compiler and Wine
# first when they are missing.
#
#   scripts/build-windows.sh            build
#   scripts/build-windows.sh --test     build, then check the executables' properties, run
#                                       the desktop smoke test (scripts/smoke-windows.sh),
#                                       the byte-for-byte check against the Linux CLI
#                                       (compare-windows-cli.sh) and the tests under Wine,
#                                       and make the setup and the zip and test them under
#                                       Wine (package-windows.sh --test)
set -euo pipefail
cd "$(dirname "$0")/.."

run_tests=false
for arg in "$@"; do
  case "$arg" in
    --test) run_tests=true ;;
    *) echo "usage: $0 [--test]" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 wine imagemagick \
  libopencc-data

# The icon is the one the Linux build draws (its morvane-icon-export), in one .ico file.
icon=()
if [ -x build/app/morvane-icon-export ] && command -v convert >/dev/null; then
  rm -rf build-windows/icon
  build/app/morvane-icon-export build-windows/icon
  convert build-windows/icon/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/morvane.png \
    build-windows/icon/morvane.ico
  icon=(-DMORVANE_WINDOWS_ICON="$PWD/build-windows/icon/morvane.ico")
else
  echo "morvane.exe gets the default icon: no build/app/morvane-icon-export (build the Linux" \
    "program first) or no ImageMagick"
fi

# The libraries Debian has no MinGW-w64 build of, cross-built once into a cache outside
# the checkout (scripts/build-mingw-libs.sh); CMake finds each in its prefix.
prefixes=$(./scripts/build-mingw-libs.sh | paste -sd';')

export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER-$(command -v ccache || true)}
cmake -S . -B build-windows -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH="$prefixes" \
  -DCMAKE_BUILD_TYPE=Release -DMORVANE_BENCH=OFF "${icon[@]}" >/dev/null
cmake --build build-windows -j "$(nproc)"

if $run_tests; then
  # Each program stands alone: it imports only DLLs that every Windows has.
  system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|uxtheme|msvcrt|advapi32|bcrypt|ole32|windowscodecs|oleaut32)\.dll$'
  for exe in build-windows/cli/morvane-cli.exe build-windows/app/morvane.exe; do
    others=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' |
      grep -Ev "$system_dlls" || true)
    [ -z "$others" ] || { echo "$exe needs DLLs beside it:" $others >&2; exit 1; }
  done
  echo "== morvane-cli.exe and morvane.exe import only the system's DLLs =="
  # What Explorer shows in the properties, read back from the files by icoutils' wrestool:
  # the version resource (the project's version), the icon and the manifest; and no
  # symbols left in them (they are in the .debug file the executable names).
  ./scripts/install-deps.sh icoutils >/dev/null
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
  for exe in build-windows/cli/morvane-cli.exe build-windows/app/morvane.exe; do
    properties=$(wrestool -x --raw --type=16 "$exe" | python3 -c '
import sys
words = [w for w in sys.stdin.buffer.read().decode("utf-16-le", "ignore").split("\0") if w.strip()]
for key in ("ProductName", "FileDescription", "ProductVersion", "LegalCopyright"):
    # Each key follows the binary header of its entry.
    value = next((words[i + 1] for i, w in enumerate(words[:-1]) if w.endswith(key)), "")
    print("%s=%s" % (key, value))')
    echo "$exe: $(echo "$properties" | paste -sd' ')"
    grep -qx "ProductVersion=$version" <<<"$properties" || { echo "$exe: not version $version" >&2; exit 1; }
    grep -q '^FileDescription=.' <<<"$properties" || { echo "$exe: no description" >&2; exit 1; }
    for type in 14 24; do  # the icon group, the manifest
      [ -n "$(wrestool -l --type=$type "$exe")" ] || { echo "$exe: no resource of type $type" >&2; exit 1; }
    done
    if ! x86_64-w64-mingw32-objdump -t "$exe" | grep -q 'no symbols' ||
      ! x86_64-w64-mingw32-objdump -h "$exe" | grep -q gnu_debuglink || [ ! -s "$exe.debug" ]; then
      echo "$exe: not stripped, or no $exe.debug named by it" >&2
      exit 1
    fi
  done
  echo "== both executables carry their properties (version $version), icon and manifest, stripped =="
  # A Wine prefix of the build's own, made once; wineboot's first run takes a few seconds.
  export WINEPREFIX="$PWD/build-windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1
  # The prefix's server was started without a display; programs started while it lives
  # would get none either.
  wineserver -w
  echo "== the desktop smoke test of morvane.exe under Wine =="
  ./scripts/install-deps.sh xvfb openbox xdotool imagemagick fonts-wqy-microhei locales
  ./scripts/smoke-windows.sh
  if [ -x build/cli/morvane-cli ]; then
    echo "== morvane-cli.exe against the Linux morvane-cli, byte for byte =="
    ./scripts/compare-windows-cli.sh
  else
    echo "== morvane-cli.exe against the Linux build: SKIPPED (no build/cli/morvane-cli) =="
  fi
  echo "== tests of the Windows build, under $(wine --version) =="
  ctest --test-dir build-windows --output-on-failure -j "$(nproc)"
  echo "== the setup and the portable zip, installed, run and uninstalled under Wine =="
  ./scripts/package-windows.sh --test
fi
