#!/bin/sh
# Builds the reader's fuzzers and runs each for a while over its kept corpus and freshly
# written seeds: the small-table fuzzer for SECONDS (60 unless given), the large-table
# fuzzer for half as long. Exits non-zero on any crash, leak, timeout or out-of-memory;
# the input that caused it is left in build/fuzz/findings/.
set -eu
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-60}"
# Real tables from other readers' test folders seed it too, when they are at hand.
PEERS="${TABRIVEL_PEER_FIXTURES:-../shared/fixtures/peers}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds" "$work/large" build/fuzz/findings
cp fuzz/corpus/* "$work/corpus/" 2>/dev/null || true
cp fuzz/corpus-large/* "$work/large/" 2>/dev/null || true
./build/fuzz/bin/tabrivel-fuzz-seeds "$work/seeds" "$PEERS"
./build/fuzz/bin/tabrivel-fuzz-seeds --recipes "$work/recipes"

./build/fuzz/bin/tabrivel-reader-fuzzer -max_len=2048 -rss_limit_mb=512 -timeout=5 \
    -max_total_time="$SECONDS_TO_RUN" -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/ "$work/corpus" "$work/seeds"

# Each input expands to a table and memo of up to 6 MB each.
./build/fuzz/bin/tabrivel-large-table-fuzzer -max_len=256 -rss_limit_mb=2048 -timeout=30 \
    -max_total_time=$((SECONDS_TO_RUN / 2)) -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/large- "$work/large" "$work/recipes"
