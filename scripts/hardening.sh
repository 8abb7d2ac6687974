#!/bin/sh
# The checks beyond the test suite, as CI runs them:
#  1. the whole test suite built with AddressSanitizer and
#     UndefinedBehaviorSanitizer (build-asan);
#  2. the engine, scanner, connection-worker and line tests built with
#     ThreadSanitizer (build-tsan);
#  3. every fuzz target for FUZZ_SECONDS seconds (default 60; scripts/fuzz.sh).
# Each step installs what it needs. Exits non-zero at the first failure.
set -eu
cd "$(dirname "$0")/.."
FUZZ_SECONDS="${1:-60}"
JOBS="$(nproc)"

scripts/setup-debian.sh

echo "== AddressSanitizer + UndefinedBehaviorSanitizer: the whole suite"
[ -f build-asan/build.ninja ] || cmake -S . -B build-asan -G Ninja -DTARN_SANITIZE=address >/dev/null
cmake --build build-asan -j "$JOBS"
# The program on a real X server (the end-to-end tests on Xvfb) holds a D-Bus
# connection that libdbus never frees: tests/lsan.supp.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS" --timeout 900

echo "== ThreadSanitizer: engine, scanners, connection worker, line"
[ -f build-tsan/build.ninja ] || cmake -S . -B build-tsan -G Ninja -DTARN_SANITIZE=thread >/dev/null
cmake --build build-tsan -j "$JOBS" --target test_engine test_comm
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/bin/test_engine
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/bin/test_comm

echo "== Fuzzing: ${FUZZ_SECONDS} s per target"
scripts/fuzz.sh "$FUZZ_SECONDS"
