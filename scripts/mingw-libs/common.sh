# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The shared part of the MinGW-w64 library builds, sourced by scripts/build-mingw-libs.sh
# before each library's own file (scripts/mingw-libs/<name>.sh).
#
# A library's file sets either
#   MINGW_LIB_SOURCE   the Debian source package it is built from (bookworm's newest version)
# or, for a library whose sources the package registry does not serve,
#   MINGW_LIB_TARBALL  the file name of the upstream release in the folder of third-party
#                      sources ($MORVANE_THIRD_PARTY, by default shared/third_party/ beside
#                      the main checkout), checked against
#   MINGW_LIB_SHA256   its sha256 before anything is unpacked, and
#   MINGW_LIB_VERSION  its version, which names the prefix
# and
#   MINGW_LIB_PACKAGES (optional) the Debian packages its build needs, installed when it is
#                      built (the cross compiler and dpkg-dev are there already)
# and defines
#   mingw_lib_build SRC PREFIX   configure, build and install the library from the unpacked,
#                                patched sources in SRC into PREFIX (include/ and lib/,
#                                static libraries only); the current folder is a scratch
#                                folder beside SRC, removed afterwards
# It may call `mingw_lib_prefix NAME` for the prefix of another library it builds on, and
# use MINGW_HOST, MINGW_JOBS, MINGW_CMAKE_TOOLCHAIN and the cross tools in CC, CXX, AR...
#
# Every finished build lives in its own prefix, $MINGW_LIBS_CACHE/<name>-<version>,
# outside the checkout so that every worktree and CI run on the machine shares it. A stamp
# in the prefix holds a digest of the library's file: a later run with the same file and
# version does nothing, a changed file builds the library again.

MINGW_LIBS_CACHE=${MORVANE_MINGW_LIBS:-$HOME/.cache/morvane-mingw}
MINGW_LIBS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
MINGW_HOST=x86_64-w64-mingw32
# The toolchain of cmake/mingw-w64-x86_64.cmake: the posix thread model, as the programs use.
export CC=$MINGW_HOST-gcc-posix CXX=$MINGW_HOST-g++-posix AR=$MINGW_HOST-ar
export RANLIB=$MINGW_HOST-ranlib STRIP=$MINGW_HOST-strip WINDRES=$MINGW_HOST-windres
# For a library that builds with CMake: -DCMAKE_TOOLCHAIN_FILE="$MINGW_CMAKE_TOOLCHAIN".
# shellcheck disable=SC2034
MINGW_CMAKE_TOOLCHAIN=$(cd "$MINGW_LIBS_DIR/../../cmake" && pwd)/mingw-w64-x86_64.cmake
export MINGW_JOBS
MINGW_JOBS=$(nproc)

mingw_log() { echo "mingw-libs: $*" >&2; }

# The folder of the upstream releases that a library's file may name (MINGW_LIB_TARBALL).
mingw_third_party() {
  if [ -n "${MORVANE_THIRD_PARTY:-}" ]; then
    echo "$MORVANE_THIRD_PARTY"
    return
  fi
  # shared/third_party beside the checkout or one of the folders above it, also when this
  # is a worktree of another checkout (whose folders are looked at too).
  local top common dir
  top=$(git -C "$MINGW_LIBS_DIR" rev-parse --show-toplevel)
  common=$(git -C "$MINGW_LIBS_DIR" rev-parse --path-format=absolute --git-common-dir)
  for dir in "$top" "$(dirname "$common")"; do
    while [ "$dir" != / ]; do
      dir=$(dirname "$dir")
      if [ -d "$dir/shared/third_party" ]; then
        echo "$dir/shared/third_party"
        return
      fi
    done
  done
  echo "$(dirname "$top")/shared/third_party"
}

# Unpacks the checked tarball $1 (a file name in the third-party folder) into the current
# folder; fails, unpacking nothing, when the file is missing or its sha256 is not $2.
mingw_unpack_checked() {
  local tarball
  tarball="$(mingw_third_party)/$1"
  [ -f "$tarball" ] || {
    mingw_log "no $tarball (set MORVANE_THIRD_PARTY to the folder that holds it)"
    return 1
  }
  echo "$2  $tarball" | sha256sum --check --quiet - || {
    mingw_log "$tarball: not the sha256 $2"
    return 1
  }
  tar -xf "$tarball"
}

# apt-get / apt-cache over a private list of bookworm's source packages, so that the
# system's own apt configuration and lists are neither used nor touched.
mingw_apt() {
  local tool=$1
  shift
  local apt=$MINGW_LIBS_CACHE/apt
  "$tool" -q -o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts=- \
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" \
    -o APT::Get::List-Cleanup=0 -o APT::Sandbox::User="$(id -un)" "$@"
}

# Fetches the index of bookworm's source packages into the cache when there is none, or
# when asked ("again") and it is older than an hour: before each build, so that a build
# takes the newest version while a library that is built needs no network.
mingw_apt_lists() {
  local apt=$MINGW_LIBS_CACHE/apt
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
  (
    flock 8
    index=$(find "$apt/lists" -name '*_Sources*' -print -quit)
    if [ -n "$index" ]; then
      [ "${1:-}" = again ] || exit 0
      [ -n "$(find "$index" -mmin +60)" ] || exit 0
    fi
    cat >"$apt/sources.list" <<LIST
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
LIST
    mingw_log "fetching the index of bookworm's source packages"
    mingw_apt apt-get -qq update >&2
  ) 8>"$apt/.lock"
}

# The newest version of source package $1 in the private index.
mingw_source_version() {
  mingw_apt_lists
  local newest="" v
  for v in $(mingw_apt apt-cache showsrc --only-source "$1" 2>/dev/null |
    awk '/^Version:/ {print $2}'); do
    if [ -z "$newest" ] || dpkg --compare-versions "$v" gt "$newest"; then newest=$v; fi
  done
  [ -n "$newest" ] || { mingw_log "no source package $1 in bookworm"; return 1; }
  echo "$newest"
}

# Builds library $1 unless its stamp says it is built, and prints its prefix.
mingw_lib_prefix() {
  local name=$1 file=$MINGW_LIBS_DIR/$1.sh
  [ -f "$file" ] || { mingw_log "no such library: $name ($file)"; return 1; }
  (
    set -euo pipefail
    unset -f mingw_lib_build
    MINGW_LIB_SOURCE=""
    MINGW_LIB_TARBALL=""
    MINGW_LIB_PACKAGES=""
    # shellcheck source=/dev/null
    . "$file"
    if [ -z "$MINGW_LIB_SOURCE$MINGW_LIB_TARBALL" ] || ! declare -F mingw_lib_build >/dev/null; then
      mingw_log "$file sets neither MINGW_LIB_SOURCE nor MINGW_LIB_TARBALL or defines no mingw_lib_build"
      exit 1
    fi
    # The digest covers the recipe and the files beside it that its name begins (a header
    # it forces into the build, say).
    digest=$(cat "$MINGW_LIBS_DIR/$name".* | sha256sum | cut -c1-16)
    lib_version() {
      if [ -n "$MINGW_LIB_TARBALL" ]; then echo "$MINGW_LIB_VERSION"; else
        mingw_source_version "$MINGW_LIB_SOURCE"; fi
    }
    version=$(lib_version)
    prefix=$MINGW_LIBS_CACHE/$name-$version
    if [ "$(cat "$prefix/.morvane-built" 2>/dev/null)" != "$digest" ]; then
      # One build of a library at a time on the machine; whoever waited finds it built.
      exec 9>"$MINGW_LIBS_CACHE/.$name.lock"
      flock 9
      [ -n "$MINGW_LIB_TARBALL" ] || mingw_apt_lists again
      version=$(lib_version)
      prefix=$MINGW_LIBS_CACHE/$name-$version
      if [ "$(cat "$prefix/.morvane-built" 2>/dev/null)" != "$digest" ]; then
        # shellcheck disable=SC2086
        "$MINGW_LIBS_DIR/../install-deps.sh" $MINGW_LIB_PACKAGES >&2
        mingw_build_one "$name" "$version" "$prefix" "$digest"
      fi
    fi
    echo "$prefix"
  )
}

mingw_build_one() {
  local name=$1 version=$2 prefix=$3 digest=$4
  local work=$MINGW_LIBS_CACHE/work/$name-$version
  local log=$MINGW_LIBS_CACHE/logs/$name-$version.log
  local start=$SECONDS
  mkdir -p "$MINGW_LIBS_CACHE/logs"
  rm -rf "$work" "$prefix"
  mkdir -p "$work/src" "$work/build"
  mingw_log "building $name $version (log: $log)"
  # Not in a condition: bash would ignore set -e in the subshell there.
  local status=0
  set +e
  (
    set -euo pipefail
    cd "$work/src"
    if [ -n "$MINGW_LIB_TARBALL" ]; then
      mingw_unpack_checked "$MINGW_LIB_TARBALL" "$MINGW_LIB_SHA256"
    else
      mingw_apt apt-get source "$MINGW_LIB_SOURCE=$version"
    fi
    src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n1)
    cd "$work/build"
    mingw_lib_build "$src" "$prefix"
  ) >"$log" 2>&1
  status=$?
  set -e
  if ((status != 0)); then
    tail -n 40 "$log" >&2
    mingw_log "building $name failed (whole log: $log)"
    return 1
  fi
  echo "$digest" >"$prefix/.morvane-built"
  rm -rf "$work"
  mingw_log "built $name $version in $((SECONDS - start)) s: $prefix"
}
