#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine and runs every test: the full build with warnings as
# errors (core, Qt view and end-to-end tests), then the core's tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a one-minute fuzz run of the settings reader and writer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# run_suite <preset>: configure, build and test one preset, keeping CTest's summary.
run_suite() {
  cmake --preset "$1"
  cmake --build --preset "$1" -j "$jobs"
  ctest --preset "$1" -j "$jobs" 2>&1 | tee "$logs/$1.log"
}

run_suite ci
run_suite ci-sanitize

# The core's Windows code (files, drive letters) cross-compiled with warnings as errors.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  cmake --preset windows-core
  cmake --build --preset windows-core -j "$jobs"
else
  echo "Skipping the Windows build check: MinGW-w64 (g++-mingw-w64-x86-64-posix) is not installed"
fi

# A bounded fuzz run of the settings reader and writer (about a minute), where clang's libFuzzer
# is available. The seed corpus stays as it is; what the run finds goes to a scratch folder.
fuzz_probe=$(mktemp -d)
if command -v clang++ >/dev/null 2>&1 &&
  printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
    'extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }' |
  clang++ -fsanitize=fuzzer -x c++ - -o "$fuzz_probe/probe" >/dev/null 2>&1; then
  rm -rf "$fuzz_probe"
  cmake --preset fuzz
  cmake --build --preset fuzz -j "$jobs"
  fuzz_work=build/fuzz/run
  rm -rf "$fuzz_work"
  mkdir -p "$fuzz_work/corpus" "$fuzz_work/artifacts"
  echo "Fuzzing the settings reader and writer for 60 s"
  if ! build/fuzz/fuzz/fuzz_config -max_total_time=60 -timeout=10 -rss_limit_mb=2048 \
    -dict=fuzz/voz.dict -print_final_stats=1 -artifact_prefix="$fuzz_work/artifacts/" \
    "$fuzz_work/corpus" fuzz/corpus >"$fuzz_work/log" 2>&1; then
    tail -n 60 "$fuzz_work/log"
    echo "The fuzzer found a fault; the input is in $fuzz_work/artifacts/" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+[[:space:]]+DONE|Done [0-9]+ runs|stat::)' "$fuzz_work/log"
else
  rm -rf "$fuzz_probe"
  echo "Skipping the fuzz run: clang++ with libFuzzer (packages clang and libclang-rt-dev) is not available"
fi

# One closing line over both test runs.
awk '/tests passed, [0-9]+ tests failed out of/ {
       failed += $4; total += $NF
     }
     END { printf "all suites: %d passed, %d failed\n", total - failed, failed }' "$logs"/*.log
