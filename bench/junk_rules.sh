#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The precision and reach of the built-in junk rules (data/junk-lines.txt), as
# `morvane-cli clean --junk` applies them:
#   - story lines that must stay: the novella (tests/data/a-q-zhengzhuan.gbk.txt, read as GBK)
#     and tests/data/junk-keep.txt, sentences that hold the words ads use;
#   - ad lines that must go: tests/data/junk-drop.txt.
# Prints both figures and the lines that went wrong; exits 1 unless no story line is taken
# and at least 95% of the ad lines are. The corpus is made by bench/junk_corpus.py.
#
#   bench/junk_rules.sh [--cli PATH]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
cli=$top/build/cli/morvane-cli
while [ $# -gt 0 ]; do
  case $1 in
    --cli) cli=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
data=$top/tests/data
novella=$data/a-q-zhengzhuan.gbk.txt
keep=$data/junk-keep.txt
drop=$data/junk-drop.txt

# Lines that are not blank.
count() { grep -c '[^[:space:]　]' "$1" || true; }
novellaLines=$(iconv -f gbk -t utf-8 "$novella" | tr -d '\r' | grep -c '[^[:space:]　]' || true)
keepLines=$(( novellaLines + $(count "$keep") ))
dropLines=$(count "$drop")

taken=$( { "$cli" clean --junk --report --encoding gbk "$novella" | iconv -f utf-8 -t utf-8
           "$cli" clean --junk --report "$keep"; } )
takenCount=$(printf '%s' "$taken" | grep -c . || true)
missed=$("$cli" clean --junk "$drop" | grep '[^[:space:]　]' || true)
missedCount=$(printf '%s' "$missed" | grep -c . || true)
removed=$(( dropLines - missedCount ))
share=$(awk -v r="$removed" -v n="$dropLines" 'BEGIN { printf "%.1f", n ? 100 * r / n : 0 }')

echo "story lines taken: $takenCount of $keepLines"
echo "ad lines taken:    $removed of $dropLines ($share%)"
if [ "$takenCount" -gt 0 ]; then
  echo "story lines the rules take:"; printf '%s\n' "$taken" | cut -f3 | sed 's/^/  /'
fi
if [ "$missedCount" -gt 0 ]; then
  echo "ad lines the rules miss:"; printf '%s\n' "$missed" | sed 's/^/  /'
fi
[ "$takenCount" -eq 0 ] && awk -v r="$removed" -v n="$dropLines" 'BEGIN { exit !(r * 100 >= n * 95) }'
