# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034  # the MINGW_LIB_ settings are read by common.sh
# minizip for the Windows programs' EPUB container: the ZIP writer (and reader) on zlib,
# static (libminizip.a, headers in include/minizip/), the very version of Debian's
# libminizip-dev, so that both builds put the same bytes into a book. zlib itself is
# Debian's MinGW-w64 build (the same zlib version as Linux's, so the same deflate output).
MINGW_LIB_SOURCE=minizip
MINGW_LIB_PACKAGES=libz-mingw-w64-dev

mingw_lib_build() {
  local src=$1 prefix=$2
  mkdir -p "$prefix/include/minizip" "$prefix/lib"
  local objects=()
  # The ZIP writer and reader and their file layer; no tools, no Windows file layer
  # (iowin32), which the program replaces with its own output writing.
  for name in ioapi zip unzip; do
    "$CC" -O2 -c -I"$src" "$src/$name.c" -o "$name.o"
    objects+=("$name.o")
  done
  "$AR" rcs "$prefix/lib/libminizip.a" "${objects[@]}"
  cp "$src/ioapi.h" "$src/zip.h" "$src/unzip.h" "$src/crypt.h" "$prefix/include/minizip/"
}
