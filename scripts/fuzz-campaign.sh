#!/bin/sh
# A long fuzzing campaign: every target (or the ones named) for MINUTES
# minutes, as many side by side as there are processors, on a corpus that
# grows from run to run outside git ($TARN_FUZZ_CAMPAIGN_DIR, default
# ~/.cache/tarn-fuzz/<target>; the seeds of fuzz/corpus/ are added to it).
# A target runs in rounds of at most ROUND seconds (default 360) so that a
# crash does not end its campaign: each crash, leak or hang is copied to
# tests/data/fuzz_regressions/<target>/ under its libFuzzer name, where the
# test suite replays it (test fuzz_replay.<target>) once it is committed.
# Prints each round's last status line.
#
#   scripts/fuzz-campaign.sh MINUTES [TARGET...]
set -eu
cd "$(dirname "$0")/.."
MINUTES="${1:?usage: scripts/fuzz-campaign.sh MINUTES [TARGET...]}"
shift
case "$MINUTES" in
    ''|*[!0-9]*) echo "fuzz-campaign: MINUTES must be a whole number" >&2; exit 2 ;;
esac
ROUND="${ROUND:-360}"
CAMPAIGN="${TARN_FUZZ_CAMPAIGN_DIR:-$HOME/.cache/tarn-fuzz}"
BUILD_DIR="${TARN_FUZZ_BUILD_DIR:-build-fuzz}"

# Builds the targets (and installs clang) without fuzzing.
scripts/fuzz.sh 0

if [ $# -gt 0 ]; then TARGETS="$*"; else TARGETS=$(ls fuzz/corpus); fi

campaign_target() {
    target=$1
    corpus="$CAMPAIGN/$target/corpus"
    findings="$CAMPAIGN/$target/findings"
    mkdir -p "$corpus" "$findings"
    cp -n fuzz/corpus/"$target"/* "$corpus"/ 2>/dev/null || true
    left=$((MINUTES * 60))
    round=0
    while [ "$left" -gt 0 ]; do
        round=$((round + 1))
        seconds=$ROUND
        [ "$left" -lt "$seconds" ] && seconds=$left
        log="$CAMPAIGN/$target/round$round.log"
        set +e
        # One process a corpus: nothing else adds to it (-reload=0).
        ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1" \
        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
            "$BUILD_DIR/bin/fuzz_$target" "$corpus" -reload=0 -max_total_time="$seconds" \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$findings/" >"$log" 2>&1
        set -e
        left=$((left - seconds))
        echo "fuzz-campaign: $target round $round (${seconds} s): $(grep -E '^#[0-9]+' "$log" | tail -n 1)"
    done
    # A finding is copied once: afterwards it waits in findings/kept/, so a
    # later campaign does not bring back one that was mended and renamed.
    for finding in "$findings"/crash-* "$findings"/leak-* "$findings"/timeout-*; do
        [ -f "$finding" ] || continue
        kept="tests/data/fuzz_regressions/$target/$(basename "$finding")"
        mkdir -p "tests/data/fuzz_regressions/$target" "$findings/kept"
        if [ ! -e "$kept" ]; then
            cp "$finding" "$kept"
            echo "fuzz-campaign: $target: new finding $(basename "$finding") kept; the suite replays it (fuzz_replay.$target)" >&2
        fi
        mv "$finding" "$findings/kept/"
    done
}

JOBS="${TARN_FUZZ_JOBS:-$(nproc)}"
running=0
for target in $TARGETS; do
    campaign_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
        wait
        running=0
    fi
done
wait
