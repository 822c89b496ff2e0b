#!/bin/sh
# The checks that need no test run: every source file formatted as .clang-format says,
# and clang-tidy's bugprone, performance and modernize checks clean over the program's
# own code (the dev build's compile commands say how each file is built).
set -eu
cd "$(dirname "$0")/.."

ROOMS="app companion engine fs inputs results shell samples bench fuzz tests"
sources() {
    for room in $ROOMS; do
        [ -d "$room" ] && find "$room" \( -name '*.cpp' -o -name '*.h' \) -print
    done
}

echo "== formatting"
sources | xargs clang-format --dry-run -Werror

echo "== clang-tidy"
cmake --preset dev >/dev/null
# Generated sources (moc, resources) are needed before a file that includes them parses.
cmake --build --preset dev
jobs="$(nproc 2>/dev/null || echo 2)"
production="$(printf '%s|' app companion engine fs inputs results shell samples | sed 's/|$//')"
run-clang-tidy -quiet -p build/dev -j "$jobs" "$(pwd)/($production)/" >build/clang-tidy.log 2>&1 ||
    { grep -E 'warning:|error:' build/clang-tidy.log | sort -u; exit 1; }
echo "clean"
