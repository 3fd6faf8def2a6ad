#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Side-by-side timings of morvane-cli against the standard tools that do the same job,
# on generated GBK and ASCII novels, written up in bench/RESULTS.md.
#
#   bench/run.sh [--sizes "1G 256M"] [--rounds N] [--fs "disk tmpfs xfs"]
#                [--only cut-ascii,cut-gbk,cut-utf8,chapters,chapters-utf8,detect,merge,clean,clean-vs-perl,
#                        epub,limits,desktop,responsiveness]
#                [--cli PATH] [--no-build] [--keep] [--no-wait]
#                [--results FILE]   (default bench/RESULTS.md) [--update]
#
# Each comparison runs on every file system named by --fs, inputs and outputs both on it:
# "disk" is the file system of bench/ itself, "tmpfs" a fresh tmpfs, "xfs" a fresh XFS image
# (reflink on) mounted through a loop device, made with xfsprogs and removed at the end. A
# file system that cannot be had (no root, no loop device) is skipped with a note. The merge
# joins three files of a third of each size, none a multiple of a block, as real files are.
#
# Every run writes into a folder of its own that no earlier run used: deleting thousands of
# files and creating thousands more in the same few minutes slows file creation on ext4 many
# times over, and would be measured instead of the program. Before each timed command the
# outputs so far are only emptied (truncated), which gives their space back and keeps their
# inodes; the folders are deleted once, at the end. Ours and the peer alternate within each
# round, so drift of the machine hits both alike, and every ratio is "ours / peer" of figures
# from this one run.
#
# --update rewrites only the rows of what this run measured in the results file (the
# operations of --only, on the sizes and file systems given) and keeps every other row.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
data=$here/data
out=$here/out
work=$out/.work
# The timing tool, /usr/bin/time and the XFS tools come from Debian like the rest; they are
# only for the benchmarks, so scripts/install-deps.sh (the build's and the tests') leaves them.
"$top/scripts/install-deps.sh"
bench_packages=()
for p in hyperfine time xfsprogs zip; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || bench_packages+=("$p")
done
if ((${#bench_packages[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo -n"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${bench_packages[@]}" >/dev/null || echo "could not install ${bench_packages[*]}" >&2
fi
command -v hyperfine >/dev/null || { echo "hyperfine is needed" >&2; exit 1; }
sizes="1G 256M"
rounds=5
filesystems="disk tmpfs xfs"
only="cut-ascii,cut-gbk,cut-utf8,chapters,chapters-utf8,detect,merge,clean,clean-vs-perl,epub,limits,desktop,responsiveness"
cli=""
build=1
keep=0
wait_after_delete=300
results_md=$here/RESULTS.md
update=""

while [ $# -gt 0 ]; do
  case $1 in
    --sizes) sizes=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --fs) filesystems=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --cli) cli=$2; build=0; shift 2 ;;
    --no-build) build=0; shift ;;
    --keep) keep=1; shift ;;
    --no-wait) wait_after_delete=0; shift ;;
    --results) results_md=$2; shift 2 ;;
    --update) update=--update; shift ;;
    -h|--help) sed -n '2,25p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

wanted() { [[ ",$only," == *",$1,"* ]]; }
log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# --- the program under test -------------------------------------------------------------
builddir=$top/build-bench
if [ -z "$cli" ]; then
  cli=$builddir/cli/morvane-cli
  if [ "$build" = 1 ]; then
    ui=ON
    dpkg -s qt6-base-dev >/dev/null 2>&1 || ui=OFF
    log "building morvane-cli (Release) in $builddir"
    cmake -S "$top" -B "$builddir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_BUILD_UI=$ui >/dev/null
    targets=(morvane-cli)
    if grep -q morvane_desktop_bench "$builddir/build.ninja" 2>/dev/null; then
      targets+=(morvane_desktop_bench)
    fi
    if grep -q morvane_responsiveness_bench "$builddir/build.ninja" 2>/dev/null; then
      targets+=(morvane_responsiveness_bench)
    fi
    cmake --build "$builddir" -j 2 --target "${targets[@]}" >/dev/null
  fi
fi
[ -x "$cli" ] || { echo "no morvane-cli at $cli" >&2; exit 1; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

# --- data --------------------------------------------------------------------------------
mkdir -p "$data"
gen() {  # kind size seed file
  if [ ! -s "$data/$4" ]; then
    log "generating $4"
    python3 "$here/gen_novel.py" --kind "$1" --size "$2" --seed "$3" "$data/$4.tmp"
    mv "$data/$4.tmp" "$data/$4"
  fi
}
bytes_of() {  # 256M -> 268435456
  python3 -c "import sys; s=sys.argv[1]; m={'K':1<<10,'M':1<<20,'G':1<<30}; print(int(s[:-1])*m[s[-1]] if s[-1] in m else int(s))" "$1"
}
# The merge of a size: three files of about a third of it each, of sizes no block divides.
merge_part() {  # size seed
  echo $(( $(bytes_of "$1") / 3 - 1000 + $2 * 7 ))
}
merge_label() {
  echo "3x$(( $(bytes_of "$1") / 3 >> 20 ))M"
}
for s in $sizes; do
  gen gbk "$s" 1 "novel-gbk-$s.txt"
  gen ascii "$s" 1 "novel-ascii-$s.txt"
  if wanted cut-utf8 || wanted chapters-utf8 || wanted detect; then gen utf8 "$s" 1 "novel-utf8-$s.txt"; fi
  if wanted merge; then
    for k in 1 2 3; do gen gbk "$(merge_part "$s" $k)" $k "merge-$k-$s.txt"; done
  fi
done
sync

# --- output area -------------------------------------------------------------------------
# File systems of our own that an interrupted run left mounted go first.
for m in "$here/fs-tmpfs" "$here/fs-xfs"; do
  if mountpoint -q "$m" 2>/dev/null; then umount "$m" || true; fi
done
rm -f "$data/xfs.img"
if [ -d "$out" ]; then
  log "removing the outputs of an earlier run"
  rm -rf "$out"
  date +%s >"$data/.last-delete"
fi
if [ -f "$data/.last-delete" ] && [ "$wait_after_delete" -gt 0 ]; then
  left=$(( $(cat "$data/.last-delete") + wait_after_delete - $(date +%s) ))
  if [ "$left" -gt 0 ]; then
    log "waiting ${left}s: file creation right after a mass deletion is slow on ext4"
    sleep "$left"
  fi
fi
mkdir -p "$work"
results=$work/times.tsv     # bench size side round seconds user system
rsstab=$work/rss.tsv        # bench size side maxrss_kb input_bytes
checks=$work/checks.tsv     # bench size text
: >"$results"; : >"$rsstab"; : >"$checks"; : >"$work/loads.tsv"
"$cli" banner >"$work/banner.bin"
iconv -f GBK -t UTF-8 "$work/banner.bin" >"$work/banner-utf8.bin"
: >"$work/filesystems.tsv"  # label and what it is, or why it was skipped

export LC_ALL=C
# The chapter heading line for csplit, in GBK bytes: a line that starts with 第 and holds 章.
export CHAPTER_RE=$'/^\xb5\xda.*\xd5\xc2/'
export CHAPTER_RE_UTF8=$'/^\xe7\xac\xac.*\xe7\xab\xa0/'
export MORVANE_CLI=$cli

# Commands are shell text in which @OUT@ stands for the run's own output folder.
fresh() { mkdir -p "$1"; echo "$1"; }
expand() { local cmd=$1 dir=$2; echo "${cmd//@OUT@/$dir}"; }
empty_outputs() { find "$@" -type f -size +0 -exec truncate -s 0 {} + 2>/dev/null || true; }

# measure NAME SIZE INPUT_BYTES OURS_CMD [PEER_CMD]
# Without a peer the one command is timed alone (the read and write limits of the machine).
measure() {
  local name=$1 size=$2 bytes=$3 ours=$4 peer=${5:-}
  local base=$out/$name-$size
  log "$name ($size): warm-up and output check"
  mkdir -p "$base"
  local ow pw
  ow=$(fresh "$base/ours-warm"); pw=$(fresh "$base/peer-warm")
  sh -c "$(expand "$ours" "$ow")" >"$base/ours-warm.stdout" 2>"$base/ours-warm.stderr" || {
    log "$name: ours failed: $(head -c 300 "$base/ours-warm.stderr")"
    printf '%s\t%s\tFAILED: morvane-cli exited non-zero: %s\n' "$name" "$size" \
      "$(head -c 200 "$base/ours-warm.stderr" | tr '\n\t' '  ')" >>"$checks"
    return 0
  }
  [ -z "$peer" ] || sh -c "$(expand "$peer" "$pw")" >"$base/peer-warm.stdout" 2>&1
  local verdict
  verdict=$(verify "$name" "$size" "$ow" "$pw" "$base" || true)
  printf '%s\t%s\t%s\n' "$name" "$size" "$verdict" >>"$checks"
  log "$name: $verdict"
  empty_outputs "$ow" "$pw"

  local r first second fcmd scmd
  for r in $(seq 1 "$rounds"); do
    local od pd
    od=$(fresh "$base/ours-r$r"); pd=$(fresh "$base/peer-r$r")
    sync
    if [ $((r % 2)) = 1 ]; then first=ours; second=peer; else first=peer; second=ours; fi
    fcmd=$(expand "$([ $first = ours ] && echo "$ours" || echo "$peer")" "$([ $first = ours ] && echo "$od" || echo "$pd")")
    scmd=$(expand "$([ $second = ours ] && echo "$ours" || echo "$peer")" "$([ $second = ours ] && echo "$od" || echo "$pd")")
    local args=(-n "$first" "$fcmd" -n "$second" "$scmd")
    [ -n "$peer" ] || args=(-n ours "$(expand "$ours" "$od")")
    # Before each command the outputs of the one before are emptied and the dirty pages
    # settled, so neither side writes while the other's output still waits in memory.
    if hyperfine --runs 1 --warmup 0 --style none --export-json "$base/r$r.json" \
        --prepare "find '$base' -type f -size +0 -exec truncate -s 0 {} + ; sync" \
        "${args[@]}" >/dev/null 2>"$base/r$r.err"; then
      python3 - "$base/r$r.json" "$name" "$size" "$r" >>"$results" <<'EOF'
import json, sys
doc = json.load(open(sys.argv[1]))
for res in doc["results"]:
    print("\t".join([sys.argv[2], sys.argv[3], res["command"], sys.argv[4],
                     "%.4f" % res["times"][0], "%.4f" % res["user"], "%.4f" % res["system"]]))
EOF
    else
      log "$name round $r: hyperfine failed: $(tail -c 300 "$base/r$r.err")"
    fi
    printf '%s\t%s\t%s\t%s\n' "$name" "$size" "$r" "$(cut -d' ' -f1 /proc/loadavg)" >>"$work/loads.tsv"
    empty_outputs "$od" "$pd"
  done

  # Peak memory of one more run of each, from the kernel's accounting of the whole process tree.
  local side cmd dir rss
  for side in ours peer; do
    [ $side = ours ] || [ -n "$peer" ] || continue
    dir=$(fresh "$base/$side-rss")
    cmd=$(expand "$([ $side = ours ] && echo "$ours" || echo "$peer")" "$dir")
    sync
    /usr/bin/time -v -o "$base/$side-rss.time" sh -c "$cmd" >/dev/null 2>&1 || true
    rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$base/$side-rss.time")
    printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$size" "$side" "${rss:-0}" "$bytes" >>"$rsstab"
    empty_outputs "$dir"
  done
}

verify() {  # name size ours_dir peer_dir base
  local name=$1 size=$2 od=$3 pd=$4 base=$5
  local b=$work/banner.bin u=$work/banner-utf8.bin
  local count
  count=$(grep -o '[0-9]\+' "$base/ours-warm.stdout" 2>/dev/null | head -1 || true)
  case $name in
    cut-ascii) python3 "$here/check.py" cut "$b" "$in/novel-ascii-$s.txt" "$od" "$pd" 200 ;;
    cut-gbk) python3 "$here/check.py" cut "$b" "$in/novel-gbk-$s.txt" "$od" "$pd" 200 ;;
    cut-utf8) python3 "$here/check.py" cut-utf8 "$u" "$in/novel-utf8-$s.txt" "$od" "$pd" 200 ;;
    chapters) python3 "$here/check.py" chapters "$b" "$in/novel-gbk-$s.txt" "$od" "$pd" $count ;;
    chapters-utf8)
      python3 "$here/check.py" chapters-utf8 "$u" "$in/novel-utf8-$s.txt" "$od" "$pd" $count ;;
    merge) python3 "$here/check.py" merge "$b" "$od" "$pd/merged.txt" \
             "$in/merge-1-$s.txt" "$in/merge-2-$s.txt" "$in/merge-3-$s.txt" ;;
    clean*) python3 "$here/check.py" same "$b" "$od/clean.txt" "$pd/clean.txt" ;;
    epub) python3 "$here/check.py" epub "$b" "$in/novel-gbk-$s.txt" "$od/p.epub" "$pd/p.zip" ;;
    *) echo "no check (a limit of the machine)" ;;
  esac
}

filesize() { stat -c %s "$1"; }

# --- the file systems --------------------------------------------------------------------
# setup_fs NAME: sets place (where inputs and outputs go) and fslabel, or returns 1 with a
# note in filesystems.tsv.
setup_fs() {
  local name=$1
  case $name in
    disk)
      place=$here
      fslabel=$(findmnt -n -o FSTYPE -T "$here" || echo disk)
      printf '%s\t%s\n' "$fslabel" "the disk under bench/ ($(findmnt -n -o SOURCE,FSTYPE -T "$here" | tr -s ' '))" >>"$work/filesystems.tsv"
      ;;
    tmpfs)
      place=$here/fs-tmpfs
      fslabel=tmpfs
      mkdir -p "$place"
      # Inputs of one size (four novels and the merge's three thirds) and one run's outputs.
      local biggest=0 b
      for z in $sizes; do b=$(bytes_of "$z"); [ "$b" -gt "$biggest" ] && biggest=$b; done
      if ! mount -t tmpfs -o size=$(( biggest * 6 / 1048576 + 512 ))m tmpfs "$place" 2>"$work/mount.err"; then
        printf 'tmpfs\tskipped: cannot mount a tmpfs (%s)\n' "$(head -c 200 "$work/mount.err" | tr '\n\t' '  ')" >>"$work/filesystems.tsv"
        return 1
      fi
      printf 'tmpfs\ta fresh tmpfs (%s)\n' "$(findmnt -n -o OPTIONS -T "$place")" >>"$work/filesystems.tsv"
      ;;
    xfs)
      place=$here/fs-xfs
      fslabel=xfs
      mkdir -p "$place"
      local biggest=0 b
      for z in $sizes; do b=$(bytes_of "$z"); [ "$b" -gt "$biggest" ] && biggest=$b; done
      rm -f "$data/xfs.img"
      truncate -s $(( biggest * 7 / 1048576 + 1024 ))M "$data/xfs.img"
      if ! command -v mkfs.xfs >/dev/null; then
        printf 'xfs\tskipped: no mkfs.xfs (xfsprogs could not be installed)\n' >>"$work/filesystems.tsv"
        rm -f "$data/xfs.img"; return 1
      fi
      if ! mkfs.xfs -q -m reflink=1 "$data/xfs.img" 2>"$work/mount.err" ||
         ! mount -o loop "$data/xfs.img" "$place" 2>>"$work/mount.err"; then
        printf 'xfs\tskipped: no loop device could be had (%s)\n' "$(head -c 200 "$work/mount.err" | tr '\n\t' '  ')" >>"$work/filesystems.tsv"
        rm -f "$data/xfs.img"; return 1
      fi
      printf 'xfs\ta fresh XFS image on %s, loop-mounted (reflink on; %s)\n' "$(findmnt -n -o FSTYPE -T "$data")" "$(findmnt -n -o OPTIONS -T "$place")" >>"$work/filesystems.tsv"
      ;;
    *) printf '%s\tskipped: unknown file system\n' "$name" >>"$work/filesystems.tsv"; return 1 ;;
  esac
}
teardown_fs() {
  case $1 in
    tmpfs) umount "$here/fs-tmpfs" && rmdir "$here/fs-tmpfs" || true ;;
    xfs) umount "$here/fs-xfs" && rmdir "$here/fs-xfs" || true; rm -f "$data/xfs.img" ;;
  esac
}
# The inputs of size s on the file system: the generated files themselves on the disk, copies
# written back to the medium elsewhere (so that XFS can share their blocks, as it does with
# files that have been on it a while).
place_inputs() {
  if [ "$place" = "$here" ]; then in=$data; return; fi
  in=$place/in
  rm -rf "$in"; mkdir -p "$in"
  local f wanted_files=("$data/novel-gbk-$s.txt")
  if wanted cut-ascii; then wanted_files+=("$data/novel-ascii-$s.txt"); fi
  if wanted cut-utf8 || wanted chapters-utf8 || wanted detect; then wanted_files+=("$data/novel-utf8-$s.txt"); fi
  if wanted merge; then wanted_files+=("$data"/merge-?-"$s".txt); fi
  for f in "${wanted_files[@]}"; do
    [ -f "$f" ] && cp "$f" "$in/"
  done
  sync
}

for fsname in $filesystems; do
  setup_fs "$fsname" || { log "file system $fsname skipped: $(tail -1 "$work/filesystems.tsv")"; continue; }
  out_fs=$place/out
  [ "$place" = "$here" ] && out_fs=$out/disk
  for s in $sizes; do
    place_inputs
    label="$s/$fslabel"
    mlabel="$(merge_label "$s")/$fslabel"
    gbk=$in/novel-gbk-$s.txt
    ascii=$in/novel-ascii-$s.txt
    utf8=$in/novel-utf8-$s.txt
    cat "$in"/*-"$s".txt >/dev/null 2>&1 || true
    saved_out=$out; out=$out_fs
    if wanted cut-ascii; then
      measure cut-ascii "$label" "$(filesize "$ascii")" \
        "\"\$MORVANE_CLI\" cut --kb 200 --prefix p --out @OUT@ '$ascii' >/dev/null" \
        "split -b 200K -a 4 '$ascii' @OUT@/x"
    fi
    if wanted cut-gbk; then
      measure cut-gbk "$label" "$(filesize "$gbk")" \
        "\"\$MORVANE_CLI\" cut --kb 200 --prefix p --out @OUT@ '$gbk' >/dev/null" \
        "split -b 200K -a 4 '$gbk' @OUT@/x"
    fi
    if wanted cut-utf8 && [ -f "$utf8" ]; then
      measure cut-utf8 "$label" "$(filesize "$utf8")" \
        "\"\$MORVANE_CLI\" cut --kb 200 --prefix p --out @OUT@ '$utf8' >/dev/null" \
        "split -b 200K -a 4 '$utf8' @OUT@/x"
    fi
    if wanted detect; then
      measure detect-gbk "$label" "$(filesize "$gbk")" \
        "\"\$MORVANE_CLI\" detect '$gbk' >/dev/null" "cat '$gbk' >/dev/null"
      [ -f "$utf8" ] && measure detect-utf8 "$label" "$(filesize "$utf8")" \
        "\"\$MORVANE_CLI\" detect '$utf8' >/dev/null" "cat '$utf8' >/dev/null"
    fi
    if wanted chapters; then
      measure chapters "$label" "$(filesize "$gbk")" \
        "\"\$MORVANE_CLI\" chapters --prefix p --out @OUT@ '$gbk'" \
        "csplit -s -f @OUT@/x -n 6 '$gbk' \"\$CHAPTER_RE\" '{*}'"
    fi
    if wanted chapters-utf8 && [ -f "$utf8" ]; then
      measure chapters-utf8 "$label" "$(filesize "$utf8")" \
        "\"\$MORVANE_CLI\" chapters --prefix p --out @OUT@ '$utf8'" \
        "csplit -s -f @OUT@/x -n 6 '$utf8' \"\$CHAPTER_RE_UTF8\" '{*}'"
    fi
    if wanted clean; then
      measure clean "$label" "$(filesize "$gbk")" \
        "\"\$MORVANE_CLI\" clean --spaces --line-breaks '$gbk' >@OUT@/clean.txt" \
        "tr -d ' ' <'$gbk' | sed -z 's/\\r\\n//g' >@OUT@/clean.txt"
    fi
    if wanted clean-vs-perl; then
      measure clean-vs-perl "$label" "$(filesize "$gbk")" \
        "\"\$MORVANE_CLI\" clean --spaces --line-breaks '$gbk' >@OUT@/clean.txt" \
        "tr -d ' ' <'$gbk' | perl -pe 's/\\r\\n\\z//' >@OUT@/clean.txt"
    fi
    # The book against zip -6 of the same text: both deflate it, ours after decoding it into
    # XHTML (half as many bytes again for GBK) on both cores, zip on one.
    if wanted epub; then
      measure epub "$label" "$(filesize "$gbk")" \
        "\"\$MORVANE_CLI\" epub --rule lines --no-repeated-titles --prefix p --out @OUT@ '$gbk'" \
        "zip -q -6 @OUT@/p.zip '$gbk'"
    fi
    if wanted merge; then
      a=$in/merge-1-$s.txt; b=$in/merge-2-$s.txt; c=$in/merge-3-$s.txt
      measure merge "$mlabel" "$(( $(filesize "$a") + $(filesize "$b") + $(filesize "$c") ))" \
        "\"\$MORVANE_CLI\" merge --prefix p --out @OUT@ '$a' '$b' '$c' >/dev/null" \
        "cat '$a' '$b' '$c' >@OUT@/merged.txt"
    fi
    if wanted limits; then
      measure read-cat "$label" "$(filesize "$gbk")" "cat '$gbk' >/dev/null"
      measure write-cp "$label" "$(filesize "$gbk")" "cp '$gbk' @OUT@/copy.txt"
      measure write-dd "$label" "$(filesize "$gbk")" "dd if='$gbk' of=@OUT@/copy.txt bs=1M status=none"
    fi
    out=$saved_out
    # Outputs on a file system of our own go with it; a second size needs the room.
    if [ "$place" != "$here" ]; then rm -rf "$out_fs" "$in"; fi
  done
  teardown_fs "$fsname"
done

# --- the desktop figures -----------------------------------------------------------------
desktop=$builddir/bench/morvane_desktop_bench
if [ -x "$desktop" ] && wanted desktop; then
  log "desktop benchmark (offscreen)"
  gen gbk 20M 1 novel-gbk-20M.txt
  MORVANE_DESKTOP_TEXT=$data/novel-gbk-20M.txt QT_QPA_PLATFORM=offscreen "$desktop" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=json \
    >"$work/desktop.json" 2>"$work/desktop.err" || log "desktop benchmark failed"
fi

# --- the window during long work: the event loop's longest gap on 1 GiB ----------------------
responsiveness=$builddir/bench/morvane_responsiveness_bench
if [ -x "$responsiveness" ] && wanted responsiveness; then
  log "responsiveness benchmark (offscreen, 1 GiB)"
  QT_QPA_PLATFORM=offscreen "$responsiveness" 1024 "$out/responsiveness" \
    >"$work/responsiveness.md" 2>"$work/responsiveness.err" || log "responsiveness benchmark failed"
fi

# --- the write-up ------------------------------------------------------------------------
python3 "$here/report.py" --work "$work" --cli "$cli" --rounds "$rounds" --out "$results_md" $update
log "wrote $results_md"

if [ "$keep" = 0 ]; then
  log "deleting the outputs (the next run waits ${wait_after_delete}s after its own deletion)"
  mkdir -p "$data/last-run"
  cp "$work"/*.tsv "$work"/*.json "$data/last-run/" 2>/dev/null || true
  rm -rf "$out"
  date +%s >"$data/.last-delete"
fi
