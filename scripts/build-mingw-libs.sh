#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the libraries the Windows programs link (Debian has no MinGW-w64 builds of
# them) from Debian's source packages, once: each into its own prefix in the cache
# (${MORVANE_MINGW_LIBS:-~/.cache/morvane-mingw}), and prints one prefix a line.
#
#   scripts/build-mingw-libs.sh            every library of scripts/mingw-libs/
#   scripts/build-mingw-libs.sh icu ...    those named
#
# A library that is built already costs nothing; what a library needs and how it is built
# is in scripts/mingw-libs/<name>.sh, the shared part in scripts/mingw-libs/common.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh g++-mingw-w64-x86-64-posix dpkg-dev >&2
. scripts/mingw-libs/common.sh

names=("$@")
if ((${#names[@]} == 0)); then
  for f in scripts/mingw-libs/*.sh; do
    [ "$(basename "$f")" = common.sh ] || names+=("$(basename "$f" .sh)")
  done
fi
for name in "${names[@]}"; do
  mingw_lib_prefix "$name"
done
