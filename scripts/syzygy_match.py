#!/usr/bin/env python3
"""Plays won tablebase endings out between two UCI engines: the first (Quor
with Syzygy tables) takes the side to move of each FEN, the second (for
example Stockfish without tables) defends. A third process of the second
engine referees: it lists the legal moves ("go perft 1") and shows the
position ("d"), from which the script reads mate, stalemate, the fifty-move
count, repetitions and bare kings.

  scripts/syzygy_match.py build/quor /usr/games/stockfish TABLES FEN... [--movetime MS]

Prints one line per game and a total. A benchmark, run by hand."""
import argparse
import subprocess


class Uci:
    def __init__(self, command, options=()):
        self.process = subprocess.Popen([command], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                        bufsize=1)
        self.send("uci")
        self.until(lambda line: line == "uciok")
        for name, value in options:
            self.send(f"setoption name {name} value {value}")
        self.send("isready")
        self.until(lambda line: line == "readyok")

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def until(self, done):
        lines = []
        for line in self.process.stdout:
            lines.append(line.rstrip("\n"))
            if done(lines[-1]):
                return lines
        raise RuntimeError("engine ended")

    def best_move(self, fen, moves, movetime):
        self.send(f"position fen {fen} moves {' '.join(moves)}".rstrip())
        self.send(f"go movetime {movetime}")
        return self.until(lambda line: line.startswith("bestmove"))[-1].split()[1]

    def quit(self):
        self.send("quit")
        self.process.wait(10)


def referee_view(referee, fen, moves):
    """(legal move count, in check, FEN) of the position after the moves."""
    referee.send(f"position fen {fen} moves {' '.join(moves)}".rstrip())
    referee.send("go perft 1")
    count = int(referee.until(lambda line: line.startswith("Nodes searched"))[-1].split()[-1])
    referee.send("d")
    shown = referee.until(lambda line: line.startswith("Checkers"))
    position = next(line[5:] for line in shown if line.startswith("Fen: "))
    return count, shown[-1].split(":")[1].strip() != "", position


def bare(position):
    pieces = [c for c in position.split()[0] if c.isalpha() and c not in "Kk"]
    return not pieces or (len(pieces) == 1 and pieces[0] in "NBnb")


def play(winner, defender, referee, fen, movetime):
    moves, seen = [], {}
    engines = [winner, defender]
    while True:
        count, checked, position = referee_view(referee, fen, moves)
        if count == 0:
            return ("mate" if checked and len(moves) % 2 == 1 else "mated" if checked else "stalemate"), moves
        if int(position.split()[4]) >= 100:
            return "fifty-move draw", moves
        key = " ".join(position.split()[:4])
        seen[key] = seen.get(key, 0) + 1
        if seen[key] >= 3:
            return "repetition", moves
        if bare(position):
            return "insufficient material", moves
        moves.append(engines[len(moves) % 2].best_move(fen, moves, movetime))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("quor")
    parser.add_argument("opponent")
    parser.add_argument("tables")
    parser.add_argument("fens", nargs="+")
    parser.add_argument("--movetime", type=int, default=500)
    args = parser.parse_args()
    quor = Uci(args.quor, [("SyzygyPath", args.tables)])
    opponent = Uci(args.opponent, [("Threads", 1), ("Hash", 16)])
    referee = Uci(args.opponent)
    wins = 0
    for fen in args.fens:
        for engine in (quor, opponent):
            engine.send("ucinewgame")
        result, moves = play(quor, opponent, referee, fen, args.movetime)
        wins += result == "mate"
        print(f"{fen}: {result} after {len(moves)} plies: {' '.join(moves)}", flush=True)
    print(f"Quor won {wins} of {len(args.fens)}")
    for engine in (quor, opponent, referee):
        engine.quit()


if __name__ == "__main__":
    main()
