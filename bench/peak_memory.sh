#!/usr/bin/env bash
# Peak memory (max RSS from /usr/bin/time -v) of every morvane-cli operation, against the
# ceiling of 1.3 x the input plus 64 MiB. Inputs: a generated GBK novel, and two built to
# be hard on memory: a text made only of "第" (a heading start every two bytes) and one
# made only of white space (everything is removed by clean).
#
#   bench/peak_memory.sh [--size 256M] [--cli PATH]    (table on standard output)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
size=256M
cli=$top/build/cli/morvane-cli
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
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
[ -s "$blank" ] || repeat "$bytes" $' \t\r\n' "$blank"

out=$(mktemp -d "$data/peak-out.XXXXXX")
trap 'rm -rf "$out"' EXIT

# name, input bytes, command...
measure() {
  local name=$1 input=$2
  shift 2
  rm -rf "$out/o" && mkdir "$out/o"
  /usr/bin/time -v -o "$out/time" "$@" >/dev/null 2>"$out/err" || true
  local kb limit
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$out/time")
  limit=$(( input * 13 / 10 / 1024 + 64 * 1024 ))
  printf '| %s | %d | %d | %.2f | %d | %s |\n' "$name" $((input >> 20)) $((kb >> 10)) \
    "$(echo "$kb * 1024 / $input" | bc -l)" $((limit >> 10)) "$([ "$kb" -le "$limit" ] && echo met || echo missed)"
}

echo "| operation ($size) | input MiB | peak MiB | peak / input | ceiling MiB | |"
echo "|---|---:|---:|---:|---:|---|"
measure "cut --bytes 4096 (novel)" "$bytes" "$cli" cut --bytes 4096 --out "$out/o" "$novel"
measure "cut --kb 64 (novel)" "$bytes" "$cli" cut --kb 64 --out "$out/o" "$novel"
measure "chapters (novel)" "$bytes" "$cli" chapters --out "$out/o" "$novel"
measure "chapters (第 only)" "$bytes" "$cli" chapters --out "$out/o" "$di"
measure "merge (novel x3)" $((bytes * 3)) "$cli" merge --out "$out/o" "$novel" "$novel" "$novel"
measure "merge --to utf-8 (novel x3)" $((bytes * 3)) "$cli" merge --to utf-8 --out "$out/o" "$novel" "$novel" "$novel"
measure "clean, all three (novel)" "$bytes" "$cli" clean --spaces --line-breaks --tabs "$novel"
measure "clean, all three (white space only)" "$bytes" "$cli" clean --spaces --line-breaks --tabs "$blank"
