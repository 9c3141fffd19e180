"""Chess960 sessions in both protocols: castling received and sent in each
protocol's form, the set-up of a shuffled start, and the return to
standard chess."""
import engine
from engine import board_of_fen, is_bestmove

SHUFFLED = "rk5r/pp4pp/8/8/8/8/PP4PP/RK5R w HAha - 0 1"
# The king on b1 castles long: king c1, rook d1; then Black does the same.
AFTER_WHITE = board_of_fen("rk5r/pp4pp/8/8/8/8/PP4PP/2KR3R")
AFTER_BOTH = board_of_fen("2kr3r/pp4pp/8/8/8/8/PP4PP/2KR3R")
# Castling long mates: the rook lands on d1 against the shut-in king on d8.
MATE_BY_CASTLING = "2rkr3/2p1p3/8/8/8/8/8/RK6 w A - 0 1"


class UciChess960(engine.UciEngineTest):
    def test_castling_is_the_king_onto_its_rook_with_the_option_on(self):
        self.engine.send("setoption name UCI_Chess960 value true")
        self.engine.send(f"position fen {SHUFFLED} moves b1a1")
        self.assertEqual(self.engine.board(uci=True), AFTER_WHITE)
        self.engine.send(f"position fen {SHUFFLED} moves b1a1 b8a8")
        self.assertEqual(self.engine.board(uci=True), AFTER_BOTH)
        self.engine.send(f"position fen {MATE_BY_CASTLING}", "go depth 2")
        self.assertEqual(self.engine.read_until(is_bestmove).splitlines()[-1], "bestmove b1a1")

    def test_without_the_option_a_shuffled_start_has_no_castling(self):
        self.engine.send(f"position fen {SHUFFLED} moves b1a1")
        self.assertEqual(self.engine.board(uci=True), board_of_fen(SHUFFLED))


class XboardChess960(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_for("xboard", "nopost")

    def test_castling_is_received_in_either_form_and_sent_as_o_o_o(self):
        self.engine.output_for("new", "variant fischerandom", f"setboard {SHUFFLED}", "force", "O-O-O")
        self.assertEqual(self.engine.board(), AFTER_WHITE)
        self.engine.output_for("b8a8")
        self.assertEqual(self.engine.board(), AFTER_BOTH)
        self.engine.output_for("new", "variant fischerandom", f"setboard {MATE_BY_CASTLING}", "sd 2")
        self.engine.send("go")
        self.assertEqual(self.engine.read_until(lambda line: line.startswith("move ")).splitlines()[-1],
                         "move O-O-O+")

    def test_new_returns_to_standard_chess(self):
        self.engine.output_for("new", "variant fischerandom", "new", f"setboard {SHUFFLED}", "force")
        self.assertEqual(self.engine.output_for("O-O-O"), "Illegal move: O-O-O\n")
        self.assertEqual(self.engine.board(), board_of_fen(SHUFFLED))


if __name__ == "__main__":
    engine.main()
