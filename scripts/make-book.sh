#!/bin/sh
# Builds the opening book QuorBook.bin in the current folder from your own
# PGN collection: scripts/make-book.sh GAMES.pgn
#
# The book reader takes plain movetext only and stops reading a game at its
# first comment, so the games are first cleaned with pgn-extract (Debian
# package pgn-extract): comments, variations and NAGs are stripped, and
# games that start from a set-up position are dropped.
set -e
if [ $# -ne 1 ] || [ ! -r "$1" ]; then
    echo "usage: $0 GAMES.pgn   (builds QuorBook.bin in the current folder)" >&2
    exit 2
fi
PATH="$PATH:/usr/games"
if ! command -v pgn-extract > /dev/null 2>&1; then
    echo "$0 needs pgn-extract: apt-get install pgn-extract" >&2
    exit 1
fi
engine="$(cd "$(dirname "$0")/.." && pwd)/build/quor"
if [ ! -x "$engine" ]; then
    echo "$0 needs the engine: run make build first" >&2
    exit 1
fi
cleaned="$(mktemp --suffix=.pgn)"
trap 'rm -f "$cleaned"' EXIT
pgn-extract --nocomments --novars --nonags --nosetuptags --quiet -o "$cleaned" "$1"
"$engine" /CB "$cleaned" < /dev/null
echo
test -s QuorBook.bin
