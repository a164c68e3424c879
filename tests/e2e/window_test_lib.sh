# Shared by the window tests (sourced, not run): a scratch folder removed at
# exit together with the app started in the background ($pid), a failure that
# shows the journal, and the wait for the app's window to appear ($wid).
# Before sourcing, set `test_name` (and, for an app other than vorla-button,
# `window_title` and `screenshots_variable` from its identity); then either start the app yourself and
# call wait_for_window, or call start_window_app APP ARGS..., which starts it
# with a scratch home and output folder ($work/out/events.jsonl) and waits.

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# fail MESSAGE: the test's name comes from $test_name.
fail() {
  echo "$test_name: $*" >&2
  echo "--- journal:" >&2
  cat "$work/out/events.jsonl" >&2 2>/dev/null || true
  exit 1
}

# Sets $wid once the window titled $window_title ("Vorla Button") is shown. A loaded CI machine
# can take many seconds to start GTK under Xvfb, so the wait is generous.
wait_for_window() {
  wid=""
  for _ in $(seq 600); do
    wid=$(xdotool search --name "^${window_title:-Vorla Button}\$" 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || fail "the window did not appear"
  sleep 0.5
}

start_window_app() {
  env "${screenshots_variable:-VORLA_SCREENSHOTS}=$work" "$@" --home "$work/home" --out "$work/out" --open-urls log --audio off \
    2>"$work/stderr" &
  pid=$!
  wait_for_window
}
