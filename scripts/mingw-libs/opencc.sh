# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034  # the MINGW_LIB_ settings are read by common.sh
# OpenCC for the Windows programs' traditional/simplified conversion: libopencc.a with its
# bundled marisa-trie (libmarisa.a), static, headers in include/opencc/. Built from the
# upstream release 1.1.6, the version of Debian bookworm's libopencc-dev, whose sources
# the package registry does not serve. The dictionaries are not built here: they do not
# depend on the platform, and the Windows programs carry the Linux package's own
# (scripts/build-windows.sh puts them beside the executables).
MINGW_LIB_TARBALL=opencc-1.1.6.tar.xz
MINGW_LIB_SHA256=cd12a079c293de4fa09cffa80ee053de734540c426d8f08f41f015e2b8fb77af
MINGW_LIB_VERSION=1.1.6

mingw_lib_build() {
  local src=$1 prefix=$2
  # No data folder compiled in (-UPKGDATADIR, after OpenCC's own -D): the programs name
  # every file with its full path, in their own folder. The forced header has OpenCC open
  # its UTF-8 file names through _wfopen, as its MSVC build does.
  cmake -S "$src" -B . -G Ninja -DCMAKE_TOOLCHAIN_FILE="$MINGW_CMAKE_TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DENABLE_GTEST=OFF \
    -DENABLE_BENCHMARK=OFF -DBUILD_DOCUMENTATION=OFF -DBUILD_PYTHON=OFF \
    -DCMAKE_CXX_FLAGS="-UPKGDATADIR -include $MINGW_LIBS_DIR/opencc.file-names.h"
  # The two libraries only: the tools and the dictionaries would have to run here.
  cmake --build . -j"$MINGW_JOBS" --target libopencc marisa
  mkdir -p "$prefix/include/opencc" "$prefix/lib"
  cp src/libopencc.a "$prefix/lib/libopencc.a"
  cp deps/marisa-0.2.6/libmarisa.a "$prefix/lib/libmarisa.a"
  # The library's headers, as OpenCC installs them (its tests' and tools' left out).
  cp $(find "$src/src" -maxdepth 1 -name '*.hpp' ! -name '*Test*' ! -name 'CmdLineOutput.hpp') \
    "$src/src/opencc.h" src/opencc_config.h src/Opencc_Export.h "$prefix/include/opencc/"
  # Users of the headers link the static library.
  sed -i '1i #ifndef Opencc_BUILT_AS_STATIC\n#define Opencc_BUILT_AS_STATIC\n#endif' \
    "$prefix/include/opencc/Opencc_Export.h"
  # The licence notices that travel with the programs: OpenCC's and those of the bundled
  # libraries linked in (rapidjson's is in its main header; darts-clone's header has none).
  mkdir -p "$prefix/licenses"
  cp "$src/LICENSE" "$prefix/licenses/OpenCC.txt"
  cp "$src/deps/marisa-0.2.6/COPYING.md" "$prefix/licenses/marisa-trie.txt"
  sed -n '1,/^$/p' "$src/deps/rapidjson-1.1.0/rapidjson/rapidjson.h" | sed 's|^// \{0,1\}||' \
    >"$prefix/licenses/rapidjson.txt"
  echo "darts-clone (bundled with OpenCC 1.1.6): Copyright (c) 2008-2014 Susumu Yata." \
    "Licensed under the BSD 2-Clause License (https://github.com/s-yata/darts-clone)." \
    >"$prefix/licenses/darts-clone.txt"
}
