#!/bin/sh
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in ./build-fuzz (or $TARN_FUZZ_BUILD_DIR) and
# runs each one for SECONDS seconds (default 60) on a copy of its seed corpus;
# SECONDS 0 only builds them. For long runs see scripts/fuzz-campaign.sh.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#
# TARGET names are those of fuzz/corpus/ (description, config_document, ...);
# without any, every target runs. Targets run side by side, as many at a time
# as there are processors ($TARN_FUZZ_JOBS to choose). Exits non-zero when a
# target crashes, leaks, hangs, breaks a consistency check or reports
# undefined behaviour; the input that did it and the log are kept in
# build-fuzz/findings/<target>/.
set -eu
cd "$(dirname "$0")/.."
ROOT=$(pwd)

SECONDS_PER_TARGET="${1:-60}"
[ $# -gt 0 ] && shift
case "$SECONDS_PER_TARGET" in
    ''|*[!0-9]*) echo "fuzz: SECONDS must be a whole number" >&2; exit 2 ;;
esac

# clang and its libFuzzer runtime, besides what every build needs.
scripts/setup-debian.sh
PACKAGES="clang libclang-rt-dev"
missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        SUDO=""
    elif command -v sudo >/dev/null 2>&1; then
        SUDO="sudo"
    else
        echo "fuzz: missing packages:$missing; run as root or install sudo" >&2
        exit 1
    fi
    echo "fuzz: installing$missing" >&2
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq >/dev/null
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

BUILD_DIR="${TARN_FUZZ_BUILD_DIR:-build-fuzz}"
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTARN_FUZZ=ON -DTARN_BUILD_TESTS=OFF >/dev/null
fi
# Only the fuzz targets, the libraries they need and the tree container.
cmake --build "$BUILD_DIR" --target tarn_fuzz -j "$(nproc)"
# SECONDS 0: only build (scripts/fuzz-campaign.sh uses it).
[ "$SECONDS_PER_TARGET" -eq 0 ] && exit 0

if [ $# -gt 0 ]; then
    TARGETS="$*"
else
    TARGETS=$(ls fuzz/corpus)
fi
for target in $TARGETS; do
    if [ ! -x "$BUILD_DIR/bin/fuzz_$target" ]; then
        echo "fuzz: no target $target" >&2
        exit 2
    fi
done

WORK="$BUILD_DIR/fuzz-run"
FINDINGS="$BUILD_DIR/findings"
rm -rf "$WORK" "$FINDINGS"
mkdir -p "$WORK" "$FINDINGS"

# One target: a scratch copy of its corpus (the seeds in git stay as they
# are), the run, and its verdict in $WORK/<target>.rc.
run_target() {
    target=$1
    corpus="$WORK/$target/corpus"
    artifacts="$FINDINGS/$target/"
    mkdir -p "$corpus" "$artifacts"
    cp fuzz/corpus/"$target"/* "$corpus"/
    set +e
    # The corpus is this run's own: no other process adds to it, so
    # libFuzzer need not read it again every second (-reload=0).
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        "$BUILD_DIR/bin/fuzz_$target" "$corpus" -reload=0 \
        -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts" \
        >"$WORK/$target.log" 2>&1
    echo $? >"$WORK/$target.rc"
    set -e
}

JOBS="${TARN_FUZZ_JOBS:-$(nproc)}"
running=0
for target in $TARGETS; do
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
        wait
        running=0
    fi
done
wait

failed=0
for target in $TARGETS; do
    rc=$(cat "$WORK/$target.rc")
    summary=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$WORK/$target.log" | tail -n 1 || true)
    if [ "$rc" -eq 0 ]; then
        echo "fuzz: $target ok: ${summary:-no summary}"
    else
        failed=1
        cp "$WORK/$target.log" "$FINDINGS/$target/"
        echo "fuzz: $target FAILED (exit $rc); input and log in $FINDINGS/$target/" >&2
        grep -E 'ERROR:|SUMMARY:|consistency check failed|runtime error' "$WORK/$target.log" \
            | head -n 5 >&2 || true
    fi
done
exit "$failed"
