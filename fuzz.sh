#!/usr/bin/env bash
# Fuzzes the readers of outside bytes with libFuzzer (clang 14, ASan and UBSan).
#   ./fuzz.sh NAME SECONDS    fuzz one target for that long, growing fuzz/corpus/NAME
#   ./fuzz.sh NAME --replay   run every corpus file of that target once, no mutation
#   ./fuzz.sh all --replay    replay every target (what CI runs)
#   ./fuzz.sh all SECONDS     fuzz every target in turn, each for that long
# The targets are the fuzz/NAME_fuzzer.cpp files. Crashers and inputs that
# break a target's property land in fuzz/artifacts/; add each to the corpus
# with its fix.
set -euo pipefail
cd "$(dirname "$0")"
usage="usage: ./fuzz.sh NAME|all SECONDS|--replay"
target=${1:?$usage}
what=${2:?$usage}

if [ "$target" = all ]; then
  targets=()
  for source in fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" _fuzzer.cpp)
    targets+=("$name")
  done
else
  if [ ! -f "fuzz/${target}_fuzzer.cpp" ]; then
    echo "no fuzz target '$target' (fuzz/${target}_fuzzer.cpp)" >&2
    exit 2
  fi
  targets=("$target")
fi
if [ "$what" != "--replay" ] && ! [[ "$what" =~ ^[0-9]+$ ]]; then
  echo "$usage" >&2
  exit 2
fi

tools/install-deps.sh
cmake -S fuzz/libfuzzer -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target "${targets[@]/%/_fuzzer}"

mkdir -p fuzz/artifacts
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=()
for name in "${targets[@]}"; do
  corpus="fuzz/corpus/$name"
  fuzzer="build-fuzz/${name}_fuzzer"
  # A picture is decoded only within its role's limit, so no decode needs
  # more than a few megabytes; a larger allocation is a finding.
  limits=()
  if [ "$name" = image_header ]; then limits=(-malloc_limit_mb=32); fi
  if [ "$what" = "--replay" ]; then
    echo "== $name: replaying $corpus"
    "$fuzzer" -runs=0 "${limits[@]}" "$corpus" || failed+=("$name")
  else
    echo "== $name: fuzzing for $what seconds"
    work=$(mktemp -d)
    "$fuzzer" -max_total_time="$what" -max_len=65536 -timeout=5 "${limits[@]}" \
      -artifact_prefix="fuzz/artifacts/${name}-" "$work" "$corpus" || failed+=("$name")
    # Keep only inputs that add coverage to the committed corpus, also
    # after a finding, so the time spent is not lost.
    "$fuzzer" -merge=1 "${limits[@]}" "$corpus" "$work" >/dev/null 2>&1 || true
    rm -rf "$work"
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]} (inputs in fuzz/artifacts/)" >&2
  exit 1
fi
