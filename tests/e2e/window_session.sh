# Shared by the window tests (sourced, not run): a scratch folder removed at
# the end, the app under test started on the display xvfb-run provides, its
# window found for xdotool, and failures that show the journal.
# Before sourcing, set `test_name`; then call start_window_app APP ARGS...,
# which sets `pid`, `wid`, and leaves the journal in $work/out/events.jsonl.

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "$test_name: $*" >&2
  echo "--- journal:" >&2
  cat "$work/out/events.jsonl" >&2 2>/dev/null || true
  exit 1
}

start_window_app() {
  VORLA_SCREENSHOTS="$work" "$@" --home "$work/home" --out "$work/out" --open-urls log --audio off \
    2>"$work/stderr" &
  pid=$!
  wid=""
  for _ in $(seq 100); do
    wid=$(xdotool search --name '^Vorla Button$' 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || fail "the window did not appear"
  sleep 0.5
}
