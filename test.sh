#!/usr/bin/env bash
# Builds everything and runs every test.
#   ./test.sh          build/ with warnings as errors, then ctest
#   ./test.sh --asan   build-asan/ with AddressSanitizer and UBSan (halt on error)
# Extra arguments after the flag go to ctest (for example -R json).
set -euo pipefail
cd "$(dirname "$0")"

mode=plain
if [ "${1:-}" = "--asan" ]; then mode=asan; shift; fi

tools/install-deps.sh

if [ $mode = asan ]; then
  dir=build-asan
  flags=(-DPENNANT_SANITIZE=ON -DPENNANT_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=1"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$PWD/tests/support/ubsan.supp"
else
  dir=build
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi

cmake -S . -B "$dir" -G Ninja -DPENNANT_WERROR=ON "${flags[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure "$@"
