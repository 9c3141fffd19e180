#!/bin/sh
# Lines of the engine's code and of its tests, counting neither blank lines,
# comments nor preprocessor lines (the fuzz targets are not counted as tests).
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | xargs -r cat | grep -v -E '^\s*($|//|#|\*|/\*)' | wc -l; }
code=$(count 'board/*.cpp' 'board/*.h' 'eval/*.cpp' 'eval/*.h' 'search/*.cpp' 'search/*.h' 'book/*.cpp' 'book/*.h' \
    'egtb/*.cpp' 'egtb/*.h' 'engine/*.cpp' 'engine/*.h' 'frontend/*.cpp' 'frontend/*.h')
tests=$(count 'tests/*.cpp' 'tests/*.h' 'tests/*.py' ':(exclude)tests/fuzz*')
echo "code $code, tests $tests ($((tests * 100 / code)) %)"
