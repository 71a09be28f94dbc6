# Sourced by the scripts that run the program in a real window: a private X server and a bounded run.
#   start_xvfb            starts Xvfb on a free display (PELLORO_XVFB_SCREEN, default 1024x768x24),
#                         exports DISPLAY; stop_xvfb ends it
#   start_work NAME       makes a scratch folder ($work) and a list of processes ($pids) that are
#                         killed, with the X server stopped and the folder removed, however the
#                         script ends; fail MESSAGE counts a failure in $failures
#   run_window SECONDS OUT CMD...
#                         runs CMD for SECONDS, then sends SIGTERM (SDL makes it a quit request)
#                         and waits up to 30 s more; standard error goes to OUT; sets run_status to
#                         the exit status, 124 for a program that had to be killed, 128+N for signal N,
#                         and run_early=1 when the program ended before it was asked to; the
#                         function named by $before_term, if any, runs just before the SIGTERM.

xvfb_pid=""
xvfb_dir=""

start_work() {
  work="$(mktemp -d "${TMPDIR:-/tmp}/pelloro-$1.XXXXXX")"
  pids=()
  failures=0
  trap end_work EXIT
}

end_work() {
  local p
  for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
  stop_xvfb
  rm -rf "$work"
}

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

start_xvfb() {  # [extra Xvfb arguments, e.g. -fp built-ins: no fonts, so SDL's message box cannot open]
  command -v Xvfb >/dev/null || { echo "Xvfb is missing (package xvfb)" >&2; return 1; }
  xvfb_dir="$(mktemp -d "${TMPDIR:-/tmp}"/pelloro-xvfb.XXXXXX)"
  # -displayfd picks a free display number itself and writes it once the server is ready.
  Xvfb -displayfd 3 -screen 0 "${PELLORO_XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset -br "$@" 3>"$xvfb_dir/display" \
    >"$xvfb_dir/log" 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 100); do
    if [ -s "$xvfb_dir/display" ]; then
      export DISPLAY=":$(head -n1 "$xvfb_dir/display")"
      return 0
    fi
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "Xvfb did not start:" >&2
  cat "$xvfb_dir/log" >&2
  stop_xvfb
  return 1
}

stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
  [ -n "$xvfb_dir" ] && rm -rf "$xvfb_dir"
  xvfb_dir=""
}

run_window() {
  local seconds="$1" out="$2"
  shift 2
  "$@" 2>"$out" >/dev/null &
  local pid=$! waited=0
  run_early=0
  while [ "$waited" -lt "$((seconds * 10))" ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      run_early=1
      break
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  if [ "$run_early" = 0 ]; then
    if [ -n "${before_term:-}" ]; then "$before_term" || true; fi
    kill -TERM "$pid" 2>/dev/null || true
    waited=0
    while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt 300 ]; do
      sleep 0.1
      waited=$((waited + 1))
    done
    if kill -0 "$pid" 2>/dev/null; then
      kill -KILL "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
      run_status=124
      return 0
    fi
  fi
  run_status=0
  wait "$pid" || run_status=$?
  return 0
}
