#!/usr/bin/env python3
"""Plays the matches that calibrate Quor's strength levels and prints the
Elo each level measures, with its 95 % interval.

Usage: scripts/calibrate-strength.py [options] MATCH...

A MATCH is one of
  X      Quor limited to UCI_Elo X against Debian's stockfish 15.1 limited to
         the same UCI_Elo (stockfish offers 1350 to 2850; its levels are
         fitted to a public rating list): the level measures X plus the Elo
         difference the score shows.
  full   Quor at full strength against stockfish at UCI_Elo 2850: Quor's own
         strength on that scale, the top of its UCI_Elo range; fullY (full2400)
         against stockfish at UCI_Elo Y, when Quor scores too little against
         2850 for a useful measure.
  X@Y    Quor at UCI_Elo X against stockfish at UCI_Elo Y, for a level far
         from its name (a coarse search): it measures Y plus the difference.
  X:Y    Quor at UCI_Elo X against Quor at UCI_Elo Y, for levels below
         stockfish's weakest: X measures Y (taken as calibrated) plus the
         difference.

Each match is played with cutechess-cli at --tc (10+0.1) from the openings of
--openings (the master games, 8 plies, picked at random), every opening
twice with colours swapped, one game at a time unless --concurrency says
otherwise, holding the shared match lock (/tmp/quor-match.lock) so that no
other timed match runs meanwhile. With --nodes N the games have no clock
(each move searches at most N nodes, no lock): a quick coarse search. Quor plays without its opening book, so
that the result depends on the engine alone. The PGN and cutechess's output
of each match are kept in --out as NAME.pgn and NAME.log; the score comes
from the PGN. Every game that ended by an illegal move, a time forfeit, a
disconnection, a stall or a crash is counted and named; the exit status is 1
when there was one.

Elo from a score s: -400 log10(1/s - 1); the interval is that of the score
(1.96 standard errors, from the variance of the single games' points).
Python 3 standard library only.

Example: scripts/calibrate-strength.py --games 20 1400 1800 2200 full 800:1200
"""
import argparse
import lzma
import math
import os
import re
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
STOCKFISH = "/usr/games/stockfish"
STOCKFISH_TOP = 2850
LOCK = "/tmp/quor-match.lock"
PROBLEMS = re.compile(r"illegal|forfeit|on time|disconnect|stall|crash|connection|abandon|abnormal|terminat", re.I)


def elo_of_score(score):
    """The Elo difference a score strictly between 0 and 1 stands for."""
    return -400 * math.log10(1 / score - 1)


def score_interval(points):
    """The mean score of the games' points and its 95 % interval."""
    n = len(points)
    mean = sum(points) / n
    variance = sum((p - mean) ** 2 for p in points) / n
    half = 1.96 * math.sqrt(variance / n)
    edge = 0.5 / n  # a whitewash counts as one half point less
    clip = lambda s: min(max(s, edge), 1 - edge)
    return clip(mean), clip(mean - half), clip(mean + half)


def quor_engine(args, name, elo):
    """cutechess's words for Quor, limited to `elo` (None: full strength)."""
    words = ["-engine", f"name={name}", f"cmd={os.path.abspath(args.engine)}", "proto=uci", "option.OwnBook=false"]
    if elo is not None:
        words += ["option.UCI_LimitStrength=true", f"option.UCI_Elo={elo}"]
    return words


def stockfish_engine(elo):
    return ["-engine", f"name=stockfish-{elo}", f"cmd={STOCKFISH}", "proto=uci",
            "option.UCI_LimitStrength=true", f"option.UCI_Elo={elo}"]


def plan(match, args):
    """(name, cutechess engine words, Quor's name, the opponent's Elo) of a
    match given on the command line."""
    if match.startswith("full"):
        opponent = int(match[4:] or STOCKFISH_TOP)
        return f"full-stockfish{opponent}", quor_engine(args, "quor-full", None) + stockfish_engine(opponent), \
            "quor-full", opponent
    if ":" in match:
        level, opponent = map(int, match.split(":"))
        return (f"quor{level}-quor{opponent}",
                quor_engine(args, f"quor-{level}", level) + quor_engine(args, f"quor-ref-{opponent}", opponent),
                f"quor-{level}", opponent)
    level, _, opponent = match.partition("@")
    level, opponent = int(level), int(opponent or level)
    return f"quor{level}-stockfish{opponent}", quor_engine(args, f"quor-{level}", level) + \
        stockfish_engine(opponent), f"quor-{level}", opponent


def openings(args):
    """The openings as a plain PGN file in the output folder."""
    if not args.openings.endswith(".xz"):
        return os.path.abspath(args.openings)
    path = os.path.join(args.out, "openings.pgn")
    if not os.path.exists(path):
        with lzma.open(args.openings) as packed, open(path, "wb") as plain:
            plain.write(packed.read())
    return path


def play(args, name, engines):
    """Plays one match; returns the PGN's path."""
    pgn = os.path.join(args.out, name + ".pgn")
    if os.path.exists(pgn):
        os.remove(pgn)
    limit = ["tc=inf", f"nodes={args.nodes}"] if args.nodes else [f"tc={args.tc}"]
    command = ["cutechess-cli", *engines, "-each", *limit, "-openings", f"file={openings(args)}",
               "format=pgn", "order=random", "plies=8", "-repeat", "-games", "2", "-rounds", str(args.games // 2),
               "-concurrency", str(args.concurrency), "-srand", str(args.seed), "-pgnout", pgn, "-recover"]
    if not args.no_lock and not args.nodes:
        command = ["flock", LOCK, *command]
    with open(os.path.join(args.out, name + ".log"), "w") as log:
        subprocess.run(command, stdout=log, stderr=subprocess.STDOUT, check=False)
    return pgn


def games_of(pgn):
    """The games of a PGN file as (tags, text) pairs."""
    with open(pgn, encoding="utf-8", errors="replace") as file:
        chunks = re.split(r"\n(?=\[Event )", file.read())
    games = []
    for chunk in chunks:
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]$', chunk, re.M))
        if "Result" in tags:
            games.append((tags, chunk))
    return games


def report(name, pgn, player, opponent_elo):
    """Prints the match's score and the Elo it measures; returns the number
    of games that ended badly."""
    points, problems = [], []
    for tags, text in games_of(pgn):
        result = tags["Result"]
        if result == "*":
            problems.append(f"{tags.get('Round', '?')}: unfinished")
            continue
        white = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}[result]
        points.append(white if tags["White"] == player else 1 - white)
        ending = tags.get("Termination", "") + " " + " ".join(re.findall(r"\{([^}]*)\}\s*(?:1-0|0-1|1/2-1/2)\s*$",
                                                                       text))
        if PROBLEMS.search(ending):
            problems.append(f"{tags.get('Round', '?')}: {ending.strip()}")
    if not points:
        print(f"{name}: no games")
        return 1
    score, low, high = score_interval(points)
    wins, draws = points.count(1.0), points.count(0.5)
    measured = lambda s: opponent_elo + elo_of_score(s)
    if len(set(points)) == 1 and points[0] != 0.5:  # a whitewash: only a bound
        side = "below" if points[0] == 0 else "above"
        print(f"{name}: +{wins} ={draws} -{len(points) - wins - draws} of {len(points)}: a whitewash, Elo difference "
              f"{side} {elo_of_score(score):+.0f} (half a point more or less); {player} measures {side} "
              f"{measured(score):.0f}; games ended badly: {len(problems)}")
        return len(problems)
    print(f"{name}: +{wins} ={draws} -{len(points) - wins - draws} of {len(points)}, score {100 * score:.1f} % "
          f"[{100 * low:.1f}, {100 * high:.1f}]; Elo difference {elo_of_score(score):+.0f} "
          f"[{elo_of_score(low):+.0f}, {elo_of_score(high):+.0f}]; {player} measures {measured(score):.0f} "
          f"[{measured(low):.0f}, {measured(high):.0f}]; games ended badly: {len(problems)}")
    for problem in problems:
        print("    round " + problem)
    return len(problems)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("matches", nargs="+", metavar="MATCH")
    parser.add_argument("--engine", default=os.path.join(HERE, "..", "build", "quor"))
    parser.add_argument("--games", type=int, default=60, help="games per match, in colour-swapped pairs (60)")
    parser.add_argument("--tc", default="10+0.1", help="cutechess time control (10+0.1)")
    parser.add_argument("--nodes", type=int, help="instead of a clock, N nodes a move (a level searches its own "
                        "budget, at most N, and plays at once): quick coarse matches that need no lock")
    parser.add_argument("--openings", default=os.path.join(HERE, "..", "book", "games", "masters.pgn.xz"),
                        help="PGN of opening games, plain or .xz (the master games)")
    parser.add_argument("--out", default="calibration", help="folder for the PGN and log files (calibration)")
    parser.add_argument("--concurrency", type=int, default=1)
    parser.add_argument("--seed", type=int, default=1, help="cutechess's seed: which openings are picked (1)")
    parser.add_argument("--no-lock", action="store_true", help="play without the shared match lock")
    parser.add_argument("--report-only", action="store_true", help="summarise the PGN files already played")
    args = parser.parse_args()
    missing = [name for name in ("cutechess-cli", STOCKFISH) if not args.report_only and not shutil.which(name)]
    if missing:  # stockfish: apt-get install stockfish; cutechess-cli is built from its own sources
        sys.exit("calibrate-strength: not found: " + ", ".join(missing))
    os.makedirs(args.out, exist_ok=True)
    bad = 0
    for match in args.matches:
        name, engines, player, opponent_elo = plan(match, args)
        pgn = os.path.join(args.out, name + ".pgn") if args.report_only else play(args, name, engines)
        bad += report(name, pgn, player, opponent_elo)
        sys.stdout.flush()
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
