#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds in Release and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target morvane morvane-cli
if [ -x build/app/morvane ]; then
  exec build/app/morvane "$@"
else
  exec build/cli/morvane-cli --help
fi
