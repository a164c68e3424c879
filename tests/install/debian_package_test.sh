#!/usr/bin/env bash
# Builds the Debian package with cpack and checks it as a user of Debian
# meets it: vorla-button_<version>_<arch>.deb, its library dependencies
# computed from the binaries; then, where this runs as root with apt, it is
# installed with `apt-get install ./file.deb`, the installed app and ad
# server are run, and the package is purged, leaving nothing behind.
#
#   debian_package_test.sh BUILD_DIR VERSION
# Exits with 77 (skipped) after the package checks when it cannot install.
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d)
server=""
installed_here=0
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  if [ "$installed_here" = 1 ]; then apt-get purge -y -qq vorla-button >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# shellcheck source=tests/install/adserver.sh
. "$(dirname "$0")/adserver.sh"

(cd "$work" && cpack -G DEB -B "$work/packages" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log" >&2; fail "cpack"; }
arch=$(dpkg --print-architecture)
deb=$work/packages/vorla-button_${version}_${arch}.deb
[ -f "$deb" ] || { ls "$work/packages" >&2; fail "no $(basename "$deb")"; }

depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libcurl4 libgtk-3-0 libsdl2-2.0-0 libcairo2 libplist3; do
  [[ "$depends" == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
[[ "$depends" == *fonts-urw-base35* ]] || fail "Depends lacks the fonts: $depends"
dpkg-deb --contents "$deb" | awk '{print $6}' >"$work/contents"
for path in ./usr/bin/vorla-button ./usr/bin/pennant-adserver ./usr/bin/pennant-inspect \
    ./usr/share/vorla-button/ThatWasVorla.wav ./usr/share/applications/vorla-button.desktop \
    ./usr/share/pennant-adserver/inventory/pictures.json ./usr/share/man/man1/vorla-button.1 \
    ./usr/lib/libpennant.so.1 ./usr/include/pennant/PennantView.h; do
  grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done

if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
  echo "the package is built; installing it needs root and apt" >&2
  exit 77
fi
if dpkg -s vorla-button >/dev/null 2>&1; then
  echo "vorla-button is installed on this machine already; not replacing it" >&2
  exit 77
fi

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log" >&2; fail "apt-get install ./$(basename "$deb")"; }
installed_here=1
dpkg-query -L vorla-button >"$work/files"

start_adserver /usr/bin/pennant-adserver "$work/server.out" || fail "the installed ad server did not start"
printf 'tap 160 239\nwait 2\nquit\n' >"$work/script"
env -u VORLA_BUNDLE_DIR /usr/bin/vorla-button --headless --script "$work/script" --out "$work/out" \
  --home "$work/home" --request-host "$url" --media-host "$url" 2>"$work/app.err" ||
  { cat "$work/app.err" >&2; fail "the installed app failed"; }
kill "$server"; wait "$server" 2>/dev/null || true; server=""
journal=$work/out/events.jsonl
grep -q '"type":"sound".*"file":"ThatWasVorla.wav"' "$journal" || { cat "$journal" >&2; fail "no sound"; }
grep -q '"text":"Pennant: Did receive ad"' "$journal" || { cat "$journal" >&2; fail "no ad"; }
if grep -q 'Missing resource' "$journal"; then cat "$journal" >&2; fail "a resource is missing"; fi
man -w vorla-button >/dev/null 2>&1 || ! command -v man >/dev/null || fail "man does not find vorla-button(1)"

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq vorla-button >"$work/purge.log" 2>&1 ||
  { cat "$work/purge.log" >&2; fail "apt-get purge"; }
installed_here=0
if dpkg -s vorla-button >/dev/null 2>&1; then fail "still installed after the purge"; fi
while IFS= read -r path; do
  if [ -e "$path" ] && [ ! -d "$path" ]; then fail "$path is left behind"; fi
done <"$work/files"
for folder in /usr/share/vorla-button /usr/share/pennant-adserver /usr/include/pennant /usr/lib/cmake/Pennant; do
  [ ! -e "$folder" ] || fail "$folder is left behind"
done
echo "package test passed: $(basename "$deb")"
