#!/usr/bin/env bash
# The desktop smoke test of the Windows build: morvane.exe under Wine on a virtual X
# display with a window manager, driven through real keys and clicks. It checks that the
# main window comes up at its size, shows each of its five pages, that the save-location
# window lists the drive and its folders, that a simple cut writes its files into the
# folder chosen there, and that Esc ends the program. Screenshots go to
# build-windows/screenshots/.
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
Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$number"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)

# Chinese text needs the Windows UI fonts mapped to an installed CJK font.
for face in SimSun "MS Shell Dlg" "MS Shell Dlg 2" Tahoma "Microsoft Sans Serif"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "WenQuanYi Micro Hei" /f \
    >/dev/null 2>&1
done

fail() {
  echo "smoke test FAILED: $*" >&2
  import -window root "$shots/failure.png" 2>/dev/null || true
  exit 1
}
window_named() {  # NAME TIMEOUT_SECONDS: the window id, once it is shown
  local id=""
  for _ in $(seq $(($2 * 5))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
click() {  # WINDOW X Y [double]: a click at client coordinates of a window
  xdotool mousemove --window "$1" "$2" "$3"
  sleep 0.2
  if [ "${4:-}" = double ]; then xdotool click --repeat 2 --delay 80 1; else xdotool click 1; fi
  sleep 0.5
}
answer() {  # NAME TIMEOUT_SECONDS WHAT: Enter on a message box once it is shown; it must go
  local box
  box=$(window_named "$1" "$2") || fail "no message box $3"
  sleep 0.5
  xdotool windowactivate --sync "$box" 2>/dev/null || true
  xdotool key Return
  for _ in $(seq 25); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  fail "Enter left the message box $3 open"
}
shot() { sleep 0.5; import -frame -window "$1" "$shots/$2.png"; }

started=$(date +%s%N)
(cd "$work" && exec wine start /d 'M:\' /wait /unix "$exe") >/dev/null 2>&1 &
app=$!
pids+=($app)
main=$(window_named 'Morvane' 60) || fail "the main window did not appear"
echo "main window after $((($(date +%s%N) - started) / 1000000)) ms"
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 1
read -r width height < <(xdotool getwindowgeometry --shell "$main" |
  awk -F= '/WIDTH/{w=$2} /HEIGHT/{h=$2} END{print w, h}')
echo "main window client area: ${width}x${height}"
[ "$width" -ge 690 ] && [ "$width" -le 709 ] && [ "$height" -ge 480 ] && [ "$height" -le 529 ] ||
  fail "the main window is ${width}x${height}"

# The five pages, from the first (Ctrl+PageDown moves to the next one).
xdotool key ctrl+Prior
for page in 1 2 3 4 5; do
  shot "$main" "main-window-page-$page"
  xdotool key ctrl+Next
  sleep 0.3
done
xdotool key ctrl+Prior ctrl+Prior ctrl+Prior ctrl+Prior  # back to 简单切割, the second

# Open the input through the file dialog: the simple cut's 打开文件.
click "$main" 611 124
dialog=$(window_named '^(Open|打开)$' 20) || fail "the open-file dialog did not appear"
sleep 1
xdotool type --delay 40 'M:\book.txt'
xdotool key Return
sleep 2

# The save location: the drive list at M:, the folder tree with "out" below it.
click "$main" 68 17
saving=$(window_named '保存位置' 20) || fail "the save-location window did not appear"
sleep 2
shot "$saving" save-location-window
# The tree: the drive node "M:", below it the folder "out" (the second row). Wine draws
# this tool window's caption itself, so its coordinates count from the frame.
click "$saving" 62 65 double
sleep 1
shot "$saving" save-location-window-opened
click "$saving" 100 200  # the tree's empty part: the keys go there
xdotool key Escape
sleep 1
xdotool search --onlyvisible --name '保存位置' >/dev/null 2>&1 && fail "Esc left the save-location window open"

# The cut: 切    割, then the message box's OK.
click "$main" 611 223
sleep 2
window_named '信息' 10 >/dev/null || fail "no message box after the cut"
sleep 0.5
import -window root "$shots/screen-after-cut.png"
answer '信息' 10 "after the cut"
sleep 1
# Opening book.txt made "book" the prefix.
pieces=$(find "$work/out" -name 'book-*.txt' | wc -l)
[ "$pieces" -ge 2 ] || fail "the cut wrote $pieces files into M:\\out"
echo "the cut wrote $pieces files into M:\\out"

# The normal cut of the big novel: 打开文件 on the 切割 page, 8 K pieces, 切割. Writing
# thousands of files takes seconds, so the progress window must appear.
xdotool windowactivate --sync "$main" 2>/dev/null || true
click "$main" 45 73     # the 切割 tab
click "$main" 88 133    # 打开文件
window_named '^(Open|打开)$' 20 >/dev/null || fail "the open-file dialog did not appear"
sleep 1
xdotool type --delay 40 'M:\big.txt'
xdotool key Return
sleep 3
click "$main" 407 158   # 切割大小(K)
xdotool key End shift+Home
xdotool type '8'
click "$main" 313 204   # 切割
progress=$(window_named '请稍候' 10) || fail "no progress window during the long cut"
shot "$progress" progress-window
# Esc on the progress window cancels: the cut stops and removes the files it wrote.
xdotool windowactivate --sync "$progress" 2>/dev/null || true
xdotool key Escape
answer '提示' 60 "after cancelling the long cut"
sleep 1
left=$(find "$work/out" -name 'big-*.txt' | wc -l)
[ "$left" -eq 0 ] || fail "cancelling the long cut left $left files"
echo "cancelling the long cut removed the files it had written"
click "$main" 313 204   # 切割 again, to its end
answer '信息' 120 "after the long cut"
sleep 1
expected=$((($(stat -c %s "$work/big.txt") + 8191) / 8192))
pieces=$(find "$work/out" -name 'big-*.txt' | wc -l)
[ "$pieces" -eq "$expected" ] || fail "the long cut wrote $pieces files, not $expected"
echo "the long cut wrote $pieces files, with the progress window"

# The chapter map: 章节切割, 搜寻 (a message with the count), 章节目录.
click "$main" 165 203   # 章节切割
click "$main" 409 204   # 搜寻
answer '章节搜寻提示' 30 "after the chapter search"
sleep 1
click "$main" 585 204   # 章节目录
map=$(window_named '章节目录' 20) || fail "the chapter-map window did not appear"
sleep 1
# Rows unticked: the fourth by a click on its box, the seventh by Space once a click on
# the sixth's title (which ticks nothing) and Down have moved there. The gap and the
# repeat at chapter 21 are shaded.
click "$map" 18 137
click "$map" 300 167
xdotool key Down
sleep 0.5
xdotool key space
shot "$map" chapter-map
xdotool key Escape
sleep 1
xdotool search --onlyvisible --name '章节目录' >/dev/null 2>&1 && fail "Esc left the chapter map open"

# Esc ends the program.
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.2; done
kill -0 "$app" 2>/dev/null && fail "Esc did not end the program"
echo "smoke test passed; screenshots in build-windows/screenshots/"
