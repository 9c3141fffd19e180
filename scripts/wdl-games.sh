#!/bin/sh
# Plays the games the win/draw/loss model is fitted on: Quor against itself
# with a node limit per move, which no other load on the machine changes, so
# that the run may share the machine (it runs under nice). Each game starts
# from another position of a master game (scripts/wdl_fit.py openings) and
# is played once: at a fixed node count the engine is deterministic, and the
# colours reversed would give the same game again. Lost positions are
# adjudicated once both engines agree for four moves, dead draws after move
# 40, and endings of up to four men by Syzygy tables when a folder of them is
# given. Then count the positions and fit:
#
#   scripts/wdl-games.sh 1500 games.pgn 30000 /path/to/syzygy
#   scripts/wdl_fit.py count games.pgn | xz > scripts/wdl/counts.csv.xz
#   scripts/wdl_fit.py fit scripts/wdl/counts.csv.xz
#
# Needs cutechess-cli, pgn-extract and build/quor (make build).
set -e
usage="usage: scripts/wdl-games.sh GAMES OUTPUT.pgn [NODES [SYZYGY_FOLDER]]"
games=${1:?$usage}
output=${2:?$usage}
nodes=${3:-30000}
tables=${4:+-tb $4 -tbpieces 4}
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xz -dc "$top/book/games/masters.pgn.xz" > "$work/masters.pgn"
"$top/scripts/wdl_fit.py" openings "$work/masters.pgn" > "$work/openings.epd"
nice cutechess-cli \
    -engine cmd="$top/build/quor" name=QuorA -engine cmd="$top/build/quor" name=QuorB \
    -each proto=uci tc=1000+0 nodes="$nodes" option.OwnBook=false \
    -openings file="$work/openings.epd" format=epd order=random -games 1 -rounds "$games" \
    -concurrency 2 $tables \
    -draw movenumber=40 movecount=8 score=10 -resign movecount=4 score=1000 -maxmoves 250 \
    -pgnout "$output"
