#!/usr/bin/env bash
# Plays a headless match between Quor and fairymax under xboard (in Xvfb) and
# prints a per-game summary; exits non-zero when a game ended by an illegal
# move, a time forfeit, an engine crash or a protocol error, or did not finish.
#
# Usage: scripts/match-xboard.sh [options] [GAMES]
#   GAMES               number of games, colours alternating (default 4)
#   --uci               run Quor as a UCI engine through polyglot
#   --ponder            let both engines ponder (default)
#   --no-ponder         no pondering
#   --engine CMD        Quor binary or command (default: $QUOR_ENGINE, else build/quor)
#   --opponent CMD      xboard opponent (default: fairymax); "--engine fairymax"
#                       plays fairymax against itself to check the set-up
#   --tc MIN[:SEC]      base time per game and side (default 1)
#   --inc SEC           increment per move (default 1)
#   --mps N             N moves per base time instead of an increment
#   --workdir DIR       output folder (default: $QUOR_MATCH_DIR, else build/match)
#   --timeout SEC       hard limit for the whole match (default 420 per game + 60)
# Examples:
#   scripts/match-xboard.sh 4
#   scripts/match-xboard.sh --uci 4            (same as scripts/match-uci.sh 4)
#   scripts/match-xboard.sh --tc 1 --mps 40 --no-ponder 2
# Writes into the work folder: games.pgn, xboard.debug (all engine traffic),
# xboard.out (xboard's own messages), polyglot.log (with --uci), summary.txt.
# Needs the Debian packages xboard, fairymax, polyglot and xvfb; as root it
# installs them with apt-get.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export PATH="/usr/games:$PATH"

games=4 uci=0 ponder=1 tc=1 inc=1 mps="" limit=""
engine="${QUOR_ENGINE:-$root/build/quor}"
opponent="fairymax"
workdir="${QUOR_MATCH_DIR:-$root/build/match}"

usage() { sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'; exit "$1"; }

while [ $# -gt 0 ]; do
    case "$1" in
        --engine|--opponent|--tc|--inc|--mps|--workdir|--timeout)
            [ $# -ge 2 ] || { echo "$1 needs a value" >&2; exit 2; } ;;
    esac
    case "$1" in
        --uci) uci=1 ;;
        --ponder) ponder=1 ;;
        --no-ponder) ponder=0 ;;
        --engine) engine="$2"; shift ;;
        --opponent) opponent="$2"; shift ;;
        --tc) tc="$2"; shift ;;
        --inc) inc="$2"; shift ;;
        --mps) mps="$2"; shift ;;
        --workdir) workdir="$2"; shift ;;
        --timeout) limit="$2"; shift ;;
        -h|--help) usage 0 ;;
        [0-9]*) games="$1" ;;
        *) echo "unknown argument: $1" >&2; usage 2 ;;
    esac
    shift
done
limit="${limit:-$((games * 420 + 60))}"

# Install the interface, the opponent, the UCI adapter and the X server.
missing=()
for pair in xboard:xboard fairymax:fairymax polyglot:polyglot xvfb-run:xvfb; do
    command -v "${pair%%:*}" > /dev/null 2>&1 || missing+=("${pair#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" = 0 ] && command -v apt-get > /dev/null 2>&1; then
        apt-get update -q
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
    else
        echo "The match needs these packages: ${missing[*]}" >&2
        echo "Install them, for example: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
fi

# An engine given as a path must exist; xboard starts it from the work folder.
if [[ "$engine" == */* ]]; then
    [ -x "$engine" ] || { echo "no engine at $engine (run: make build)" >&2; exit 1; }
    engine="$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")"
fi
mkdir -p "$workdir/home"
workdir="$(cd "$workdir" && pwd)"
rm -f "$workdir/games.pgn" "$workdir/xboard.debug" "$workdir/xboard.out" \
      "$workdir/polyglot.log" "$workdir/summary.txt"

# Time control: an increment, or a number of moves per base time.
timing=(-tc "$tc")
if [ -n "$mps" ]; then timing+=(-mps "$mps"); else timing+=(-inc "$inc"); fi

# Quor is the first engine; -matchGames alternates the colours.
first=(-fcp "$engine" -fd "$workdir")
if [ "$uci" = 1 ]; then
    first+=(-fUCI -adapterCommand
            'polyglot -noini -log true -lf polyglot.log -ec "%fcp" -ed "%fd"')
fi
if [ "$ponder" = 1 ]; then pondering=-ponder; else pondering=-xponder; fi

echo "Match: $games games, $engine$([ "$uci" = 1 ] && echo ' (UCI)') against $opponent," \
     "tc ${timing[*]}, ponder $([ "$ponder" = 1 ] && echo on || echo off), in $workdir"

# xboard runs in the work folder (polyglot writes its log there), with a
# private HOME that keeps the user's xboard settings out of the match and
# untouched by it; sounds go to 'true' as the machine has no audio.
status=0
cd "$workdir"
HOME="$workdir/home" timeout --kill-after=30 "$limit" \
    xvfb-run -a -s "-screen 0 1024x768x24" \
    xboard -saveSettingsOnExit false -xexit -soundProgram true \
        "${first[@]}" -scp "$opponent" -sd "$workdir" \
        -mm -matchGames "$games" -matchPause 1000 \
        "${timing[@]}" "$pondering" -autoflag \
        -sgf "$workdir/games.pgn" -debug -nameOfDebugFile "$workdir/xboard.debug" \
        > "$workdir/xboard.out" 2>&1 || status=$?
[ "$status" = 124 ] && echo "xboard did not finish within $limit s and was stopped" >&2
grep -i "final score" "$workdir/xboard.out" || true

summary_status=0
python3 "$root/scripts/match_summary.py" --games "$games" \
    "$workdir/games.pgn" "$workdir/xboard.debug" > "$workdir/summary.txt" || summary_status=$?
cat "$workdir/summary.txt"
[ "$status" = 0 ] || exit 1
exit "$summary_status"
