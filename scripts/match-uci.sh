#!/usr/bin/env bash
# Plays a headless match between Quor as a UCI engine (through xboard's
# polyglot adapter) and fairymax under xboard, with pondering on, and prints
# the per-game summary. Takes the options of match-xboard.sh.
#
# Usage: scripts/match-uci.sh [options] [GAMES]    (default 4 games)
#   for example: scripts/match-uci.sh 4
#                QUOR_ENGINE=/path/to/quor scripts/match-uci.sh --tc 1 --mps 40 2
set -euo pipefail
exec "$(dirname "${BASH_SOURCE[0]}")/match-xboard.sh" --uci --ponder "$@"
