#!/bin/sh
# Line coverage of the engine's code by the test suite: builds the engine and
# its tests with gcov's counters in the given folder (build-coverage by
# default), runs every test once, and prints gcovr's summary of the engine's
# folders (the code of other systems is left out).
#   scripts/coverage.sh [build-folder]
set -e
cd "$(dirname "$0")/.."
build=${1:-build-coverage}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOR_COVERAGE=ON > /dev/null
cmake --build "$build" -j 2
find "$build" -name '*.gcda' -delete
(cd "$build" && ctest -j 2 --output-on-failure --timeout 600) || echo "some tests failed; coverage counts what ran"
gcovr --root . --object-directory "$build" \
    --filter 'board/' --filter 'eval/' --filter 'search/' --filter 'book/' --filter 'egtb/' \
    --filter 'engine/' --filter 'frontend/' --exclude '.*_windows\.cpp' \
    --print-summary --txt "$build/coverage.txt"
