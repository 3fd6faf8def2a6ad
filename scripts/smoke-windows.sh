#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The desktop smoke test of the Windows build: morvane.exe under Wine on a virtual X
# display with a window manager, driven through real keys and clicks. It checks that the
# main window comes up at its size, shows each of its five pages, that the save-location
# window lists the drive and its folders, that a simple cut writes its files into the
# folder chosen there, that the cleaning window, the chapter map and the EPUB window open
# (the book is written), and that Esc ends the program; then the main window at 150 % and
# 200 % (144 and 192 DPI). Screenshots go to build-windows/screenshots/.
#
# It waits for states, never for a fixed time: each step polls for the window, the file or
# the repainted screen it expects, with a generous limit (a loaded machine only makes it
# slower), and a double-click that did not register is given again.
#
#   scripts/smoke-windows.sh        (after scripts/build-windows.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
exe=$root/build-windows/app/morvane.exe
shots=$root/build-windows/screenshots
[ -f "$exe" ] || { echo "smoke test: $exe is missing (run scripts/build-windows.sh)" >&2; exit 1; }
mkdir -p "$shots"
rm -f "$shots/failure.png"  # from an earlier run

# A Chinese Windows: Wine takes its code page (936) and locale (0804) from LANG, so the
# program's ANSI conversions and the system's own dialogs run as they do there. The
# locale is generated into the build folder when the system has none.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
  export LOCPATH=$root/build-windows/locale
  [ -d "$LOCPATH/zh_CN.UTF-8" ] || { mkdir -p "$LOCPATH" && localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"; }
fi
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX=$root/build-windows/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1
# A server of this prefix started without a display (wineboot, the tests) would keep the
# program's windows off the screen: wait until it has ended.
wineserver -w

# The work folder is drive M: of the program: its root holds the input and the folder
# "out" that the cut goes to.
work=$(mktemp -d /tmp/morvane-smoke.XXXXXX)
mkdir "$work/out"
printf '\xb5\xda\xd2\xbb\xd5\xc2 smoke\r\n%.0s' $(seq 1 200) >"$work/book.txt"  # 第一章 ... x200
# A novel of 6000 chapters, 24 MiB: long enough for the progress window, and a map to show.
python3 - "$work/big.txt" <<'PY'
import sys
body = ("\u3000\u3000" + "风起云涌，" * 400 + "\r\n").encode("gbk")
with open(sys.argv[1], "wb") as out:
    for chapter in range(1, 6001):
        number = chapter + 1 if chapter == 20 else chapter  # a gap and a repeat for the map
        out.write("第{}章 风起\r\n".format(number).encode("gbk") + body)
PY
ln -sfn "$work" "$WINEPREFIX/dosdevices/m:"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/m:"
  rm -rf "$work"
}
trap cleanup EXIT

number=$((100 + $$ % 400))
# As large as the main window at 200 %: a window is kept within its screen.
Xvfb ":$number" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$number"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)

# Wine takes the system's DPI from LogPixels (REG_DWORD) under HKCU\Control Panel\Desktop,
# read by each program as it starts: the clicks below count in pixels at 96 DPI. (Like every
# wine command here, it comes once the display and drive M: are there: the Wine server it
# starts takes both from its start.)
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
set_dpi 96
# Chinese text needs the Windows UI fonts mapped to an installed CJK font.
for face in SimSun "MS Shell Dlg" "MS Shell Dlg 2" Tahoma "Microsoft Sans Serif"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Micro Hei" /f \
    >/dev/null 2>&1
done

fail() {
  echo "smoke test FAILED: $*" >&2
  timeout 20 import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}
within() {  # SECONDS COMMAND...: polls the command until it succeeds; false after SECONDS
  local end=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
}
# A search can fail in passing (a window of the program made or destroyed while xdotool reads
# the windows' names): a window is gone when two searches, 0.2 s apart, do not find it, and
# the id of a window shown is taken from one search that did.
shown() { xdotool search --onlyvisible --name "$1"; }
gone() { ! shown "$1" && sleep 0.2 && ! shown "$1"; }
window_named() {  # NAME TIMEOUT_SECONDS: the window id, once it is shown
  local end=$((SECONDS + $2)) id
  while :; do
    id=$(shown "$1" 2>/dev/null | head -1) || true
    [ -z "$id" ] || { echo "$id"; return 0; }
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
}
# A capture of a window that goes away meanwhile would wait for ever: each has a limit. One
# that fails gives the digest of nothing (a change, or no change, for the next look to settle)
# rather than ending the test without a word.
pixels() { { timeout 20 import -window "$1" rgb:- 2>/dev/null || true; } | md5sum; }
differs() { [ "$(pixels "$1")" != "$2" ]; }
steady() {  # WINDOW: its pixels the same twice, 0.3 s apart (the painting is done)
  local before
  before=$(pixels "$1")
  sleep 0.3
  [ "$(pixels "$1")" = "$before" ]
}
settle() { within 30 steady "$1" || fail "window $1 kept changing"; }
count_files() { find "$work/out" -name "$1" | wc -l; }
at_least() { (($(count_files "$1") >= $2)); }
exactly() { (($(count_files "$1") == $2)); }
click() {  # WINDOW X Y [double]: a click at client coordinates of a window
  xdotool mousemove --sync --window "$1" "$2" "$3"
  if [ "${4:-}" = double ]; then xdotool click --repeat 2 --delay 80 1; else xdotool click 1; fi
}
answer() {  # NAME TIMEOUT_SECONDS WHAT: Enter on a message box once it is shown; it must go
  local box
  box=$(window_named "$1" "$2") || fail "no message box $3"
  settle "$box"
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key Return
  within 30 gone "$1" || fail "Enter left the message box $3 open"
}
shot() { settle "$1"; timeout 20 import -frame -window "$1" "$shots/$2.png"; }
open_file() {  # WINDOW X Y NAME: the open-file dialog by its button, NAME typed there
  click "$1" "$2" "$3"
  local dialog
  dialog=$(window_named '^(Open|打开)$' 60) || fail "the open-file dialog did not appear"
  settle "$dialog"
  xdotool type --delay 40 "$4"
  xdotool key Return
  within 60 gone '^(Open|打开)$' || fail "the open-file dialog stayed open"
}

started=$(date +%s%N)
(cd "$work" && exec wine start /d 'M:\' /wait /unix "$exe") >/dev/null 2>&1 &
app=$!
pids+=($app)
main=$(window_named 'Morvane' 120) || fail "the main window did not appear"
echo "main window after $((($(date +%s%N) - started) / 1000000)) ms"
xdotool windowactivate --sync "$main" 2>/dev/null || true
settle "$main"
read -r width height < <(xdotool getwindowgeometry --shell "$main" |
  awk -F= '/WIDTH/{w=$2} /HEIGHT/{h=$2} END{print w, h}')
echo "main window client area: ${width}x${height}"
[ "$width" -ge 690 ] && [ "$width" -le 709 ] && [ "$height" -ge 480 ] && [ "$height" -le 529 ] ||
  fail "the main window is ${width}x${height}"

# The five pages, from the first (Ctrl+PageDown moves to the next one).
xdotool key ctrl+Prior
for page in 1 2 3 4 5; do
  shot "$main" "main-window-page-$page"
  before=$(pixels "$main")
  xdotool key ctrl+Next
  ((page == 5)) || within 30 differs "$main" "$before" || fail "Ctrl+PageDown left page $page"
done
xdotool key ctrl+Prior ctrl+Prior ctrl+Prior ctrl+Prior  # back to 简单切割, the second
settle "$main"

# Open the input through the file dialog: the simple cut's 打开文件.
open_file "$main" 611 124 'M:\book.txt'
settle "$main"

# The save location: the drive list at M:, the folder tree with "out" below it.
click "$main" 68 17
saving=$(window_named '保存位置' 60) || fail "the save-location window did not appear"
shot "$saving" save-location-window
# The tree: the drive node "M:", below it the folder "out" (the second row). Wine draws
# this tool window's caption itself, so its coordinates count from the frame. The
# double-click shows as the folder chosen; one that did not register is given again.
for attempt in 1 2 3; do
  before=$(pixels "$saving")
  click "$saving" 62 65 double
  within 10 differs "$saving" "$before" && break
  ((attempt < 3)) || fail "double-clicks on the folder out changed nothing"
done
shot "$saving" save-location-window-opened
click "$saving" 100 200  # the tree's empty part: the keys go there
xdotool key Escape
within 30 gone '保存位置' || fail "Esc left the save-location window open"

# The cut: 切    割, then the message box's OK.
click "$main" 611 223
box=$(window_named '信息' 60) || fail "no message box after the cut"
settle "$box"
timeout 20 import -window root "$shots/screen-after-cut.png"
answer '信息' 30 "after the cut"
# Opening book.txt made "book" the prefix.
within 30 at_least 'book-*.txt' 2 || fail "the cut wrote $(count_files 'book-*.txt') files into M:\\out"
echo "the cut wrote $(count_files 'book-*.txt') files into M:\\out"

# The cleaning window of the simple cut's text: 清理…, shown, then 取消 by Esc.
click "$main" 611 269
cleaning=$(window_named '^清理$' 60) || fail "the cleaning window did not appear"
shot "$cleaning" cleaning-window
xdotool windowactivate --sync "$cleaning" 2>/dev/null || true
xdotool key Escape
within 30 gone '^清理$' || fail "Esc left the cleaning window open"
echo "the cleaning window opened and closed"

# The normal cut of the big novel: 打开文件 on the 切割 page, 8 K pieces, 切割. Writing
# thousands of files takes seconds, so the progress window must appear.
xdotool windowactivate --sync "$main" 2>/dev/null || true
click "$main" 45 73     # the 切割 tab
settle "$main"
open_file "$main" 88 133 'M:\big.txt'   # 打开文件
settle "$main"
click "$main" 407 158   # 切割大小(K)
xdotool key End shift+Home
xdotool type '8'
# 切割: the cut has begun once the progress window or its first file is there; a click
# that did not register is given again (one that did lands on a disabled window).
cut_begun() { shown '请稍候' || at_least 'big-*.txt' 1; }
for attempt in 1 2 3; do
  click "$main" 313 204
  within 30 cut_begun && break
  ((attempt < 3)) || fail "the long cut did not begin"
done
progress=$(window_named '请稍候' 60) || fail "no progress window during the long cut"
# It changes while the work runs: taken as it is.
timeout 20 import -frame -window "$progress" "$shots/progress-window.png" || true
# Esc on the progress window cancels: the cut stops and removes the files it wrote.
xdotool windowactivate --sync "$progress" 2>/dev/null || true
xdotool key Escape
answer '提示' 120 "after cancelling the long cut"
within 30 exactly 'big-*.txt' 0 || fail "cancelling the long cut left $(count_files 'big-*.txt') files"
echo "cancelling the long cut removed the files it had written"
click "$main" 313 204   # 切割 again, to its end
answer '信息' 300 "after the long cut"
expected=$((($(stat -c %s "$work/big.txt") + 8191) / 8192))
within 30 exactly 'big-*.txt' "$expected" ||
  fail "the long cut wrote $(count_files 'big-*.txt') files, not $expected"
echo "the long cut wrote $expected files, with the progress window"

# The chapter map: 章节切割, 搜寻 (a message with the count), 章节目录.
settle "$main"
click "$main" 165 203   # 章节切割
settle "$main"
click "$main" 409 204   # 搜寻
answer '章节搜寻提示' 120 "after the chapter search"
settle "$main"
click "$main" 585 204   # 章节目录
map=$(window_named '章节目录' 60) || fail "the chapter-map window did not appear"
settle "$map"
# Rows unticked: the fourth by a click on its box, the seventh by Space once a click on
# the sixth's title (which ticks nothing) and Down have moved there. The gap and the
# repeat at chapter 21 are shaded.
click "$map" 18 137
settle "$map"
click "$map" 300 167
settle "$map"
xdotool key Down
settle "$map"
xdotool key space
shot "$map" chapter-map
xdotool key Escape
within 30 gone '章节目录' || fail "Esc left the chapter map open"

# The EPUB window of the chapters found: 生成EPUB, then 生成 (its default button) by Enter;
# the book lands in the save location.
settle "$main"
click "$main" 589 228   # 生成EPUB
epub=$(window_named '^生成EPUB$' 60) || fail "the EPUB window did not appear"
shot "$epub" epub-window
xdotool windowactivate --sync "$epub" 2>/dev/null || true
xdotool key Return
answer '信息' 300 "after the book was written"
within 30 at_least '*.epub' 1 || fail "the EPUB window wrote no book into M:\\out"
echo "the EPUB window wrote $(find "$work/out" -name '*.epub' -printf '%f')"

# Esc ends the program.
xdotool windowactivate --sync "$main" 2>/dev/null || true
settle "$main"
xdotool key Escape
ended() { ! kill -0 "$app"; }
within 60 ended || fail "Esc did not end the program"

# The main window at 144 and 192 DPI, laid out at that DPI from the start.
trap 'set_dpi 96; cleanup' EXIT
for dpi in 144 192; do
  set_dpi "$dpi"
  (cd "$work" && exec wine start /d 'M:\' /wait /unix "$exe") >/dev/null 2>&1 &
  app=$!
  pids+=($app)
  main=$(window_named 'Morvane' 120) || fail "the main window did not appear at $dpi DPI"
  shot "$main" "main-window-dpi-$dpi"
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  xdotool key Escape
  within 60 ended || fail "Esc did not end the program at $dpi DPI"
done
set_dpi 96
echo "smoke test passed; screenshots in build-windows/screenshots/"
