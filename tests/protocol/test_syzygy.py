"""Syzygy tables through the binary: endings played out against the tables'
best defence, which the "fathom" command picks and judges, and "egtb"."""
import os
import re
import subprocess

import engine

TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")


def fathom(fen):
    """The tags of fathom's answer and the moves of its line, or None when
    the position is not in the tables (fewer than three men)."""
    done = subprocess.run(["/usr/games/fathom", "--path=" + TABLES, fen], capture_output=True, text=True, timeout=30)
    if done.returncode != 0 or "[WDL" not in done.stdout:
        return None
    tags = dict(re.findall(r'^\[(\w+) "([^"]*)"\]$', done.stdout, re.M))
    body = [line for line in done.stdout.splitlines() if line and not line.startswith("[")]
    moves = [token.rstrip("+#") for token in (body[0].split() if body else [])
             if not token.endswith(".") and token not in ("1-0", "0-1", "1/2-1/2") and token.rstrip("+#")]
    return tags, moves


def move_list(tags, kind):
    return [move for move in tags[kind].split(", ") if move]


class SyzygyGames(engine.EngineTest):
    uci = True

    def setUp(self):
        super().setUp()
        self.engine.output_until_ready("setoption name SyzygyPath value " + TABLES)

    def begin(self, fen):
        """A game from `fen`, kept on a reference engine in force mode, which
        shows the board and turns algebraic moves into coordinates."""
        self.start_fen, self.moves, self.fifty = fen, [], 0
        self.reference = engine.Engine()
        self.addCleanup(self.reference.stop)
        self.reference.output_for("xboard", "force", "setboard " + fen)

    def fen(self):
        placement = re.sub(r"\.+", lambda dots: str(len(dots.group())), "/".join(self.reference.board()))
        side = "wb"[(len(self.moves) + (self.start_fen.split()[1] == "b")) % 2]
        return f"{placement} {side} - - {self.fifty} 1"

    def play(self, move):
        board = self.reference.board()
        mover, target = (board[8 - int(move[i + 1])]["abcdefgh".index(move[i])] for i in (0, 2))
        self.fifty = 0 if mover in "Pp" or target != "." else self.fifty + 1
        self.reference.output_for(move)
        self.moves.append(move)

    def engine_move(self):
        return self.engine.bestmove(f"position fen {self.start_fen} moves {' '.join(self.moves)}".rstrip(),
                                    "go movetime 100").split()[-1]

    def test_queen_and_rook_endings_are_mated_within_the_fifty_move_rule(self):
        for fen in ("8/8/8/4k3/8/8/8/K6Q w - - 0 1", "7K/8/8/8/2q5/8/8/k7 b - - 0 1", "8/8/8/4k3/8/8/8/K6R w - - 0 1"):
            with self.subTest(fen=fen):
                self.begin(fen)
                while True:
                    self.play(self.engine_move())
                    judged = fathom(self.fen())
                    self.assertIsNotNone(judged, self.moves)
                    tags, line = judged
                    if not any(move_list(tags, kind) for kind in ("WinningMoves", "DrawingMoves", "LosingMoves")):
                        self.assertNotEqual(tags["Result"], "1/2-1/2", f"stalemate after {self.moves}")
                        break
                    # The defender, to move, still loses with the fifty-move count as it stands.
                    self.assertEqual(tags["WDL"], "Loss", f"{self.fen()} after {self.moves}")
                    self.play(engine.coordinates_of_san(self.reference, line[0]))
                self.assertLess(len(self.moves), 100, fen)

    def test_egtb_reports_the_value_and_distance_and_a_missing_path_once(self):
        xboard = self.start()
        xboard.output_for("xboard", "egtpath syzygy " + TABLES)
        for fen, expected in [("8/8/8/4k3/8/8/8/K6R b - -", "Syzygy Loss, DTZ 30\n"),
                              ("4k3/8/4K3/4P3/8/8/8/8 w - -", "Syzygy Win, DTZ 3\n"),
                              ("8/8/8/4k3/8/8/3PP3/K6Q w - -", "Position not in Syzygy tables\n")]:
            # The line after the Nalimov one.
            self.assertTrue(xboard.output_for("setboard " + fen, "egtb").endswith("\n" + expected), fen)
        for text in ("Syzygy path /no/such/tables does not exist\n", ""):
            self.assertEqual(xboard.output_for("egtpath syzygy /no/such/tables"), text)
        self.assertNotIn("Syzygy", xboard.output_for("setboard 8/8/8/4k3/8/8/8/K6R b - -", "egtb"))


if __name__ == "__main__":
    engine.main()
