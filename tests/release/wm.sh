#!/usr/bin/env bash
# The window under a window manager (openbox on Xvfb), as a player meets it in the first minutes:
# it appears with its first picture (never black), a paused game comes back whole after being
# minimised or covered, and F11 twice from a maximised window leaves it maximised.
#   wm.sh PROGRAM
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="${1:?usage: wm.sh PROGRAM}"
# shellcheck source=xvfb.sh
. "$here/xvfb.sh"

for tool in openbox wmctrl xdotool import xwininfo xmessage; do
  command -v "$tool" >/dev/null || { echo "wm: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
done
start_work wm

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}:detect_leaks=0"
mkdir -p "$HOME"
PELLORO_XVFB_SCREEN=1280x1024x24 start_xvfb
# A throwaway window shows when the window manager manages windows, so the game's own timing is
# measured alone. On a new machine openbox's first start is slow (it builds font caches) and a window
# mapped meanwhile can stay unmapped for good, while a window mapped afterwards is managed: so the
# throwaway window is made again until one shows, and openbox is started again only if it has ended.
openbox >>"$work/openbox.log" 2>&1 &
wm=$!
pids+=("$wm")
for i in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break; sleep 0.1; done
managed=""
for attempt in $(seq 16); do
  if ! kill -0 "$wm" 2>/dev/null; then
    openbox >>"$work/openbox.log" 2>&1 &
    wm=$!
    pids+=("$wm")
  fi
  xmessage -name pelloro-warm-up "warming up" >>"$work/xmessage.log" 2>&1 &
  warm=$!
  pids+=("$warm")
  for i in $(seq 25); do
    managed=$(xdotool search --onlyvisible --classname pelloro-warm-up 2>/dev/null | head -n1 || true)
    [ -n "$managed" ] && break
    sleep 0.1
  done
  kill "$warm" 2>/dev/null || true
  wait "$warm" 2>/dev/null || true
  [ -n "$managed" ] && break
done
if [ -z "$managed" ]; then
  fail "openbox maps no window (a test window stayed hidden through $attempt tries in 40 s)"
  cat "$work/openbox.log" "$work/xmessage.log" >&2
  exit 1
fi
[ "$attempt" -gt 1 ] && echo "wm: openbox managed the test window at try $attempt"

colours() { convert "$1" -format %k info: 2>/dev/null || echo 0; }
shot() { import -display "$DISPLAY" -window "$1" "$2" 2>/dev/null; }
# Outside the PAUSE sign in the middle: the top and bottom bands of a 320 x 240 window.
same_bands() {
  local region
  for region in 320x60+0+0 320x60+0+180; do
    convert "$1" -crop "$region" +repage "$work/x.png"
    convert "$2" -crop "$region" +repage "$work/y.png"
    [ "$(compare -metric AE "$work/x.png" "$work/y.png" null: 2>&1 || true)" = 0 ] || return 1
  done
}

# 1. The first time the window can be seen, it shows the game.
start=$(date +%s%N)
"$program" --demo --seed 5 --scale 1 2>"$work/err" >/dev/null &
game=$!
pids+=("$game")
id=""
# A loaded machine (a fresh root building beside it) may take many seconds to the first picture.
for i in $(seq 1200); do
  id=$(xdotool search --onlyvisible --pid "$game" --name '^Pelloro$' 2>/dev/null | head -n1 || true)
  [ -n "$id" ] && break
  sleep 0.025
done
seen=$(( ($(date +%s%N) - start) / 1000000 ))
if [ -z "$id" ]; then
  fail "no window after ${seen} ms; the game $(kill -0 "$game" 2>/dev/null && echo "still runs" || echo "has ended"), and said:"
  cat "$work/err" >&2
  echo "windows on the display:" >&2
  xdotool search --name . 2>/dev/null | while read -r w; do xdotool getwindowname "$w" 2>/dev/null; done | head -n 10 >&2 || true
  exit 1
fi
shot "$id" "$work/first.png"
[ "$(colours "$work/first.png")" -gt 16 ] || fail "the window appeared black ($(colours "$work/first.png") colours)"
echo "wm: the window appeared ${seen} ms after the start, showing the game"

# 2. Paused, minimised and restored; then covered and uncovered: the same picture comes back.
xdotool windowactivate --sync "$id" 2>/dev/null || true
sleep 0.5
xdotool key --window "$id" p
sleep 0.5
shot "$id" "$work/paused.png"
xdotool windowminimize --sync "$id"
sleep 0.5
xdotool windowactivate --sync "$id" 2>/dev/null || wmctrl -i -a "$id"
sleep 0.7
shot "$id" "$work/restored.png"
same_bands "$work/paused.png" "$work/restored.png" || fail "after minimise and restore the paused picture is not back"
xdotool windowunmap --sync "$id"; xdotool windowmap --sync "$id"
sleep 0.7
shot "$id" "$work/uncovered.png"
same_bands "$work/paused.png" "$work/uncovered.png" || fail "after being uncovered the paused picture is not back"

# 3. Maximised, F11 twice: maximised again, as large as before.
wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz
sleep 0.7
before=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
xdotool key --window "$id" F11
sleep 0.7
xdotool key --window "$id" F11
sleep 0.7
after=$(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
xprop -id "$id" _NET_WM_STATE | grep -q MAXIMIZED_HORZ || fail "after F11 twice the window is no longer maximised ($after)"
[ "$before" = "$after" ] || fail "after F11 twice the window is $after, not $before"

kill -TERM "$game"; wait "$game" 2>/dev/null || true
if [ "$failures" -gt 0 ]; then
  echo "wm: $failures failure(s); standard error: $(head -c 2000 "$work/err")" >&2
  exit 1
fi
echo "wm: first picture, restore, uncover and full screen from maximised behave"
