#!/usr/bin/env bash
# Plays Quor with several threads against Quor with one under headless xboard
# (scripts/match-xboard.sh), to measure what the extra threads gain. xboard
# sends both engines the same "cores" line, so each engine runs behind a
# filter that puts its own thread count in that line.
#
# Usage: scripts/match-threads.sh [--threads N] [match-xboard.sh options] [GAMES]
#   --threads N   threads of the first engine (default 2); the second has 1
# Example, 100 games at 10 s + 0.1 s per move:
#   scripts/match-threads.sh --tc 0:10 --inc 0.1 --no-ponder 100
# The engine is copied into the work folder (default build/match-threads), so
# a rebuild during the match does not change it; each side gets its own copy
# of QuorBook.bin when there is one.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
threads=2
args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --threads) [ $# -ge 2 ] || { echo "--threads needs a value" >&2; exit 2; }
                   threads="$2"; shift ;;
        *) args+=("$1") ;;
    esac
    shift
done
engine="${QUOR_ENGINE:-$root/build/quor}"
workdir="${QUOR_MATCH_DIR:-$root/build/match-threads}"
[ -x "$engine" ] || { echo "no engine at $engine (run: make build)" >&2; exit 1; }

mkdir -p "$workdir"
workdir="$(cd "$workdir" && pwd)"
cp "$engine" "$workdir/quor"
for count in "$threads" 1; do
    side="$workdir/threads-$count"
    mkdir -p "$side"
    if [ -f "$root/QuorBook.bin" ]; then cp "$root/QuorBook.bin" "$side/"; fi
    cat > "$side/run.sh" <<EOF
#!/bin/sh
cd "$side" || exit 1
sed -u "s/^cores .*/cores $count/" | exec "$workdir/quor" "\$@"
EOF
    chmod +x "$side/run.sh"
done

exec "$root/scripts/match-xboard.sh" --engine "$workdir/threads-$threads/run.sh" \
    --opponent "$workdir/threads-1/run.sh" --workdir "$workdir" "${args[@]}"
