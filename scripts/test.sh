#!/usr/bin/env bash
# Sets up a fresh Debian or Ubuntu machine and runs every test: the full build with warnings as
# errors (core, Qt view and end-to-end tests), then the core's tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then the core's tests cross-compiled for Windows and run under Wine,
# then the release check (scripts/check-release.sh), then a one-minute fuzz run of the settings
# reader and writer.
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
# The screen-reader test is what shows that the Qt front end can be used without sight; on a
# machine that setup.sh made, nothing it needs is missing, so a run without it has failed.
if ! grep -Eq 'Test +#[0-9]+: e2e_accessibility \.* +Passed' "$logs/ci.log"; then
  echo "The screen-reader test (e2e_accessibility) did not pass: it was skipped or left out" >&2
  exit 1
fi
run_suite ci-sanitize

# The core and its tests cross-compiled for Windows with warnings as errors, and the tests run
# under Wine. Without Wine the build is still checked; without MinGW-w64 neither is done. A
# failure is reported at the end, after the closing line.
windows_status=0
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "Skipping the Windows build and tests: MinGW-w64 (g++-mingw-w64-x86-64-posix) is not installed"
elif ! command -v wineserver >/dev/null 2>&1; then
  cmake --preset windows-core
  cmake --build --preset windows-core -j "$jobs"
  echo "Skipping the Windows tests: Wine (packages wine, wine64) is not installed; the core's Windows build was checked"
else
  cmake --preset windows
  cmake --build --preset windows -j "$jobs"
  # Verbose, so that the log keeps each skip's reason; CTest's summary is shown, then the skips
  # with their reasons, and on a failure the whole log.
  ctest --preset windows -j "$jobs" -V >"$logs/windows.verbose" 2>&1 || windows_status=$?
  sed -n '/tests passed, [0-9]* tests failed out of/,$p' "$logs/windows.verbose" |
    tee "$logs/windows.log"
  awk '/^[0-9]+: .*: Skipped$/ { want[$1] = 1; next }
       ($1 in want) && !($1 in why) { line = $0; sub(/^[0-9]+: /, "", line); why[$1] = line; next }
       ($1 in why) && /\[  SKIPPED \]/ {
         name = $0; sub(/^.*\[  SKIPPED \] /, "", name); sub(/ \([0-9]+ ms\)$/, "", name)
         print "skipped on Windows: " name ": " why[$1]; delete want[$1]; delete why[$1]
       }' "$logs/windows.verbose"
  if [ "$windows_status" -ne 0 ]; then
    cat "$logs/windows.verbose"
    echo "The Windows tests failed (their whole log is above)" >&2
  fi
fi

# The release as a player gets it (scripts/check-release.sh): dist/ made from this commit, the
# .exe's size and pixels, the unpacked programs starting and saving, and a second build in
# another folder giving the same bytes. It needs everything the Windows tests need.
release_status=0
if command -v wineserver >/dev/null 2>&1 && command -v x86_64-w64-mingw32-g++-win32 >/dev/null 2>&1; then
  scripts/check-release.sh 2>&1 | tee "$logs/release.log" || release_status=$?
else
  echo "Skipping the release check: it needs Wine and MinGW-w64 (win32 threads)"
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

# One closing line over all test runs. CTest counts a skipped test among the passed ones.
awk '/tests passed, [0-9]+ tests failed out of/ { failed += $4; total += $NF }
     /^release: [0-9]+ passed, [0-9]+ failed$/ { failed += $4; total += $2 + $4 }
     /^[[:space:]]*[0-9]+ - .* \(Skipped\)$/ { skipped++ }
     END { printf "all suites: %d passed, %d failed, %d skipped\n", total - failed - skipped, failed, skipped }' \
  "$logs"/*.log
[ "$windows_status" -eq 0 ] && [ "$release_status" -eq 0 ]
