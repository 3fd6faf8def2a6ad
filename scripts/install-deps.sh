#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages the build, the tests and the desktop program need, plus
# any named on the command line, and only those that are missing, so a second run costs
# nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev qt6-translations-l10n
  libicu-dev libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libopencc-dev opencc
  libminizip-dev zlib1g-dev nettle-dev libpng-dev libjpeg62-turbo-dev
  clang libclang-rt-14-dev
  fonts-wqy-microhei
  python3
)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # A fresh machine's unattended upgrades hold the dpkg lock for minutes after boot: wait
  # for it (up to ten minutes) instead of failing at once.
  lock=(-o DPkg::Lock::Timeout=600)
  $sudo apt-get "${lock[@]}" update -qq
  $sudo apt-get "${lock[@]}" install -y -qq --no-install-recommends "${missing[@]}"
fi
