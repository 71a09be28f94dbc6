#!/usr/bin/env bash
# The program where its environment falls short: no audio device, no SoundFont, no Japanese font.
# Each must still play (silently, without music, or unchanged) and end with status 0.
#   faults.sh PROGRAM
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program="${1:?usage: faults.sh PROGRAM}"
# shellcheck source=xvfb.sh
. "$here/xvfb.sh"

start_work faults
mkdir "$work/empty"
skip() { echo "SKIPPED: $*" >&2; }
headless=(--headless --demo --seed 1 --frames 300)
midi_message="MIDIマッパーを開けませんでした。"

nonzero_bytes() { if [ -f "$1" ]; then tr -d "\\0" <"$1" | wc -c; else echo 0; fi; }

# Hiding a folder needs a private mount namespace (root, or user namespaces).
can_hide=0
if unshare --mount --propagation private sh -c "mount --bind '$work/empty' '$work/empty'" 2>/dev/null; then
  can_hide=1
fi
# hidden FOLDER CMD... runs CMD with FOLDER looking empty. A command, not a function, so that a
# background run's process id is the program's own.
hidden=(unshare --mount --propagation private sh -c 'mount --bind "$0" "$1" && shift && exec "$@"' "$work/empty")

# The one message box a device shows waits for its OK; press it, as a player would.
dismiss_box() {
  local id="" i
  for i in $(seq 100); do
    id=$(xwininfo -display "$DISPLAY" -root -tree 2>/dev/null | awk '/"Error"/ { print $1; exit }')
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || return 1
  xdotool windowfocus --sync "$id" key Return
}

window_colours() {
  import -display "$DISPLAY" -window root -crop 320x240+352+264 +repage "$work/screen.png" 2>/dev/null &&
    convert "$work/screen.png" -format %k info: 2>/dev/null || echo 0
}

# A window run of a few seconds with the message box (if any) dismissed; checks status 0 and a picture.
window_case() {  # LABEL EXPECT_BOX(0|1) CMD...   returns 1 when a check failed
  local label="$1" expect_box="$2" before=$failures
  shift 2
  # In the ASan build a window run looks for memory errors but not for leaks: the GL driver's JIT code
  # and D-Bus keep allocations for the life of the process that LeakSanitizer can neither unwind nor
  # tell from leaks. The headless runs here and the soak do check for leaks.
  ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}:detect_leaks=0" "$@" --demo --seed 1 --scale 1 2>"$work/err" >/dev/null &
  local pid=$! box=0
  if [ "$expect_box" = 1 ] || grep -q "$midi_message" "$work/err" 2>/dev/null; then
    if dismiss_box; then box=1; else fail "$label: no message box to dismiss"; fi
  fi
  sleep 4
  local colours
  colours=$(window_colours)
  kill -TERM "$pid" 2>/dev/null || true
  local i
  for i in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    fail "$label: still running 30 s after SIGTERM"
  fi
  local status=0
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "$label: exit status $status"
  [ "$colours" -gt 16 ] || fail "$label: the window showed $colours colours"
  if [ "$expect_box" = 1 ]; then
    grep -qxF "$midi_message" "$work/err" || fail "$label: no '$midi_message' on standard error"
  fi
  if [ "$expect_box" = 1 ]; then
    grep -q "^pelloro: .*\(SoundFont\|audio output\)" "$work/err" || fail "$label: no English line of what to do"
  fi
  # Only our own lines reach the player: no library's noise, and a missing sound output said once,
  # with what it means and what to do.
  grep -q "^ALSA lib \|^Cannot connect to server" "$work/err" && fail "$label: library noise on standard error"
  if [ "$label" = "no audio device" ]; then
    [ "$(grep -c "audio output" "$work/err")" = 1 ] || fail "$label: the missing output is not said exactly once"
    grep -q "runs silent.*SDL_AUDIODRIVER=" "$work/err" || fail "$label: the line does not say the game runs silent and what to set"
  fi
  if grep -v "^pelloro: .*\(SoundFont\|audio output\)" "$work/err" | grep -q -E "^pelloro:|Sanitizer|runtime error:"; then
    fail "$label: $(head -c 2000 "$work/err")"
  fi
  [ "$failures" = "$before" ] || return 1
  echo "$label: exit 0, $colours colours on screen$([ "$box" = 1 ] && echo ', the message box dismissed')"
}

command -v xdotool >/dev/null || { echo "faults: xdotool is missing (package xdotool)" >&2; exit 1; }
command -v import >/dev/null || { echo "faults: ImageMagick's import is missing (package imagemagick)" >&2; exit 1; }
# The headless runs reach no display and no session bus: FluidSynth would otherwise open a D-Bus
# connection (for real-time threads) that lives as long as the process, which LeakSanitizer reports.
headless_env=(env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS)

# The reference: a headless run with everything in place.
status=0
"${headless_env[@]}" "$program" "${headless[@]}" --audio-out "$work/music.wav" --screenshot "$work/normal.bmp" 2>"$work/err" || status=$?
[ "$status" = 0 ] || fail "the reference run: status $status: $(cat "$work/err")"

# (b) No SoundFont: the MIDI message, then the game without music.
if [ "$can_hide" = 1 ]; then
  before=$failures
  status=0
  "${hidden[@]}" /usr/share/sounds/sf2 "${headless_env[@]}" -u PELLORO_SOUNDFONT "$program" "${headless[@]}" \
    --audio-out "$work/nomusic.wav" 2>"$work/err" || status=$?
  [ "$status" = 0 ] || fail "no SoundFont, headless: status $status"
  grep -qxF "$midi_message" "$work/err" || fail "no SoundFont, headless: no '$midi_message' on standard error"
  grep -q "^pelloro: no General MIDI SoundFont was found.*PELLORO_SOUNDFONT" "$work/err" ||
    fail "no SoundFont, headless: no English line saying where SoundFonts were looked for: $(cat "$work/err")"
  with=$(nonzero_bytes "$work/music.wav")
  without=$(nonzero_bytes "$work/nomusic.wav")
  # The sound effects remain, the music is gone.
  [ "$without" -gt 0 ] || fail "no SoundFont, headless: no sound effects either"
  [ "$((without * 2))" -lt "$with" ] || fail "no SoundFont, headless: as loud as with music ($without vs $with)"
  [ "$failures" != "$before" ] || echo "no SoundFont, headless: exit 0, the message, $without of $with bytes still sounding"
else
  skip "no SoundFont: cannot hide /usr/share/sounds/sf2 here (no mount namespace)"
fi
# A SoundFont variable naming nothing: the game still starts and ends normally.
status=0
PELLORO_SOUNDFONT=/nonexistent/none.sf2 "${headless_env[@]}" "$program" "${headless[@]}" 2>"$work/err" || status=$?
if [ "$status" = 0 ] && grep -qxF "pelloro: PELLORO_SOUNDFONT names /nonexistent/none.sf2, which is not a SoundFont file; trying the default" "$work/err"; then
  echo "PELLORO_SOUNDFONT naming nothing: exit 0, said so$(grep -qxF "$midi_message" "$work/err" && echo ', the MIDI message')"
else
  fail "PELLORO_SOUNDFONT naming nothing: status $status: $(cat "$work/err")"
fi

# (c) No IPA font: the scene draws no text, so the picture is the same.
if [ "$can_hide" = 1 ]; then
  before=$failures
  status=0
  "${hidden[@]}" /usr/share/fonts "${headless_env[@]}" "$program" "${headless[@]}" --screenshot "$work/nofont.bmp" 2>"$work/err" || status=$?
  [ "$status" = 0 ] || fail "no fonts: status $status: $(cat "$work/err")"
  cmp -s "$work/normal.bmp" "$work/nofont.bmp" || fail "no fonts: the picture changed"
  [ "$failures" != "$before" ] || echo "no fonts: exit 0, the same picture"
else
  skip "no fonts: cannot hide /usr/share/fonts here (no mount namespace)"
fi

# --- in a window ---------------------------------------------------------------------------------
start_xvfb

# (a) No audio device: no sound, so no music either (the MIDI message says so); the game plays on.
# ALSA with a configuration that knows no card fails on any machine, and talks while it does.
: >"$work/no-card.conf"
(
  export SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH="$work/no-card.conf"
  window_case "no audio device" 1 "$program"
) || failures=$((failures + 1))

# (b) again in a window: the message box, then the game without music.
if [ "$can_hide" = 1 ]; then
  (
    export SDL_AUDIODRIVER=dummy
    window_case "no SoundFont, window" 1 "${hidden[@]}" /usr/share/sounds/sf2 env -u PELLORO_SOUNDFONT "$program"
  ) || failures=$((failures + 1))
fi

stop_xvfb

# --- where SDL's message box cannot open (an X server without fonts) ----------------------------
# Every message must still reach the screen: the MIDI message over the game, a fatal one in the
# window until a key is pressed.
start_xvfb -fp built-ins
(
  export SDL_AUDIODRIVER=nonexistent
  label="no box, no audio device"
  ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}:detect_leaks=0" "$program" --demo --seed 1 --scale 1 2>"$work/err" >/dev/null &
  pid=$!
  sleep 3
  xwininfo -display "$DISPLAY" -root -tree | grep -q '"Error"' && fail "$label: a message box opened after all"
  import -display "$DISPLAY" -window root -crop 320x60+352+444 +repage "$work/banner.png" 2>/dev/null
  # The banner's white text on its dark box: over 90 pixels near white where the game has about 35.
  light=$(convert "$work/banner.png" -colorspace gray -threshold 90% -format "%[fx:mean*w*h]" info: 2>/dev/null || echo 0)
  kill -TERM "$pid"; wait "$pid" || true
  grep -qxF "$midi_message" "$work/err" || fail "$label: no '$midi_message' on standard error"
  [ "${light%.*}" -gt 90 ] || fail "$label: no message drawn over the game (light pixels: $light)"
  [ "$failures" = 0 ] && echo "$label: the message drawn over the game ($light light pixels)"
  exit "$failures"
) || failures=$((failures + 1))
if [ -n "${BARE_PROGRAM:-}" ]; then
  (
    label="no box, a missing text"
    mkdir -p "$work/bare"
    cd "$work/bare"
    ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1}:detect_leaks=0" SDL_AUDIODRIVER=dummy "$BARE_PROGRAM" --scale 1 2>"$work/err" >/dev/null &
    pid=$!
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "$label: ended without waiting for the player"
    import -display "$DISPLAY" -window root -crop 320x240+352+264 +repage "$work/message.png" 2>/dev/null
    light=$(convert "$work/message.png" -colorspace gray -threshold 90% -format "%[fx:mean*w*h]" info: 2>/dev/null || echo 0)
    id=$(xwininfo -display "$DISPLAY" -root -tree | awk '/"Pelloro"/ { print $1; exit }')
    [ -n "$id" ] && xdotool windowfocus --sync "$id" key space 2>/dev/null
    status=0
    for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fail "$label: a key did not close the message"; fi
    wait "$pid" || status=$?
    [ "$status" = 1 ] || fail "$label: exit status $status, not 1"
    grep -q "TTexDb : ファイルがありません" "$work/err" || fail "$label: the message is not on standard error"
    [ "${light%.*}" -gt 100 ] || fail "$label: no message drawn in the window (light pixels: $light)"
    [ "$failures" = 0 ] && echo "$label: the message drawn in the window ($light light pixels), a key ended it with status 1"
    exit "$failures"
  ) || failures=$((failures + 1))
fi
stop_xvfb

if [ "$failures" -gt 0 ]; then
  echo "faults: $failures failure(s)" >&2
  exit 1
fi
echo "faults: every case passed"
