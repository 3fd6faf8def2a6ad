#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from the normal build (build/), installs it with apt-get (which
# brings its dependencies), starts the installed morvane-cli and checks that the desktop
# entry, icon and man pages are in place, then removes the package again. Needs root or
# sudo; ./test.sh runs it on CI.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

rm -f build/morvane_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls "$PWD"/build/morvane_*.deb)
echo "Installing $(basename "$deb")"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
trap '$sudo apt-get remove -y -qq morvane >/dev/null' EXIT

help=$(/usr/bin/morvane-cli --help)
echo "${help%%$'\n'*}"
for file in /usr/bin/morvane /usr/share/applications/morvane.desktop \
            /usr/share/icons/hicolor/16x16/apps/morvane.png \
            /usr/share/icons/hicolor/256x256/apps/morvane.png \
            /usr/share/icons/hicolor/scalable/apps/morvane.svg \
            /usr/share/man/man1/morvane-cli.1.gz /usr/share/man/man1/morvane.1.gz; do
  [ -s "$file" ] || { echo "missing from the package: $file" >&2; exit 1; }
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/morvane.desktop
fi
echo "The package installs and morvane-cli runs from it."
