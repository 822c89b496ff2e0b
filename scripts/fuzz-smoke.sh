#!/bin/sh
# Builds the reader's fuzzer and runs it for a while (60 seconds unless given) over the
# kept corpus and freshly written seeds. Exits non-zero on any crash, leak, timeout or
# out-of-memory; the input that caused it is left in build/fuzz/findings/.
set -eu
cd "$(dirname "$0")/.."
SECONDS_TO_RUN="${1:-60}"
# Real tables from other readers' test folders seed it too, when they are at hand.
PEERS="${TABRIVEL_PEER_FIXTURES:-../shared/fixtures/peers}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds" build/fuzz/findings
cp fuzz/corpus/* "$work/corpus/" 2>/dev/null || true
./build/fuzz/bin/tabrivel-fuzz-seeds "$work/seeds" "$PEERS"

./build/fuzz/bin/tabrivel-reader-fuzzer -max_len=2048 -rss_limit_mb=512 -timeout=5 \
    -max_total_time="$SECONDS_TO_RUN" -print_final_stats=1 \
    -artifact_prefix=build/fuzz/findings/ "$work/corpus" "$work/seeds"
