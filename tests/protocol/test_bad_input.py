"""Input that no interface should send: malformed positions, illegal and
garbage moves, commands without their arguments. None of it may crash the
engine, make it hang or spoil its game."""
import engine
from engine import board_of_fen

START = board_of_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR")
AFTER_E4 = board_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR")


class XboardBadInput(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_for("xboard", "nopost", "sd 2")

    def assert_playable_start(self, context):
        self.assertEqual(self.engine.board(), START, context)
        self.assertTrue(self.engine.output_for("perft 1").endswith("Nodes searched: 20\n"), context)

    def test_refused_setboard_leaves_the_initial_position(self):
        for fen in ["xyz", "", "8/8/8/8/8/8/8/8 w - -", "9/8/8/8/8/8/8/8 w - -",
                    "rnbqkbnr/pppppppp/8/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq -", "K" * 5000,
                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkqKQkq z9 99 99 99",
                    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR\tw KQkq -"]:
            self.assertEqual(self.engine.output_for("force", "e2e4", "setboard " + fen), "", fen[:60])
            self.assert_playable_start(fen[:60])
        self.engine.send("go")
        self.assertTrue(self.engine.read_until(lambda line: line.startswith("move ")).startswith("move "))

    def test_illegal_moves_are_refused_and_the_position_kept(self):
        self.engine.output_for("force")
        # "zzzz" and "usermove" wrap round to the squares b7b7 and e1e2.
        for move in ["e2e5", "e7e5", "e1e2", "a1a1", "b1d2", "zzzz", "usermove"]:
            self.assertEqual(self.engine.output_for(move), f"Illegal move: {move}\n", move)
        for word in ["e9e4", "e2", "\x01\x02\x03\x04", "e2e", "white", "black", "random"]:
            self.assertEqual(self.engine.output_for(word), "", repr(word))
        self.assert_playable_start("after refused moves")

    def test_move_into_check_is_refused_with_its_algebraic_text(self):
        fen = "4k3/4r3/8/8/8/8/4N3/4K3 w - -"
        self.assertEqual(self.engine.output_for("setboard " + fen, "force", "e2c3"), "Illegal move: Nc3\n")
        self.assertEqual(self.engine.board(), board_of_fen(fen))

    def test_illegal_move_does_not_wake_the_engine(self):
        self.assertEqual(self.engine.output_for("e2e5"), "Illegal move: e2e5\n")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.engine.send("e2e4")
        self.assertTrue(self.engine.read_until(lambda line: line.startswith("move ")).startswith("move "))

    def test_commands_without_their_arguments(self):
        text = self.engine.output_for("level", "sd", "st", "time", "otim", "setboard", "ping", "result")
        self.assertEqual(text, "ERROR (wrong number of parameters): level <nmoves> <min> <inc>\npong \n")
        self.assert_playable_start("after bare commands")
        # sd 2 still holds: the engine answers at once in a new game (the bare
        # "result" ended the old one).
        self.engine.send("new", "e2e4")
        self.engine.read_until(lambda line: line.startswith("move "), timeout=5)


class UciBadInput(engine.UciEngineTest):
    def board(self):
        return self.engine.board(uci=True)

    def test_bad_fen_in_position_starts_from_the_initial_position(self):
        self.engine.output_until_ready("position fen garbage here moves e2e4")
        self.assertEqual(self.board(), AFTER_E4)
        self.engine.output_until_ready("position fen 8/8/8/8/8/8/8/8 w - - moves e2e4")
        self.assertEqual(self.board(), AFTER_E4)

    def test_commands_without_their_arguments(self):
        text = self.engine.output_until_ready("setoption", "setoption name", "setoption name Hash value",
                                              "setoption name MultiPV", "debug", "position startpos moves")
        self.assertEqual(text, "")


if __name__ == "__main__":
    engine.main()
