#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses what was installed the
# way a user would, with the source and build trees' own copies of the
# bundle and of the sample inventory hidden, so that nothing installed can
# lean on them:
#   - the programs, the bundle, the desktop entry (desktop-file-validate), its
#     icons, the sample inventory and the manual pages are in place;
#   - no installed file names the source or the build tree;
#   - the installed ad server finds its inventory by itself, and the
#     installed app, run headless against it, plays its sound, loads its
#     font rules and shows an ad.
#
#   install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
work=$(mktemp -d)
prefix=$work/prefix
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
# shellcheck source=tests/install/adserver.sh
. "$(dirname "$0")/adserver.sh"

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log" >&2; fail "install"; }

for file in bin/vorla-button bin/pennant-adserver bin/pennant-inspect \
    share/vorla-button/ThatWasVorla.wav share/vorla-button/AsiDeTrimo.wav share/vorla-button/VorlaButton.png \
    share/vorla-button/links.strings share/vorla-button/fonts/fonts.conf \
    share/applications/vorla-button.desktop share/pennant-adserver/inventory/pictures.json \
    share/man/man1/vorla-button.1 share/man/man1/pennant-adserver.1 share/man/man1/pennant-inspect.1; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done
for program in vorla-button pennant-adserver pennant-inspect; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
done
desktop-file-validate "$prefix/share/applications/vorla-button.desktop" || fail "the desktop entry is not valid"
grep -qx 'Icon=vorla-button' "$prefix/share/applications/vorla-button.desktop" || fail "the desktop entry names another icon"

# Each icon is a PNG of the size its folder says (the width and height are
# the big-endian words at bytes 16 and 20).
for size in 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/vorla-button.png
  [ -s "$icon" ] || fail "no ${size}x${size} icon"
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the ${size}px icon is not a PNG"
  dims=$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ' | sed 's/^ //')
  read -r w1 w2 w3 w4 h1 h2 h3 h4 <<<"$dims"
  [ $(((w1 << 24) + (w2 << 16) + (w3 << 8) + w4)) -eq "$size" ] && [ $(((h1 << 24) + (h2 << 16) + (h3 << 8) + h4)) -eq "$size" ] ||
    fail "the ${size}px icon is $dims"
done

# The manual pages are the programs' own --help.
grep -q 'headless' "$prefix/share/man/man1/vorla-button.1" || fail "vorla-button.1 lacks --headless"
grep -q 'request\\-host' "$prefix/share/man/man1/vorla-button.1" || fail "vorla-button.1 lacks --request-host"
grep -q 'inventory' "$prefix/share/man/man1/pennant-adserver.1" || fail "pennant-adserver.1 lacks --inventory"
grep -q 'user\\-agent' "$prefix/share/man/man1/pennant-inspect.1" || fail "pennant-inspect.1 lacks user-agent"

# Nothing installed names the trees it came from. Debugging information
# records where the sources were compiled, so programs are read without it.
# A sanitizer build also keeps, for its reports, the path of every source
# file it instrumented (GCC does not remap those); such a build is never
# shipped, so there only those paths are allowed.
sanitized=no
if grep -q '^PENNANT_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then sanitized=yes; fi
regex_of() { printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g'; }
source_path="($(regex_of "$src")|$(regex_of "$build"))/[A-Za-z0-9_/.+-]+\.(cpp|h)"
while IFS= read -r -d '' file; do
  scanned=$file
  if [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = 7f454c46 ]; then
    scanned=$work/scanned
    objcopy --strip-debug "$file" "$scanned"
    if [ $sanitized = yes ]; then
      strings -a "$scanned" | grep -vxE "$source_path" >"$work/scanned.txt" || true
      scanned=$work/scanned.txt
    fi
  fi
  for tree in "$src" "$build"; do
    if grep -qF "$tree" "$scanned"; then fail "${file#"$prefix"/} names $tree"; fi
  done
done < <(find "$prefix" -type f -print0)

# Uses the installed programs with the trees' copies out of sight.
use_installed() {
  local out=$work/out
  [ -z "$(ls -A "$src/assets")" ] || fail "the source tree's assets are still visible"
  [ ! -e "$build/share/vorla-button/ThatWasVorla.wav" ] || fail "the build tree's bundle is still visible"
  local server url
  start_adserver "$prefix/bin/pennant-adserver" "$work/server.out" ||
    fail "the installed ad server did not start on its own inventory"
  printf 'tap 160 239\nwait 2\nscreenshot after\nquit\n' >"$work/script"
  local status=0
  env -u VORLA_BUNDLE_DIR "$prefix/bin/vorla-button" --headless --script "$work/script" --out "$out" \
    --home "$work/home" --wall-time 2009-06-02T12:00:00Z --request-host "$url" --media-host "$url" \
    2>"$work/app.err" || status=$?
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  [ "$status" -eq 0 ] || { cat "$work/app.err" >&2; fail "the installed app exited with $status"; }
  local journal=$out/events.jsonl
  grep -q '"type":"sound".*"file":"ThatWasVorla.wav"' "$journal" || { cat "$journal" >&2; fail "no sound was played"; }
  if grep -q 'Missing resource\|Font rules\|font rules' "$journal"; then cat "$journal" >&2; fail "a resource is missing"; fi
  grep -q '"text":"Pennant: Did receive ad"' "$journal" || { cat "$journal" >&2; fail "no ad arrived"; }
  [ -s "$out/after.png" ] || fail "no screenshot"
}

hidden="$src/assets $src/tools/adserver/inventory $build/share"
if unshare --mount --propagation private true 2>/dev/null; then
  # A private mount namespace: the trees are hidden from this test alone.
  export -f use_installed fail start_adserver
  export src build prefix work
  unshare --mount --propagation private bash -c '
    set -euo pipefail
    for folder in '"$hidden"'; do mount -t tmpfs none "$folder"; done
    use_installed'
else
  # Without mount namespaces the copies are moved aside and put back.
  restore() { for folder in $hidden; do [ -e "$folder.hidden-$$" ] && mv "$folder.hidden-$$" "$folder"; done; rm -rf "$work"; }
  trap restore EXIT
  for folder in $hidden; do mv "$folder" "$folder.hidden-$$"; mkdir "$folder"; done
  use_installed
  for folder in $hidden; do rmdir "$folder"; done
fi
echo "install test passed: $prefix"
