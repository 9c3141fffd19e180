#!/bin/sh
# Fills the profile of the counting engine (QUOR_PGO=GENERATE) by running the
# searches the optimised build should be fast at: the bench, and a perft of
# the start position. Usage: pgo-train.sh ENGINE PROFILE_DIR [RUNNER ...]
# RUNNER, when given, starts the engine (wine, qemu-aarch64). Counts written
# by clang are merged into PROFILE_DIR/quor.profdata by LLVM_PROFDATA (the
# llvm-profdata of that clang's version).
# Skipped when the profile is newer than the engine, which then has not
# changed since its last training.
set -e
engine=$(realpath "$1")
profile=$(realpath -m "$2")
shift 2
stamp="$profile/trained"
[ -f "$stamp" ] && [ "$stamp" -nt "$engine" ] && exit 0
rm -rf "$profile"
mkdir -p "$profile"
echo "Training the optimised build on the bench and a perft ..."
# In the profile folder, so that no quor.cfg or book changes what runs.
(cd "$profile" && printf 'bench 8\nperft 5\nquit\n' | "$@" "$engine" > training.log)
if ls "$profile"/*.profraw > /dev/null 2>&1; then
    "${LLVM_PROFDATA:-llvm-profdata}" merge -o "$profile/quor.profdata" "$profile"/*.profraw
fi
touch "$stamp"
