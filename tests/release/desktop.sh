#!/usr/bin/env bash
# The player's keys in a real window under Xvfb: P freezes the picture, losing the focus pauses,
# F12 saves the presented picture as a PNG, F9 twice saves a GIF of the frames in between, Ctrl+Q
# quits with status 0.
#   desktop.sh PROGRAM
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="${1:?usage: desktop.sh PROGRAM}"
# shellcheck source=xvfb.sh
. "$here/xvfb.sh"

start_work desktop

# Captures go to ~/Pictures/Pelloro (made when missing); a home of our own keeps them apart from the user's.
mkdir -p "$work/home"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}:detect_leaks=0"
start_xvfb

window_of() {  # PID -> the X window id of its "Pelloro" window
  local id="" i
  for i in $(seq 100); do
    id=$(xdotool search --sync --onlyvisible --pid "$1" --name '^Pelloro$' 2>/dev/null | head -n1) && [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}
shot() {  # WINDOW FILE: the window's content as the X server shows it
  import -display "$DISPLAY" -window "$1" "$2" 2>/dev/null
}
differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != 0 ]; }

"$program" --demo --seed 5 --scale 1 2>"$work/err" >/dev/null &
game=$!
pids+=("$game")
id=$(window_of "$game")
[ -n "$id" ] || { fail "no window"; exit 1; }
xdotool windowfocus --sync "$id"
sleep 1.5

# Running: the picture moves (within two seconds: the balloon alone stands still for a while).
moved=0
shot "$id" "$work/a.png"
for i in 1 2 3 4; do
  sleep 0.5
  shot "$id" "$work/b.png"
  if differ "$work/a.png" "$work/b.png"; then moved=1; break; fi
done
[ "$moved" = 1 ] || fail "the demo's picture does not move"

# P: nothing moves any more, not even the stage clock on the picture.
xdotool key --window "$id" p
sleep 0.5
shot "$id" "$work/p1.png"; sleep 1; shot "$id" "$work/p2.png"
differ "$work/p1.png" "$work/p2.png" && fail "paused, the picture still changes"

# F12 while paused: the PNG is the game's picture (signs are not part of it).
xdotool key --window "$id" F12
sleep 0.5
png=$(ls "$work/home/Pictures/Pelloro"/pelloro-*.png 2>/dev/null | grep -v -- '-x3.png' | head -n1 || true)
if [ -z "$png" ]; then
  fail "F12 wrote no PNG"
else
  [ "$(identify -format '%wx%h' "$png")" = 320x240 ] || fail "the PNG is $(identify -format '%wx%h' "$png")"
  big="${png%.png}-x3.png"
  [ "$(identify -format '%wx%h' "$big" 2>/dev/null)" = 960x720 ] || fail "no 960x720 copy beside the PNG"
  # Outside the PAUSE sign (the middle) and the status sign (top right) the window shows the same.
  for region in 100x50+0+0 320x40+0+200; do
    convert "$png" -crop "$region" +repage "$work/png-part.png"
    convert "$work/p2.png" -crop "$region" +repage "$work/win-part.png"
    differ "$work/png-part.png" "$work/win-part.png" && fail "the PNG differs from the window in $region"
  done
fi

# P again: the game goes on.
xdotool key --window "$id" p
sleep 0.5
shot "$id" "$work/r1.png"; sleep 0.5; shot "$id" "$work/r2.png"
differ "$work/r1.png" "$work/r2.png" || fail "after P again the picture stands still"

# F9, a second, F9: a GIF of as many frames as the program says it took, 2/100 s each.
xdotool key --window "$id" F9
sleep 1
xdotool key --window "$id" F9
sleep 1
gif=$(ls "$work/home/Pictures/Pelloro"/pelloro-*.gif 2>/dev/null | head -n1 || true)
if [ -z "$gif" ]; then
  fail "F9 twice wrote no GIF: $(cat "$work/err")"
else
  said=$(sed -n 's/.*saved .*\.gif (\([0-9]*\) frames).*/\1/p' "$work/err" | tail -n1)
  frames=$(identify "$gif" | wc -l)
  [ -n "$said" ] && [ "$frames" = "$said" ] || fail "the GIF has $frames frames, the program said ${said:-nothing}"
  [ "$frames" -ge 10 ] && [ "$frames" -le 80 ] || fail "a second of clip holds $frames frames"
  delays=$(identify -format '%T\n' "$gif" | sort -u | tr '\n' ' ')
  [ "$delays" = "2 " ] || fail "frame delays are $delays, not 2/100 s"
fi

# Losing the focus pauses: a second window takes it.
"$program" --demo --seed 6 --scale 1 --no-auto-pause 2>/dev/null >/dev/null &
other=$!
pids+=("$other")
other_id=$(window_of "$other")
xdotool windowfocus --sync "$other_id" 2>/dev/null || true
sleep 0.7
shot "$id" "$work/f1.png"; sleep 1; shot "$id" "$work/f2.png"
differ "$work/f1.png" "$work/f2.png" && fail "without the focus the game still runs"
kill -TERM "$other"; wait "$other" 2>/dev/null || true

# Ctrl+Q quits with status 0.
xdotool windowfocus --sync "$id"
xdotool key --window "$id" ctrl+q
status=0
for i in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game" 2>/dev/null; then
  fail "Ctrl+Q did not quit"
else
  wait "$game" || status=$?
  [ "$status" = 0 ] || fail "Ctrl+Q ended with status $status"
fi

if [ "$failures" -gt 0 ]; then
  echo "desktop: $failures failure(s); standard error: $(head -c 2000 "$work/err")" >&2
  exit 1
fi
echo "desktop: pause, focus, F12, F9 and Ctrl+Q behave"
