#!/usr/bin/env bash
# Two recorded headless runs (a key script and the demo) must give the very same pictures, traces and
# audio as when they were recorded: refactoring and the player's extras may not change a frame.
#   reference.sh PROGRAM            compare with tests/e2e/reference/expected.sha256
#   reference.sh PROGRAM --record   write that file anew (only for a deliberate change of output)
set -euo pipefail
program="$1"
here="$(cd "$(dirname "$0")" && pwd)/reference"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$program" --headless --seed 7 --keys "$here/keys.txt" --frames 4000 --screenshot-every 500 "$out" \
  --screenshot "$out/keys.bmp" --trace "$out/keys.trace" --audio-out "$out/keys.wav"
"$program" --headless --seed 11 --demo --frames 6000 \
  --screenshot "$out/demo.bmp" --trace "$out/demo.trace" --audio-out "$out/demo.wav"
(cd "$out" && sha256sum -- *.bmp *.trace *.wav | sort -k2) > "$out/actual.sha256"
if [ "${2:-}" = --record ]; then
  cp "$out/actual.sha256" "$here/expected.sha256"
  exit 0
fi
diff -u "$here/expected.sha256" "$out/actual.sha256"
