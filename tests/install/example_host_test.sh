#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks libpennant as a host
# program's developer meets it:
#   - the library is versioned (SONAME libpennant.so.1) and exports only the
#     public interface;
#   - the installed headers include nothing but each other;
#   - examples/minimal-host, copied out of the source tree, builds against
#     the installed library alone, with find_package(Pennant) and with
#     pkg-config;
#   - run headless against the installed ad server, it shows its banner in
#     its own colours, sends its keywords, fetches no browser icons (its
#     embedded browser is off) and asks for a fresh ad a minute later.
#
#   example_host_test.sh SOURCE_DIR BUILD_DIR [COMPILER FLAGS]
# Sanitizer builds pass their flags, so the example is built the same way.
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
flags=${3:-}
work=$(mktemp -d)
prefix=$work/prefix
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# shellcheck source=tests/install/adserver.sh
. "$(dirname "$0")/adserver.sh"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log" >&2; fail "install"; }
library=$(find "$prefix" -name 'libpennant.so.1' | head -n 1)
[ -n "$library" ] || fail "no libpennant.so.1 installed"
readelf -d "$library" | grep 'Library soname: \[libpennant.so.1\]' >/dev/null || fail "the SONAME is not libpennant.so.1"

# Exported: the banner view's members, the hosting entry point, the members
# of the value types a host delegate returns, and the type information of
# the classes a host holds or derives from. Nothing else.
nm -D --defined-only -C "$library" | sed -n 's/^[0-9a-f]* [A-Za-z] //p' | sed 's/@@PENNANT_1$//' | grep -v '^PENNANT_1$' >"$work/exports"
[ -s "$work/exports" ] || fail "the library exports nothing"
if grep -v -E '^(pennant::PennantView::|pennant::PennantHost::|platform::Date::|platform::Url::|typeinfo (name )?for (pennant::Pennant(View|Delegate|HostWindow)|platform::ui::(View|Responder))$)' \
    "$work/exports"; then
  fail "symbols beyond the public interface are exported (above)"
fi
for wanted in 'pennant::PennantView::requestAdWithDelegate(' 'pennant::PennantView::requestFreshAd()' \
    'pennant::PennantView::version' 'pennant::PennantHost::main('; do
  grep -qF "$wanted" "$work/exports" || fail "$wanted is not exported"
done

# The headers are one flat folder that includes only itself.
headers=$prefix/include/pennant
for header in PennantView.h PennantDelegate.h PennantHost.h PennantHostWindow.h; do
  [ -f "$headers/$header" ] || fail "include/pennant/$header is not installed"
done
if grep -h '^#include "' "$headers"/*.h | grep '/'; then fail "an installed header includes a project path (above)"; fi
while IFS= read -r name; do
  [ -f "$headers/$name" ] || fail "an installed header includes $name, which is not installed"
done < <(grep -h '^#include "' "$headers"/*.h | sed 's/^#include "\(.*\)".*/\1/' | sort -u)

# The example, away from the source tree, built with find_package only.
cp -r "$src/examples/minimal-host" "$work/example"
cmake -S "$work/example" -B "$work/example-build" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >"$work/configure.log" 2>&1 ||
  { cat "$work/configure.log" >&2; fail "the example does not configure"; }
cmake --build "$work/example-build" >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; fail "the example does not build"; }
host=$work/example-build/minimal-host
if [ -n "$flags" ]; then
  # The same font-library allocations the project's own test programs leave
  # to the leak checker (tests/support/LeakSuppressions.cpp), which the
  # example does not link.
  printf 'leak:FcDefaultSubstitute\nleak:FcFontRenderPrepare\nleak:FcFontSetList\nleak:FcFontSetMatch\nleak:XML_ParseBuffer\n' \
    >"$work/leaks.supp"
  export LSAN_OPTIONS="suppressions=$work/leaks.supp"
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0"
fi

# And with pkg-config.
pcdir=$(dirname "$(find "$prefix" -name pennant.pc | head -n 1)")
# shellcheck disable=SC2046
c++ -std=c++20 $flags -o "$work/minimal-host-pc" "$work/example"/*.cpp \
  $(PKG_CONFIG_PATH=$pcdir pkg-config --cflags --libs pennant) 2>"$work/pc.log" ||
  { cat "$work/pc.log" >&2; fail "the example does not build with pkg-config"; }
LD_LIBRARY_PATH=$(dirname "$library") "$work/minimal-host-pc" --help | grep 'Usage: minimal-host' >/dev/null ||
  fail "the pkg-config build does not run"

# Run against the installed ad server.
start_adserver "$prefix/bin/pennant-adserver" "$work/server.out" || fail "the ad server did not start"

"$host" --help >"$work/help.txt" || fail "minimal-host --help failed"
grep -q 'MINIMAL_HOST_REQUEST_HOST' "$work/help.txt" || fail "--help does not name the host's own variables"

printf 'wait 1\nscreenshot first\nwait 60\nscreenshot later\nquit\n' >"$work/script"
out=$work/out
status=0
MINIMAL_HOST_REQUEST_HOST=$url "$host" --headless --script "$work/script" --out "$out" --home "$work/home" \
  --media-host "$url" --wall-time 2009-06-02T12:00:00Z 2>"$work/host.err" || status=$?
[ "$status" -eq 0 ] || { cat "$work/host.err" >&2; fail "minimal-host exited with $status"; }
grep -q 'the first ad arrived' "$work/host.err" || { cat "$work/host.err" >&2; fail "no first ad"; }
journal=$out/events.jsonl
requests=$(grep -c '"type":"http","url":"[^"]*/ad_source.php?[^"]*k=coffee%20bakery' "$journal" || true)
[ "$requests" -eq 2 ] || { cat "$journal" >&2; fail "expected the first and one fresh ad request with the keywords, saw $requests"; }
grep -q 'ad_source.php?s=c7e41a9b3d0f5e2&' "$journal" || fail "the publisher identifier was not sent"
if grep -q '/static/iphone/browser/' "$journal"; then fail "browser icons were fetched with the browser off"; fi
if grep -q 'Missing resource' "$journal"; then cat "$journal" >&2; fail "a resource was reported missing"; fi

# The first ad is a text ad: its banner has the host's colours on the
# host's background.
near() { # near "r g b" R G B
  read -r r g b <<<"$1"
  [ $((r > $2 ? r - $2 : $2 - r)) -le 12 ] && [ $((g > $3 ? g - $3 : $3 - g)) -le 12 ] &&
    [ $((b > $4 ? b - $4 : $4 - b)) -le 12 ]
}
pixel() { python3 "$src/tests/install/png_pixel.py" "$out/$1.png" "$2" "$3"; }
near "$(pixel first 100 470)" 0x1d 0x4e 0x2b || fail "the banner is not the host's green: $(pixel first 100 470)"
near "$(pixel first 160 200)" 0xf2 0xee 0xe3 || fail "the window is not the host's colour: $(pixel first 160 200)"
[ "$(pixel later 160 200)" = "$(pixel first 160 200)" ] || fail "the window changed"
echo "example host test passed"
