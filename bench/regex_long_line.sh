#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# How long a chapter rule's regular expression that backtracks without end takes to give up
# on one line of 2, 10 and 100 MiB (and more with --sizes): ^(.*章)+$ on a line of "第章"
# over and over that ends in "第", which the expression retries from every 章. Its bound does not grow with the line, so every size gives up after
# about two seconds with the program's "too slow" message (exit 1).
#
#   bench/regex_long_line.sh [--sizes "2M 10M 100M"] [--cli PATH]    (table on standard output)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
sizes="2M 10M 100M"
cli=$top/build/cli/morvane-cli
while [ $# -gt 0 ]; do
  case $1 in
    --sizes) sizes=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
data=$here/data
mkdir -p "$data"
echo "| line | seconds | user + sys s | peak MiB | exit | message |"
echo "|---|---:|---:|---:|---:|---|"
for size in $sizes; do
  line=$data/regex-line-$size.txt
  # UTF-8 "第章" (6 bytes) over and over and a last "第", one line.
  [ -s "$line" ] || python3 -c 'import sys; n = int(sys.argv[1]) // 6
sys.stdout.buffer.write("第章".encode() * n + "第".encode())' "$(numfmt --from=iec "$size")" >"$line"
  start=$(date +%s.%N)
  set +e
  /usr/bin/time -f '%M %U %S' -o "$data/regex-time" "$cli" chapters --list --rule 'regex:^(.*章)+$' \
    "$line" >/dev/null 2>"$data/regex-err"
  code=$?
  set -e
  end=$(date +%s.%N)
  read -r kb user sys < <(tail -1 "$data/regex-time")
  printf '| %s | %.1f | %.1f | %d | %d | %s |\n' "$size" "$(echo "$end - $start" | bc -l)" \
    "$(echo "$user + $sys" | bc -l)" $((kb >> 10)) "$code" "$(head -1 "$data/regex-err")"
done
