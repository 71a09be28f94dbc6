#!/usr/bin/env bash
# Measures the program's figures and prints them as a Markdown table beside their targets:
#   headless frames per second (a 10 000-frame attract-mode run), CPU share of one core while playing
#   in a window with music, start-up to the first picture in the window, peak resident memory, and the
#   jitter of the frame timer and of the audio callback that runs the sequencer's passes; and the CPU
#   share of the software path at x1, x4 and full screen on a 1920 x 1080 screen.
#   bench/figures.sh [BUILD_DIR]
# BUILD_DIR defaults to build/figures (a Release build made here). The window runs use a private Xvfb
# and SDL's dummy audio driver. PELLORO_SOUNDFONT is honoured; unset, the small General MIDI SoundFont
# that scripts/install-deps installs is used when present, so that the memory figure does not depend
# on which larger SoundFont a machine happens to have as its default.
# PELLORO_JITTER_SECONDS (default 30), PELLORO_CPU_SECONDS (default 20) and PELLORO_SCALE_SECONDS
# (default 15) shorten the long runs.
# Figures from a busy machine are worse than the program's: run it on an idle one.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build/figures}"
cpu_seconds="${PELLORO_CPU_SECONDS:-20}"
export PELLORO_JITTER_SECONDS="${PELLORO_JITTER_SECONDS:-30}"
if [ -z "${PELLORO_SOUNDFONT:-}" ] && [ -f /usr/share/sounds/sf2/TimGM6mb.sf2 ]; then
  export PELLORO_SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLORO_TESTS=OFF >/dev/null
fi
cmake --build "$build" --target pelloro JitterBench >/dev/null
program="$build/pelloro"

# shellcheck source=../tests/release/xvfb.sh
. "$here/tests/release/xvfb.sh"
work="$(mktemp -d /tmp/pelloro-figures.XXXXXX)"
cleanup() { stop_xvfb; rm -rf "$work"; }
trap cleanup EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
peak_kb() { awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }' "$1"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
echo "figures: measuring on $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)," \
  "SoundFont ${PELLORO_SOUNDFONT:-the FluidSynth default}" >&2

# --- headless: frames per second and peak resident memory, median of three runs ----------------
fps=()
rss_headless=()
for i in 1 2 3; do
  t0=$(now_ms)
  /usr/bin/time -v -o "$work/time" "$program" --headless --demo --seed 1 --frames 10000 >/dev/null 2>"$work/err"
  t1=$(now_ms)
  fps+=("$((10000 * 1000 / (t1 - t0)))")
  rss=$(peak_kb "$work/time")
  rss_headless+=("$rss")
done
fps_median=$(printf '%s\n' "${fps[@]}" | median)
rss_headless_mb=$(printf '%s\n' "${rss_headless[@]}" | median | awk '{ printf "%.1f", $1 / 1024 }')

# --- in a window ---------------------------------------------------------------------------------
start_xvfb
export SDL_AUDIODRIVER=dummy

# Start-up to the first picture: median of five starts.
cc -O2 -o "$work/first-frame" "$here/bench/first-frame.c" -lX11
starts=()
for i in 1 2 3 4 5; do starts+=("$("$work/first-frame" "$program" --demo --seed 1)"); done
first_ms=$(printf '%s\n' "${starts[@]}" | median)

# CPU share while the attract mode plays with music: user + system time over the sampling window,
# and the window run's peak resident memory. Prints "CPU_PERCENT RSS_MB".
window_run() {
  "$program" --demo --seed 1 "$@" >/dev/null 2>"$work/err" &
  local pid=$!
  sleep 5  # past the title: the demo has started a game and its music
  local hz c0 c1 t0 t1 rss seconds="${window_seconds:-$cpu_seconds}"
  hz=$(getconf CLK_TCK)
  c0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  t0=$(now_ms)
  sleep "$seconds"
  c1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  t1=$(now_ms)
  rss=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
  kill -TERM "$pid"
  wait "$pid" || true
  awk -v c="$((c1 - c0))" -v hz="$hz" -v ms="$((t1 - t0))" -v k="$rss" \
    'BEGIN { printf "%.1f %.1f\n", 100 * c / hz / (ms / 1000), k / 1024 }'
}
read -r cpu rss_window_mb < <(window_run)
# The same with SDL's software renderer straight onto the X window, without a GL driver.
read -r cpu_soft rss_soft_mb < <(SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 window_run)
stop_xvfb

# --- the picture's cost at window sizes: software path, 15 s each, on a 1920 x 1080 screen ----------
PELLORO_XVFB_SCREEN=1920x1080x24 start_xvfb
window_seconds="${PELLORO_SCALE_SECONDS:-15}"
read -r cpu_x1 _ < <(SDL_RENDER_DRIVER=software window_run --scale 1)
read -r cpu_x4 _ < <(SDL_RENDER_DRIVER=software window_run --scale 4)
read -r cpu_full _ < <(SDL_RENDER_DRIVER=software window_run --fullscreen)
unset window_seconds
stop_xvfb

# --- the two clocks ------------------------------------------------------------------------------
"$build/JitterBench" --benchmark_format=json >"$work/jitter.json" 2>/dev/null
counter() {  # BENCHMARK COUNTER
  awk -v b="$1" -v c="\"$2\":" '
    index($0, "\"name\": \"" b) { inside = 1 }
    inside && $1 == c { gsub(/,/, "", $2); printf "%.2f", $2; exit }' "$work/jitter.json"
}
tick_p50=$(counter BM_FrameTimerJitter p50_jitter_ms)
tick_p99=$(counter BM_FrameTimerJitter p99_jitter_ms)
audio_p50=$(counter BM_AudioCallbackJitter p50_jitter_ms)
audio_p99=$(counter BM_AudioCallbackJitter p99_jitter_ms)
audio_period=$(counter BM_AudioCallbackJitter nominal_ms)

cat <<EOF
| figure | measured | target |
|---|---|---|
| headless frames per second (10 000-frame \`--demo\` run, median of 3) | $fps_median | — |
| CPU while playing in a window with music (\`--demo\`, ${cpu_seconds} s, Xvfb, renderer chosen for the machine) | ${cpu} % of one core | ≤ 3 % |
| the same with \`SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0\` | ${cpu_soft} % of one core | ≤ 3 % |
| CPU, software path with music, \`--scale 1\` (320 × 240), ${PELLORO_SCALE_SECONDS:-15} s, Xvfb 1920 × 1080 | ${cpu_x1} % of one core | ≤ 2 % |
| the same at \`--scale 4\` (1280 × 960) | ${cpu_x4} % of one core | ≤ 4 % |
| the same in full screen (1920 × 1080) | ${cpu_full} % of one core | — |
| start-up to the first picture in the window (median of 5) | ${first_ms} ms | ≤ 150 ms |
| peak resident memory, headless 10 000 frames | ${rss_headless_mb} MB | ≤ 80 MB |
| peak resident memory, window with music (renderer chosen for the machine / software) | ${rss_window_mb} / ${rss_soft_mb} MB | ≤ 80 MB |
| frame timer (20 ms) jitter p50 / p99, ${PELLORO_JITTER_SECONDS} s | ${tick_p50} / ${tick_p99} ms | p99 ≤ 2 ms |
| audio callback (${audio_period} ms, runs the 10 ms sequencer passes) jitter p50 / p99 | ${audio_p50} / ${audio_p99} ms | p99 ≤ 2 ms |
EOF
