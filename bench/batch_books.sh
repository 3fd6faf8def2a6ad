#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Many books at once: COUNT generated GBK novels of SIZE each (bench/gen_novel.py, a seed
# each), `morvane-cli epub --jobs JOBS` of all of them in one run against `morvane-cli epub`
# of each one after another, with the same options (the defaults: the automatic rule,
# repeated titles removed). Prints and writes into RESULTS.md (its own section, replaced
# whole on each run):
#   - the time of each side and the ratio batch / one after another (target <= 0.6 with two
#     jobs on two cores), with the load average the machine had around each run;
#   - the peak memory of the batch (max RSS, /usr/bin/time -v) against the ceiling of one
#     file's, 1.3 x the largest file + 64 MiB (bench/peak_memory.sh), times JOBS;
#   - whether every book of the batch is the same bytes as the one made alone, and every
#     line of the batch says 成功.
# Exits 1 when a check fails or a target is missed.
#
#   bench/batch_books.sh [--count 100] [--size 10M] [--jobs 2] [--rounds 1] [--cli PATH]
#                        [--results FILE] [--no-results]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
count=100
size=10M
jobs=2
rounds=1
cli=$top/build/cli/morvane-cli
results=$here/RESULTS.md
while [ $# -gt 0 ]; do
  case $1 in
    --count) count=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --results) results=$2; shift 2 ;;
    --no-results) results=""; shift ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
"$top/scripts/install-deps.sh" time >/dev/null
log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }
load() { cut -d' ' -f1 /proc/loadavg; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

books=$here/data/batch-$count-$size
mkdir -p "$books"
for ((k = 1; k <= count; ++k)); do
  f=$books/novel-$k.txt
  [ -s "$f" ] || { log "generating $f"; python3 "$here/gen_novel.py" --kind gbk --size "$size" --seed "$k" "$f.tmp" >/dev/null; mv "$f.tmp" "$f"; }
done
files=("$books"/novel-*.txt)
largest=$(stat -c %s "${files[@]}" | sort -n | tail -1)
cat "${files[@]}" >/dev/null  # the page cache warm for both sides

mkdir -p "$here/out"
work=$(mktemp -d "$here/out/batch.XXXXXX")
trap 'rm -rf "$work"' EXIT

# timed REPORT OUT COMMAND...: runs it under /usr/bin/time -v, its output into OUT (the
# figures of a shell include those of the programs it waited for); prints "seconds
# cpu-seconds max-rss-kib".
timed() {
  local report=$1 output=$2
  shift 2
  /usr/bin/time -v -o "$report" "$@" >"$output"
  awk -F': ' '
    /Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0; for (i = 1; i <= n; ++i) s = s * 60 + p[i]}
    /User time|System time/ {cpu += $2}
    /Maximum resident set size/ {kb = $2}
    END {print s, cpu, kb}' "$report"
}
# Each side into a folder of its own that no run used; prints "seconds cpu load-before
# load-after max-rss-kib".
one_after_another() {
  local dir=$1 before
  mkdir "$dir"
  before=$(load)
  read -r t c kb < <(timed "$work/serial.time" /dev/null sh -c \
    'cli=$1 dir=$2; shift 2; for f; do "$cli" epub --out "$dir" "$f" >/dev/null || exit 1; done' \
    sh "$cli" "$dir" "${files[@]}")
  echo "$t $c $before $(load) $kb"
}
batch() {
  local dir=$1 before
  mkdir "$dir"
  before=$(load)
  read -r t c kb < <(timed "$work/batch.time" "$work/lines" \
    "$cli" epub --jobs "$jobs" --out "$dir" "${files[@]}")
  echo "$t $c $before $(load) $kb"
}

declare -a serialTimes batchTimes serialCpu batchCpu loads peaks
for ((r = 1; r <= rounds; ++r)); do
  # The sides alternate which goes first, so drift of the machine hits both alike.
  for side in $([ $((r % 2)) = 1 ] && echo "serial batch" || echo "batch serial"); do
    log "round $r: $side"
    if [ "$side" = serial ]; then
      read -r t c b a kb < <(one_after_another "$work/serial-$r")
      serialTimes+=("$t"); serialCpu+=("$c"); loads+=("$b" "$a")
    else
      read -r t c b a kb < <(batch "$work/batch-$r")
      batchTimes+=("$t"); batchCpu+=("$c"); loads+=("$b" "$a"); peaks+=("$kb")
    fi
  done
done

# The checks: the batch's lines, and its books against those made one at a time.
failed=0
lines=$(grep -c $'\t成功$' "$work/lines" || true)
[ "$lines" -eq "$count" ] || { log "only $lines of $count lines say 成功"; failed=1; }
same=0
for f in "$work"/serial-1/*.epub; do
  cmp -s "$f" "$work/batch-1/$(basename "$f")" && same=$((same + 1))
done
[ "$same" -eq "$count" ] || { log "only $same of $count books are the same bytes"; failed=1; }

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
serial=$(median "${serialTimes[@]}")
together=$(median "${batchTimes[@]}")
serialCpuMedian=$(median "${serialCpu[@]}")
batchCpuMedian=$(median "${batchCpu[@]}")
ratio=$(echo "$together / $serial" | bc -l)
peak=$(printf '%s\n' "${peaks[@]}" | sort -n | tail -1)
ceiling=$(( (largest * 13 / 10 / 1024 + 64 * 1024) * jobs ))
lows=$(printf '%s\n' "${loads[@]}" | sort -n | head -1)
highs=$(printf '%s\n' "${loads[@]}" | sort -n | tail -1)
timeMet=$(awk -v r="$ratio" 'BEGIN { print (r <= 0.6) ? "met" : "missed" }')
memoryMet=$([ "$peak" -le "$ceiling" ] && echo met || echo missed)
[ "$timeMet" = met ] && [ "$memoryMet" = met ] || failed=1

table=$(
  printf '| %s novels of %s | seconds | CPU seconds | cores busy | ratio | target | | peak MiB | ceiling MiB | |\n' "$count" "$size"
  printf '|---|---:|---:|---:|---:|---:|---|---:|---:|---|\n'
  printf '| `epub FILE` one after another | %.2f | %.2f | %.2f | | | | | | |\n' \
    "$serial" "$serialCpuMedian" "$(echo "$serialCpuMedian / $serial" | bc -l)"
  printf '| `epub --jobs %s FILE...` | %.2f | %.2f | %.2f | %.2f | <= 0.60 | %s | %d | %d | %s |\n' \
    "$jobs" "$together" "$batchCpuMedian" "$(echo "$batchCpuMedian / $together" | bc -l)" "$ratio" \
    "$timeMet" $((peak >> 10)) $((ceiling >> 10)) "$memoryMet"
)
echo "$table"
echo "books the same bytes as alone: $same of $count; lines that say 成功: $lines of $count"
echo "load average (1 min) around the runs: $lows-$highs on $(nproc) cores"

if [ -n "$results" ]; then
  section=$work/section.md
  {
    echo "## Many books at once (\`bench/batch_books.sh\`)"
    echo
    echo "Written by \`bench/batch_books.sh --count $count --size $size --jobs $jobs --rounds $rounds\` on"
    echo "$(date -u '+%Y-%m-%d %H:%M UTC') with $cli (commit $(git -C "$top" rev-parse --short HEAD))."
    echo "$count GBK novels of $size (\`gen_novel.py\`, seeds 1-$count), the options of \`epub\` left at"
    echo "their defaults; the median of $rounds round(s), the sides alternating which goes first. The"
    echo "ceiling is that of one file (1.3 x the largest + 64 MiB, as \`bench/peak_memory.sh\`) times"
    echo "--jobs. The 1-minute load average around the runs was $lows-$highs on $(nproc) cores (above"
    echo "$(nproc) the machine was shared with other work, which both sides met alike). CPU seconds"
    echo "are user + system of the whole run; cores busy is their share of the time."
    echo
    echo "$table"
    echo
    echo "- Books of the batch that are the same bytes as those made one at a time: $same of $count."
    echo "- Lines of the batch that say 成功: $lines of $count."
  } >"$section"
  python3 - "$results" "$section" <<'PY'
import sys
path, section = sys.argv[1], open(sys.argv[2], encoding="utf-8").read().rstrip("\n") + "\n"
try:
    text = open(path, encoding="utf-8").read()
except FileNotFoundError:
    text = ""
head = section.split("\n", 1)[0]
lines = text.split("\n")
if head in lines:
    start = lines.index(head)
    end = next((i for i in range(start + 1, len(lines)) if lines[i].startswith("## ")), len(lines))
    lines[start:end] = section.rstrip("\n").split("\n") + ([""] if end < len(lines) else [])
    text = "\n".join(lines)
else:
    text = text.rstrip("\n") + "\n\n" + section
open(path, "w", encoding="utf-8").write(text if text.endswith("\n") else text + "\n")
PY
  log "wrote its section of $results"
fi
exit $failed
