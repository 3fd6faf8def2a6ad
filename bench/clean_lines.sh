#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The line cleaning and the traditional/simplified conversion of morvane-cli clean, side by
# side with the standard tools that do the same, on a generated UTF-8 novel with what
# downloads leave in it (bench/dirty_novel.py):
#   - the junk rules of data/junk-lines.txt, trailing blanks and indentation against sed -E
#     with the same expressions (bench/junk_sed.py); the outputs must be the same bytes;
#   - all the line rules together (repeated titles and blank lines as well, which sed cannot
#     say in an expression of a line) against that same sed;
#   - t2s against the opencc command on the novel in traditional characters (made by opencc
#     s2t); the outputs must be the same bytes;
# and the peak memory (max RSS) of each run of ours against 1.3 x the input + 64 MiB.
#
#   bench/clean_lines.sh [--size 1G] [--rounds 3] [--cli PATH]   (a Markdown table on stdout)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
size=1G
rounds=3
cli=$top/build/cli/morvane-cli
while [ $# -gt 0 ]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
"$top/scripts/install-deps.sh" time >/dev/null
log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

data=$here/data
mkdir -p "$data"
plain=$data/clean-utf8-$size.txt
dirty=$data/clean-dirty-$size.txt
trad=$data/clean-trad-$size.txt
[ -f "$plain" ] || { log "generating $plain"; python3 "$here/gen_novel.py" --kind utf8 --size "$size" "$plain" >&2; }
[ -f "$dirty" ] || { log "adding junk: $dirty"; python3 "$here/dirty_novel.py" "$plain" "$dirty"; }
[ -f "$trad" ] || { log "traditional: $trad"; opencc -c s2t.json -i "$plain" -o "$trad"; }
mkdir -p "$here/out"
work=$(mktemp -d "$here/out/clean.XXXXXX")
trap 'rm -rf "$work"' EXIT
python3 "$here/junk_sed.py" "$top/data/junk-lines.txt" "$work/junk.sed"

# run NAME INPUT COMMAND...: one timed run, its output in $work/NAME.out; prints "seconds kib".
run() {
  local name=$1 input=$2
  shift 2
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" <"$input" >"$work/$name.out"
  cat "$work/time"
}
stats() { sort -n | awk '{a[NR]=$1} END {printf "%.2f %.2f\n", a[1], a[int((NR+1)/2)]}'; }

declare -A seconds peak
lines="--junk --trailing-space --indent fullwidth"
all="--junk --repeated-titles --blank-lines one --trailing-space --indent fullwidth"
for ((r = 1; r <= rounds; ++r)); do
  log "round $r of $rounds"
  for job in sed lines all opencc t2s; do
    case $job in
      sed) t=$(run sed "$dirty" env LC_ALL=C.UTF-8 sed -E -f "$work/junk.sed") ;;
      # shellcheck disable=SC2086
      lines) t=$(run lines "$dirty" "$cli" clean $lines /dev/stdin) ;;
      # shellcheck disable=SC2086
      all) t=$(run all "$dirty" "$cli" clean $all /dev/stdin) ;;
      opencc) t=$(run opencc "$trad" opencc -c t2s.json) ;;
      t2s) t=$(run t2s "$trad" "$cli" clean --convert t2s /dev/stdin) ;;
    esac
    seconds[$job]+="${t% *}"$'\n'
    peak[$job]=$(( $(echo "${peak[$job]:-0} ${t#* }" | tr ' ' '\n' | sort -n | tail -n1) ))
  done
  cmp -s "$work/sed.out" "$work/lines.out" || { echo "sed and morvane-cli differ" >&2; exit 1; }
  cmp -s "$work/opencc.out" "$work/t2s.out" || { echo "opencc and morvane-cli differ" >&2; exit 1; }
done

bytes() { stat -c %s "$1"; }
ceiling() { echo $(( ($(bytes "$1") * 13 / 10 + 64 * 1048576) / 1024 )); }
echo "| job ($size, $rounds rounds) | ours min / median s | peer | peer min / median s | ours / peer (min) | ours peak MiB | ceiling MiB |"
echo "|---|---:|---|---:|---:|---:|---:|"
row() {
  local job=$1 peer=$2 peername=$3 input=$4
  read -r omin omed < <(printf '%s' "${seconds[$job]}" | stats)
  read -r pmin pmed < <(printf '%s' "${seconds[$peer]}" | stats)
  printf '| %s | %s / %s | %s | %s / %s | %.2f | %d | %d |\n' "$job" "$omin" "$omed" "$peername" \
    "$pmin" "$pmed" "$(echo "$omin / $pmin" | bc -l)" $((peak[$job] / 1024)) $(($(ceiling "$input") / 1024))
}
row lines sed "sed -E" "$dirty"
row all sed "sed -E" "$dirty"
row t2s opencc "opencc -c t2s.json" "$trad"
