#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Peak memory (max RSS from /usr/bin/time -v) of every morvane-cli operation, against the
# ceiling of 1.3 x the input plus 64 MiB (plus 32 bytes per heading where a chapter map is
# made). Inputs: a generated GBK novel, and four built to be hard on memory: a text made
# only of "第" (a heading start every two bytes), one made only of "第章" (a heading every
# four bytes), one made of "第1章" lines (a heading line every six bytes) and one made only
# of white space (everything is removed by clean). And the structures that grow with what
# a text holds rather than its size: a map file of 10 M rows on a 20 MB text, the novel as
# one line under the junk rules, one line of inline headings (one every 38 bytes), and a
# million literal junk rules on a 2.6 MB text (32 bytes per row, heading or rule allowed).
#
#   bench/peak_memory.sh [--size 256M] [--cli PATH] [--match REGEX]    (table on standard output)
#   (--match: only the operations whose names match, e.g. --match 'one line|map rows|rules')
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
size=256M
cli=$top/build/cli/morvane-cli
match=.
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --match) match=$2; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
"$top/scripts/install-deps.sh" time >/dev/null
data=$here/data
mkdir -p "$data"
bytes=$(numfmt --from=iec "$size")

novel=$data/peak-novel-$size.txt
di=$data/peak-di-$size.txt
blank=$data/peak-blank-$size.txt
[ -f "$novel" ] || python3 "$here/gen_novel.py" --kind gbk --size "$size" --seed 9 "$novel"
repeat() {  # bytes, pattern, file: the pattern over and over, cut to exactly bytes
  python3 -c 'import os, sys; n, p = int(sys.argv[1]), os.fsencode(sys.argv[2])
sys.stdout.buffer.write((p * (n // len(p) + 1))[:n])' "$1" "$2" >"$3"
}
[ -s "$di" ] || repeat "$bytes" $'\xb5\xda' "$di"
dizhang=$data/peak-dizhang-$size.txt
lines=$data/peak-lines-$size.txt
[ -s "$dizhang" ] || repeat "$bytes" $'\xb5\xda\xd5\xc2' "$dizhang"
[ -s "$lines" ] || repeat "$bytes" $'\xb5\xda1\xd5\xc2\n' "$lines"
[ -s "$blank" ] || repeat "$bytes" $' \t\r\n' "$blank"
oneline=$data/peak-oneline-$size.txt
[ -s "$oneline" ] || tr -d '\r\n' <"$novel" >"$oneline"
inline=$data/peak-inline-$size.txt
[ -s "$inline" ] || repeat "$bytes" "$(printf '第1章 标题。他走了很远的路，天色渐暗。' | iconv -f UTF-8 -t GBK)" "$inline"
maptext=$data/peak-maptext.txt
mapfile=$data/peak-map-10M.tsv
[ -s "$maptext" ] || repeat 20000000 $'a\n' "$maptext"
[ -s "$mapfile" ] || python3 -c 'import sys
out = sys.stdout.buffer
for start in range(0, 10_000_000, 100_000):
    out.write("".join(f"{i + 1}\t{2 * i}\n" for i in range(start, start + 100_000)).encode())' >"$mapfile"
ruletext=$data/peak-ruletext.txt
rulefile=$data/peak-rules-1M.txt
[ -s "$ruletext" ] || head -c 2600000 "$novel" >"$ruletext"
[ -s "$rulefile" ] || python3 -c 'import sys
sys.stdout.write("".join(f"广告第{i}号请访问网站\n" for i in range(1_000_000)))' >"$rulefile"

out=$(mktemp -d "$data/peak-out.XXXXXX")
trap 'rm -rf "$out"' EXIT

# name, input bytes, headings of the chapter map it makes (0 for none), command...
measure() {
  local name=$1 input=$2 headings=$3
  shift 3
  [[ $name =~ $match ]] || return 0
  rm -rf "$out/o" && mkdir "$out/o"
  /usr/bin/time -v -o "$out/time" "$@" >/dev/null 2>"$out/err" || true
  local kb limit
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/time")
  limit=$(( input * 13 / 10 / 1024 + 64 * 1024 + headings * 32 / 1024 ))
  printf '| %s | %d | %d | %.2f | %d | %s |\n' "$name" $((input >> 20)) $((kb >> 10)) \
    "$(echo "$kb * 1024 / $input" | bc -l)" $((limit >> 10)) "$([ "$kb" -le "$limit" ] && echo met || echo missed)"
}

echo "| operation ($size) | input MiB | peak MiB | peak / input | ceiling MiB | |"
echo "|---|---:|---:|---:|---:|---|"
measure "cut --bytes 4096 (novel)" "$bytes" 0 "$cli" cut --bytes 4096 --out "$out/o" "$novel"
measure "cut --kb 64 (novel)" "$bytes" 0 "$cli" cut --kb 64 --out "$out/o" "$novel"
measure "chapters (novel)" "$bytes" 0 "$cli" chapters --out "$out/o" "$novel"
measure "chapters (第 only)" "$bytes" 0 "$cli" chapters --out "$out/o" "$di"
measure "merge (novel x3)" $((bytes * 3)) 0 "$cli" merge --out "$out/o" "$novel" "$novel" "$novel"
measure "merge --to utf-8 (novel x3)" $((bytes * 3)) 0 "$cli" merge --to utf-8 --out "$out/o" "$novel" "$novel" "$novel"
measure "clean, all three (novel)" "$bytes" 0 "$cli" clean --spaces --line-breaks --tabs "$novel"
measure "clean, all three (white space only)" "$bytes" 0 "$cli" clean --spaces --line-breaks --tabs "$blank"
measure "chapters --list (第章 only)" "$bytes" $((bytes / 4)) "$cli" chapters --list "$dizhang"
measure "chapters --per-file 1000 (第章 only)" "$bytes" $((bytes / 4)) \
  "$cli" chapters --per-file 1000 --out "$out/o" "$dizhang"
measure "chapters --list --rule lines (第1章 lines)" "$bytes" $((bytes / 6)) \
  "$cli" chapters --list --rule lines "$lines"
measure "chapters --list --rule auto (第1章 lines)" "$bytes" $((bytes / 6)) \
  "$cli" chapters --list --rule auto "$lines"
measure "epub --rule lines (novel)" "$bytes" 0 "$cli" epub --rule lines --no-repeated-titles --out "$out/o" "$novel"
measure "epub (第章 only: no book, refused)" "$bytes" $((bytes / 4)) "$cli" epub --rule near --no-repeated-titles --out "$out/o" "$dizhang"
measure "chapters --list --map (10 M map rows, 20 MB text)" 20000000 10000000 \
  "$cli" chapters --list --map "$mapfile" "$maptext"
measure "clean --junk --out (novel as one line)" "$(stat -c %s "$oneline")" 0 \
  "$cli" clean --junk --out "$out/o/c.txt" "$oneline"
measure "chapters --list (one line of inline headings)" "$bytes" $((bytes / 38)) \
  "$cli" chapters --list "$inline"
measure "clean --rules (1 M literal rules, 2.6 MB text)" 2600000 1000000 \
  "$cli" clean --rules "$rulefile" --out "$out/o/r.txt" "$ruletext"
