#!/bin/sh
# Replays the kept fuzz corpus and freshly written seeds once under valgrind's memcheck.
# The fuzzer's sanitizers see only our own code; this pass also catches reads beyond a
# buffer inside the libraries the reader hands buffers to (ICU's converters).
set -eu
cd "$(dirname "$0")/.."
PEERS="${TABRIVEL_PEER_FIXTURES:-../shared/fixtures/peers}"

cmake --preset replay >/dev/null
cmake --build --preset replay

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
./build/replay/bin/tabrivel-fuzz-seeds "$work/seeds" "$PEERS"

valgrind --tool=memcheck --error-exitcode=99 --leak-check=no --track-origins=no \
    --quiet ./build/replay/bin/tabrivel-fuzz-replay fuzz/corpus "$work/seeds"
echo "valgrind: no memory errors"
