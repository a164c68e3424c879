# Sourced by the install tests: starts an ad server on a free loopback port.
#   start_adserver PROGRAM OUTPUT_FILE   sets $server (its pid) and $url
# The caller stops it (kill "$server").
start_adserver() {
  "$1" --port 0 >"$2" 2>&1 &
  server=$!
  url=""
  for _ in $(seq 100); do
    url=$(sed -n 's/^listening on //p' "$2" | head -n 1)
    [ -n "$url" ] && return 0
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  cat "$2" >&2
  return 1
}
