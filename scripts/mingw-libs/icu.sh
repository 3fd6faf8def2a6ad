# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2034  # the MINGW_LIB_ settings are read by common.sh
# ICU for the Windows programs: the common and i18n libraries (converters, regular
# expressions, character properties) and a data library cut down to what the programs use,
# all static (libsicuuc.a, libsicuin.a, libsicudt.a; users define U_STATIC_IMPLEMENTATION).
MINGW_LIB_SOURCE=icu
# icupkg and genccode, of the same ICU version as the sources, pack the data.
MINGW_LIB_PACKAGES=icu-devtools

# The data items kept, out of the 3 900 of ICU's whole data (30 MB): the converters the
# programs open (windows-936 for GBK, gb18030, windows-950 for Big5, with the tables they
# extend) and the alias table that finds them by name (UTF-8/16/32 need no data); and what
# a chapter rule's regular expression may ask for: character names (\N{...}), the emoji,
# layout and NFKC properties (\p{...}; the other properties are compiled into the common
# library), the grapheme and word break rules (\X, (?w)\b). The dictionaries that break
# Chinese, Japanese, Thai... text into words (2.3 MB) are left out, so with (?w) a run of
# Han characters is one word.
icu_data_kept=(
  cnvalias.icu
  windows-936-2000.cnv ibm-1386_P100-2001.cnv gb18030.cnv
  windows-950-2000.cnv ibm-1373_P100-2002.cnv
  unames.icu uemoji.icu ulayout.icu nfkc.nrm nfkc_cf.nrm
  brkitr/res_index.res brkitr/root.res brkitr/char.brk brkitr/word.brk
)

mingw_lib_build() {
  local src=$1/source prefix=$2
  # ICU's cross build reads the native build's tool settings; neither of the two libraries
  # built here runs a tool, so an empty stand-in will do (the data is packed below with
  # Debian's icu-devtools, the same version).
  mkdir -p native/config
  : >native/config/icucross.mk
  : >native/config/icucross.inc
  # What ICU leaves out of the two libraries: formatting, collation and transliteration,
  # which only compile time would pay for (the programs link no object of them).
  local uconfig=(UCONFIG_NO_FORMATTING UCONFIG_NO_COLLATION UCONFIG_NO_TRANSLITERATION
    UCONFIG_NO_IDNA UCONFIG_NO_FILE_IO)
  local defines="-DU_STATIC_IMPLEMENTATION ${uconfig[*]/#/-D}"
  defines=${defines// -DUCONFIG/=1 -DUCONFIG}=1
  "$src/configure" --host="$MINGW_HOST" --build="$(uname -m)-linux-gnu" \
    --with-cross-build="$PWD/native" --prefix="$prefix" \
    --enable-static --disable-shared --disable-tools --disable-tests --disable-samples \
    --disable-extras --disable-icuio --disable-layoutex --disable-dyload \
    --with-data-packaging=static \
    CPPFLAGS="$defines" CFLAGS="-O2" CXXFLAGS="-O2 -std=c++17"
  mkdir -p lib
  make -j"$MINGW_JOBS" -C common
  make -j"$MINGW_JOBS" -C i18n
  make -C common install
  make -C i18n install
  # The users of the headers see the same configuration as the libraries were built with.
  local h=$prefix/include/unicode/uconfig.h
  { echo "/* Morvane's MinGW-w64 build: */"; for d in "${uconfig[@]}"; do echo "#define $d 1"; done
    echo "#ifndef U_STATIC_IMPLEMENTATION"; echo "#define U_STATIC_IMPLEMENTATION"; echo "#endif"
    cat "$h"; } >"$h.new"
  mv "$h.new" "$h"

  # The data: the kept items of ICU's prebuilt package, linked in as one object.
  local dat
  dat=$(find "$src/data/in" -maxdepth 1 -name 'icudt*l.dat' | head -n1)
  local name
  name=$(basename "$dat" l.dat)
  icupkg -l "$dat" | sort >all.lst
  printf '%s\n' "${icu_data_kept[@]}" | sort >kept.lst
  local missing
  missing=$(comm -13 all.lst kept.lst)
  [ -z "$missing" ] || { echo "not in ICU's data: $missing" >&2; return 1; }
  comm -23 all.lst kept.lst >removed.lst
  mkdir -p data
  # The break rules' index names every rule file and dictionary; those left out are
  # never asked for.
  icupkg --ignore-deps -r removed.lst "$dat" "data/${name}l.dat"
  genccode -a gcc-mingw64 --skip-dll-export -d data -e "$name" "data/${name}l.dat"
  "$CC" -c -o "data/${name}_dat.o" data/*.S
  "$AR" rcs "$prefix/lib/libsicudt.a" "data/${name}_dat.o"
}
