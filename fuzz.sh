#!/usr/bin/env bash
# Fuzzes one target with libFuzzer (clang 14, ASan and UBSan).
#   ./fuzz.sh json SECONDS    fuzz for that long, growing fuzz/corpus/json
#   ./fuzz.sh json --replay   run every corpus file once, no mutation
# Crashers land in fuzz/artifacts/; add each to the corpus with its fix.
set -euo pipefail
cd "$(dirname "$0")"
target=${1:?usage: ./fuzz.sh TARGET SECONDS|--replay}
what=${2:?usage: ./fuzz.sh TARGET SECONDS|--replay}

tools/install-deps.sh
cmake -S fuzz/libfuzzer -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target "${target}_fuzzer"

mkdir -p fuzz/artifacts
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
corpus="fuzz/corpus/$target"
if [ "$what" = "--replay" ]; then
  build-fuzz/"${target}_fuzzer" -runs=0 "$corpus"
else
  work=$(mktemp -d)
  build-fuzz/"${target}_fuzzer" -max_total_time="$what" -max_len=65536 -timeout=10 \
    -artifact_prefix=fuzz/artifacts/ "$work" "$corpus"
  # Keep only inputs that add coverage to the committed corpus.
  build-fuzz/"${target}_fuzzer" -merge=1 "$corpus" "$work" >/dev/null 2>&1 || true
  rm -rf "$work"
fi
