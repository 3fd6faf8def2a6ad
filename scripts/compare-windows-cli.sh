#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# morvane-cli.exe under Wine against the Linux morvane-cli on the same inputs: cut (by
# bytes and by kilobytes), chapters, epub, merge, clean and the banner must give the same bytes,
# file for file, and so must the chapter map of a regular expression. Inputs: the novella
# of tests/data, a generated novel with stray bytes, a copy under a Chinese name whose
# default prefix names the files, and a GB18030 novel with four-byte characters. The eight
# traditional/simplified conversions of clean --convert (OpenCC, with the data beside
# morvane-cli.exe) must give the same bytes too, on the novella in GBK and in traditional
# characters (UTF-8, made by the Linux opencc command).
#
#   scripts/compare-windows-cli.sh   (after ./test.sh or a build in build/, and
#                                     scripts/build-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
linux=$PWD/build/cli/morvane-cli
windows=$PWD/build-windows/cli/morvane-cli.exe
for program in "$linux" "$windows"; do
  [ -x "$program" ] || [ -f "$program" ] || { echo "compare: $program is missing" >&2; exit 1; }
done
export WINEPREFIX=${WINEPREFIX:-$PWD/build-windows/wineprefix} WINEDEBUG=-all

work=$(mktemp -d /tmp/morvane-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"
inputs=()
inputs+=("$PWD/tests/data/a-q-zhengzhuan.gbk.txt")
python3 - "$work/in" <<'PY'
import random, sys
random.seed(20261207)
chars = [bytes([0xB0 + random.randrange(0x28), 0xA1 + random.randrange(0x5E)]) for _ in range(3000)]
text = bytearray()
for chapter in range(1, 300):
    text += "第{}章 风起\r\n".format(chapter).encode("gbk")
    for _ in range(random.randrange(5, 30)):
        line = b"".join(random.choice(chars) for _ in range(random.randrange(20, 120)))
        if random.random() < 0.1: line += b" \t  "
        if random.random() < 0.02: line += b"\x80\xff"  # bytes that are no GBK character
        if random.random() < 0.05: line += b"\x81\x40"
        text += b"\xa1\xa1\xa1\xa1" + line + b"\r\n"
open(sys.argv[1] + "/generated-novel.txt", "wb").write(text)
open(sys.argv[1] + "/第一卷·测试.txt", "wb").write(text[:200000])
# GB18030 with four-byte characters (CJK extensions A and B, emoji) among the two-byte ones.
pool = [b.decode("gbk") for b in chars[:500] if b < b"\xd7\xfa"] + [chr(0x3400 + i) for i in range(50)] + \
    [chr(0x20000 + i) for i in range(50)] + ["😀", "€", "\u3000"]
text = ""
for chapter in range(1, 120):
    text += "第{}章 {}起\r\n".format(chapter, random.choice(pool))
    for _ in range(random.randrange(5, 30)):
        text += "　　" + "".join(random.choice(pool) for _ in range(random.randrange(20, 120))) + "\r\n"
open(sys.argv[1] + "/gb18030-novel.txt", "wb").write(text.encode("gb18030"))
PY
inputs+=("$work/in/generated-novel.txt" "$work/in/第一卷·测试.txt" "$work/in/gb18030-novel.txt")
# The novella in traditional characters, Taiwan's phrases included.
iconv -f gbk -t utf-8 "${inputs[0]}" | opencc -c s2twp.json >"$work/in/traditional.txt"
conversions=(t2s s2t tw2s s2tw hk2s s2hk tw2sp s2twp)

for side in linux windows; do
  out=$work/$side
  mkdir "$out"
  if [ $side = linux ]; then run=("$linux"); else run=(wine "$windows"); fi
  i=0
  for input in "${inputs[@]}"; do
    i=$((i + 1))
    "${run[@]}" chapters --out "$out" "$input" >"$out/chapters-$i.stdout"
    "${run[@]}" chapters --out "$out" --prefix "章$i" "$input" >/dev/null
    "${run[@]}" cut --kb 20 --out "$out" --prefix "片$i" "$input"
    "${run[@]}" cut --bytes 7777 --out "$out" --prefix "简$i" "$input"
    "${run[@]}" merge --out "$out" --prefix "合$i" "$input" "$input" "$input"
    "${run[@]}" clean --spaces --line-breaks --tabs "$input" >"$out/clean-$i.out"
    "${run[@]}" clean --tabs "$input" >"$out/clean-tabs-$i.out"
    "${run[@]}" chapters --list --rule 'regex:^\s*第\d+章\s*.' "$input" >"$out/regex-$i.out"
    # The book and the conversion are refused where the input holds bytes that are no
    # character; the same either way.
    status=0
    "${run[@]}" epub --rule auto --author 某人 --out "$out" --prefix "书$i" "$input" || status=$?
    echo "$status" >"$out/epub-$i.status"
    status=0
    "${run[@]}" merge --to utf-8 --out "$out" --prefix "转$i" "$input" "$input" || status=$?
    echo "$status" >"$out/merge-to-utf-8-$i.status"
  done
  "${run[@]}" banner >"$out/banner.out"
  for c in "${conversions[@]}"; do
    "${run[@]}" clean --convert "$c" --to utf-8 "${inputs[0]}" >"$out/convert-$c-gbk.out"
    "${run[@]}" clean --convert "$c" "$work/in/traditional.txt" >"$out/convert-$c-traditional.out"
  done
done 2>"$work/stderr"
count=$(find "$work/linux" -type f | wc -l)
converted=$(find "$work/linux" -name 'convert-*' -size +1k | wc -l)
[ "$converted" -eq $((2 * ${#conversions[@]})) ] || {
  echo "only $converted of the $((2 * ${#conversions[@]})) conversions wrote a text" >&2
  exit 1
}
if diff -rq "$work/linux" "$work/windows"; then
  echo "morvane-cli.exe under Wine wrote the same bytes as morvane-cli: $count files from ${#inputs[@]} inputs"
  echo "the ${#conversions[@]} conversions (${conversions[*]}) identical, each on a GBK and a traditional text"
else
  cat "$work/stderr" >&2
  echo "morvane-cli.exe and morvane-cli differ" >&2
  exit 1
fi
