#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds everything and runs every test through ctest:
# first the normal build (desktop program included), then the core, engine and
# command-line tests again under AddressSanitizer and UBSan (with short fuzzing
# runs where clang is present), then, where Wine and MinGW-w64 are installed, the Windows
# build with its tests under Wine (scripts/build-windows.sh --test). The output ends with
# ctest's summary.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$jobs"

sanitize_args=(-DMORVANE_BUILD_UI=OFF -DMORVANE_BENCH=OFF -DMORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v clang++ >/dev/null; then
  sanitize_args+=(-DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON)
fi
cmake -S . -B build-sanitize -G Ninja "${sanitize_args[@]}" >/dev/null
cmake --build build-sanitize -j "$jobs"

# On CI: the Debian package installs and its morvane-cli starts (this installs into the
# system, so a developer runs scripts/check-package.sh by hand).
if [ "${CI:-}" = true ]; then
  echo "== the Debian package =="
  scripts/check-package.sh
fi

export QT_QPA_PLATFORM=offscreen
echo "== tests of the normal build =="
ctest --test-dir build --output-on-failure -j "$jobs"
echo "== tests under AddressSanitizer and UBSan =="
# epubcheck judges the books, not the program's memory, and takes minutes on the largest:
# the normal build's run of it is enough.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$PWD/tests/lsan-suppressions.txt" \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -E Epubcheck
if command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "== the Windows build: its tests under Wine, the desktop smoke test =="
  ./scripts/build-windows.sh --test
else
  echo "== the Windows build and its tests under Wine: SKIPPED (no wine or no MinGW-w64;" \
    "scripts/build-windows.sh installs them) =="
fi
