"""Syzygy tables through the binary: won K+Q and K+R endings played out to
mate within the fifty-move rule against the tables' best defence, a drawn
K+P ending held against the tables' hardest tries, the settings, and the
console "egtb" line. The "fathom" command probes the same tables to pick
the opponent's moves and to judge every position."""
import os
import re
import subprocess
import time

import engine

TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")
FATHOM = "/usr/games/fathom"


def fathom(fen):
    """The tags of fathom's answer and the moves of its line, or None when
    the position is not in the tables (fewer than three men)."""
    done = subprocess.run([FATHOM, "--path=" + TABLES, fen], capture_output=True, text=True, timeout=30)
    if done.returncode != 0 or "[WDL" not in done.stdout:
        return None
    tags = dict(re.findall(r'^\[(\w+) "([^"]*)"\]$', done.stdout, re.M))
    body = [line for line in done.stdout.splitlines() if line and not line.startswith("[")]
    moves = [token.rstrip("+#") for token in (body[0].split() if body else [])
             if not token.endswith(".") and token not in ("1-0", "0-1", "1/2-1/2") and token.rstrip("+#")]
    return tags, moves


def move_list(tags, kind):
    return [move for move in tags[kind].split(", ") if move]


class Game:
    """A game from a set-up position, kept on a reference engine in force
    mode, which gives the board and turns algebraic moves into coordinates."""

    def __init__(self, test, fen):
        self.start, self.moves, self.fifties = fen, [], [0]
        self.reference = engine.Engine()
        test.addCleanup(self.reference.stop)
        self.reference.output_for("xboard", "force", "setboard " + fen)

    def fen(self):
        placement = re.sub(r"\.+", lambda dots: str(len(dots.group())), "/".join(self.reference.board()))
        side = "wb"[(len(self.moves) + (self.start.split()[1] == "b")) % 2]
        return f"{placement} {side} - - {self.fifties[-1]} 1"

    def play(self, move):
        board = self.reference.board()
        mover, target = (board[8 - int(move[i + 1])]["abcdefgh".index(move[i])] for i in (0, 2))
        self.fifties.append(0 if mover in "Pp" or target != "." else self.fifties[-1] + 1)
        self.reference.output_for(move)
        self.moves.append(move)

    def undo(self):
        self.reference.output_for("undo")
        self.moves.pop()
        self.fifties.pop()


class SyzygyGames(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_until_ready("uci", "setoption name SyzygyPath value " + TABLES)

    def engine_move(self, game):
        self.engine.send(f"position fen {game.start} moves {' '.join(game.moves)}".rstrip(), "go movetime 100")
        return self.engine.read_until(engine.is_bestmove, timeout=20).split()[-1]

    def test_queen_and_rook_endings_are_mated_within_the_fifty_move_rule(self):
        for fen in ("8/8/8/4k3/8/8/8/K6Q w - - 0 1", "8/8/3k4/8/8/8/8/KQ6 w - - 0 1",
                    "7K/8/8/8/2q5/8/8/k7 b - - 0 1", "8/8/8/4k3/8/8/8/K6R w - - 0 1",
                    "8/8/8/8/3K4/8/8/r5k1 b - - 0 1"):
            with self.subTest(fen=fen):
                game = Game(self, fen)
                while True:
                    game.play(self.engine_move(game))
                    judged = fathom(game.fen())
                    self.assertIsNotNone(judged, game.moves)
                    tags, line = judged
                    if not any(move_list(tags, kind) for kind in ("WinningMoves", "DrawingMoves", "LosingMoves")):
                        self.assertNotEqual(tags["Result"], "1/2-1/2", f"stalemate after {game.moves}")
                        break
                    # The defender, to move, still loses with the fifty-move count as it stands.
                    self.assertEqual(tags["WDL"], "Loss", f"{game.fen()} after {game.moves}")
                    game.play(engine.coordinates_of_san(game.reference, line[0]))
                self.assertLess(len(game.moves), 100, fen)

    def test_drawn_pawn_ending_is_held_against_the_hardest_tries(self):
        game = Game(self, "8/8/4k3/8/8/4K3/4P3/8 b - - 0 1")
        for _ in range(12):
            game.play(self.engine_move(game))
            judged = fathom(game.fen())
            if judged is None:
                return  # the pawn is gone: two kings
            self.assertEqual(judged[0]["WDL"], "Draw", f"{game.fen()} after {game.moves}")
            # The drawing move after which the engine has the fewest drawing replies.
            tries = {}
            for san in move_list(judged[0], "DrawingMoves"):
                game.play(engine.coordinates_of_san(game.reference, san))
                reply = fathom(game.fen())
                tries[game.moves[-1]] = len(move_list(reply[0], "DrawingMoves")) if reply else 99
                game.undo()
            game.play(min(tries, key=tries.get))


class SyzygySettings(engine.EngineTest):
    def test_egtb_reports_the_syzygy_value_and_distance(self):
        self.engine.output_for("egtpath syzygy " + TABLES)
        for fen, expected in [("8/8/8/4k3/8/8/8/K6R b - -", "Syzygy Loss, DTZ 30\n"),
                              ("4k3/8/4K3/4P3/8/8/8/8 w - -", "Syzygy Win, DTZ 3\n"),
                              ("8/8/8/4k3/8/8/3PP3/K6Q w - -", "Position not in Syzygy tables\n")]:
            # The line after the Nalimov one.
            self.assertTrue(self.engine.output_for("setboard " + fen, "egtb").endswith("\n" + expected), fen)

    def test_missing_path_is_reported_once_and_leaves_the_tables_off(self):
        for text in ("Syzygy path /no/such/tables does not exist\n", ""):
            self.assertEqual(self.engine.output_for("egtpath syzygy /no/such/tables"), text)
        self.assertNotIn("Syzygy", self.engine.output_for("setboard 8/8/8/4k3/8/8/8/K6R b - -", "egtb"))

    def test_uci_path_set_during_a_search_takes_effect_after_it(self):
        self.engine.output_until_ready("uci")
        self.engine.send("position fen 8/8/8/4k3/8/8/8/K6Q w - -", "go infinite")
        time.sleep(0.2)
        during = self.engine.output_until_ready("setoption name SyzygyPath value " + TABLES)
        self.engine.send("stop")
        during += self.engine.read_until(engine.is_bestmove, timeout=20)
        self.assertNotIn("Syzygy", during)
        self.assertNotRegex(during, " tbhits [1-9]")
        self.engine.send("position fen 8/8/8/4k3/8/8/8/K6Q w - -", "go depth 4")
        after = self.engine.read_until(engine.is_bestmove, timeout=20)
        self.assertIn("info string Syzygy tablebases: 4 men\n", after)
        self.assertRegex(after, " tbhits [1-9]")


if __name__ == "__main__":
    engine.main()
