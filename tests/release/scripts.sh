#!/usr/bin/env bash
# The project's own scripts: --help prints the usage at the top of each and nothing of its code, and
# every scratch folder goes where TMPDIR says.
#   tests/release/scripts.sh SOURCE_DIR
set -euo pipefail
source="${1:?usage: scripts.sh SOURCE_DIR}"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for script in test scripts/fresh-root scripts/package scripts/web; do
  status=0
  help="$("$source/$script" --help 2>&1)" || status=$?
  [ "$status" -eq 0 ] || fail "$script --help ended with status $status"
  [ -n "$help" ] || fail "$script --help printed nothing"
  # The usage is the comment block under the first line; a line of code in it means the range is wrong.
  if grep -q -E '^(set|[a-z_]+=|case|for|if) ' <<<"$help"; then
    fail "$script --help printed code: $(grep -m1 -E '^(set|[a-z_]+=|case|for|if) ' <<<"$help")"
  fi
done

# A TMPDIR that does not exist: a script that honours it fails at once and names it.
missing="$(mktemp -u "${TMPDIR:-/tmp}/pelloro-no-such-dir.XXXXXX")"
check_tmpdir() {  # NAME CMD...
  local name="$1" out status=0
  shift
  out="$(TMPDIR="$missing" timeout 60 "$@" 2>&1)" || status=$?
  if [ "$status" -eq 0 ] || ! grep -q -F "$missing" <<<"$out"; then
    fail "$name does not make its scratch folder under TMPDIR (status $status): $(head -c 300 <<<"$out")"
  fi
}
check_tmpdir soak "$source/scripts/soak" /bin/true 10001
check_tmpdir tsan-run "$source/scripts/tsan-run" /bin/true 1
check_tmpdir install.sh "$source/tests/release/install.sh" /nonexistent "$source"
check_tmpdir faults.sh "$source/tests/release/faults.sh" /bin/true
check_tmpdir desktop.sh "$source/tests/release/desktop.sh" /bin/true

[ "$failures" -eq 0 ] || exit 1
echo "scripts: usage of 4 scripts, TMPDIR of 5"
