#!/usr/bin/env python3
"""Summarises an xboard match from its PGN file and its debug file.

Usage: scripts/match_summary.py [--games N] GAMES.pgn XBOARD.debug

Prints one line per game (players, result, the reason xboard recorded, number
of moves) and flags every game that ended by an illegal move, a time forfeit,
an engine crash or disconnect, or a protocol error, as well as games in which
an engine rejected a move or reported an error. The last line gives the score
of the first engine (-fcp) and the number of flagged games. The exit status is
1 when a game was flagged or fewer than N games were saved, else 0.
Python 3 standard library only.
"""
import argparse
import re
import sys

# What a game-end reason or an engine line is flagged as, by the words in it.
FLAG_PATTERNS = [
    ("illegal move", re.compile(r"illegal|invalid move", re.I)),
    ("time forfeit", re.compile(r"on time|flag fell|time forfeit|out of time", re.I)),
    ("engine crash", re.compile(r"error (writing|reading)|exited|crash|terminat"
                                r"|died|disconnect|killed|broken pipe|no response", re.I)),
    ("protocol error", re.compile(r"(?i:false .*claim|protocol|refuse)|^ERROR \(")),
]

RESULTS = ("1-0", "0-1", "1/2-1/2", "*")
NEW_GAME = re.compile(r"^New game \((\d+)\): .*\((w|b)\)\s*$")
GAME_ENDS = re.compile(r"^GameEnds\(-?\d+, (.*), \d+\)\s*$")
ENGINE_LINE = re.compile(r"^\d+ <(first|second)\s*: (.*)$")
COMPLAINT = re.compile(r"^((?i:illegal move)|ERROR \()")


def classify(text):
    """Returns the flag categories whose pattern occurs in the text."""
    return [name for name, pattern in FLAG_PATTERNS if pattern.search(text)]


def read_pgn(path):
    """Returns the games of a PGN file as (tags, movetext) pairs."""
    games, tags, moves = [], {}, []
    try:
        with open(path, encoding="utf-8", errors="replace") as pgn:
            lines = pgn.read().splitlines()
    except FileNotFoundError:
        return games
    for line in lines:
        tag = re.match(r'^\[(\w+)\s+"(.*)"\]\s*$', line)
        if tag:
            if moves:  # a tag after movetext starts the next game
                games.append((tags, "\n".join(moves)))
                tags, moves = {}, []
            tags[tag.group(1)] = tag.group(2)
        elif line.strip():
            moves.append(line.strip())
    if tags or moves:
        games.append((tags, "\n".join(moves)))
    return games


def end_reason(movetext):
    """Returns the comment that xboard writes just before the result, or ''."""
    found = re.search(r"\{([^{}]*)\}\s*(1-0|0-1|1/2-1/2|\*)\s*$", movetext)
    return found.group(1).strip() if found else ""


def count_plies(movetext):
    """Counts the half-moves of a movetext, leaving out comments, variations,
    annotations, move numbers and the result."""
    text = re.sub(r"\{[^}]*\}|;[^\n]*", " ", movetext)
    while re.search(r"\([^()]*\)", text):
        text = re.sub(r"\([^()]*\)", " ", text)
    tokens = re.sub(r"\d+\.(\.\.)?", " ", text).split()
    return sum(1 for t in tokens if t not in RESULTS and not t.startswith("$"))


def read_debug(path):
    """Returns, per game number (0 before the first game), the colour of the
    first engine and the notable lines: game-end reasons and engine errors."""
    colour, events = {}, {}
    game = 0
    try:
        with open(path, encoding="utf-8", errors="replace") as debug:
            lines = debug.read().splitlines()
    except FileNotFoundError:
        return colour, events
    for line in lines:
        new_game = NEW_GAME.match(line)
        if new_game:
            game = int(new_game.group(1))
            colour[game] = new_game.group(2)
            continue
        ends = GAME_ENDS.match(line)
        engine = ENGINE_LINE.match(line)
        if ends and ends.group(1) != "(null)":
            note = "xboard: " + ends.group(1)
        elif engine and COMPLAINT.match(engine.group(2)):
            note = engine.group(1) + " engine: " + engine.group(2).strip()
        else:
            continue
        if note not in events.setdefault(game, []):
            events[game].append(note)
    return colour, events


def first_engine_points(result, first_is_white):
    """Returns the points of the first engine for a PGN result, None if none."""
    white_points = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}.get(result)
    if white_points is None:
        return None
    return white_points if first_is_white else 1.0 - white_points


def summarise(pgn_path, debug_path, expected, out=sys.stdout):
    """Prints the summary and returns the number of flagged games (games
    missing from the PGN count as flagged)."""
    games = read_pgn(pgn_path)
    colour, events = read_debug(debug_path)
    flagged, points, first_name = 0, [], ""
    for note in events.get(0, []):  # an engine that failed to start
        flags = classify(note.split(": ", 1)[1])
        flagged += bool(flags)
        print(f"Before the first game: {note}"
              + (f"  FLAGGED: {', '.join(flags)}" if flags else ""), file=out)
    for number, (tags, movetext) in enumerate(games, 1):
        result = tags.get("Result", "*")
        reason = end_reason(movetext) or "no reason recorded"
        plies = count_plies(movetext)
        first_is_white = colour.get(number, "w" if number % 2 else "b") == "w"
        first_name = first_name or tags.get("White" if first_is_white else "Black", "")
        notes = [n for n in events.get(number, []) if n != "xboard: " + reason]
        flags = set(classify(reason))
        for note in notes:
            flags.update(classify(note.split(": ", 1)[1]))
        if result not in RESULTS[:3]:
            flags.add("unfinished")
        print(f"Game {number}: {tags.get('White', '?')} - {tags.get('Black', '?')}"
              f"  {result}  {{{reason}}}  moves {(plies + 1) // 2} ({plies} plies)"
              + (f"  FLAGGED: {', '.join(sorted(flags))}" if flags else ""), file=out)
        for note in notes if flags else []:
            print(f"    {note}", file=out)
        flagged += bool(flags)
        points.append(first_engine_points(result, first_is_white))
    missing = max(expected - len(games), 0)
    for number in range(len(games) + 1, len(games) + missing + 1):
        print(f"Game {number}: not saved  FLAGGED: missing"
              + "".join(f"\n    {note}" for note in events.get(number, [])), file=out)
    played = [p for p in points if p is not None]
    wins, losses = played.count(1.0), played.count(0.0)
    print(f"Score of {first_name or 'first engine'}: {sum(played):g}/{len(played)}"
          f" (+{wins} -{losses} ={len(played) - wins - losses}),"
          f" {len(games)} games saved, {flagged + missing} flagged", file=out)
    return flagged + missing


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--games", type=int, default=0,
                        help="number of games the match should have saved")
    parser.add_argument("pgn")
    parser.add_argument("debug")
    args = parser.parse_args()
    return 1 if summarise(args.pgn, args.debug, args.games) else 0


if __name__ == "__main__":
    sys.exit(main())
