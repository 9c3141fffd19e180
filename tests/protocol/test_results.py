"""Game results: mates from both sides and for every engine side, stalemate,
repetition, the fifty-move rule and insufficient material."""
import engine

FOOLS_MATE = ["f2f3", "e7e5", "g2g4", "d8h4"]
SCHOLARS_MATE = ["e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6", "h5f7"]


class GameResults(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_for("nopost", "sd 3")

    def test_mate_without_engine_side_names_the_winning_colour(self):
        self.assertEqual(self.engine.output_for("force", *FOOLS_MATE), "0-1 {Black wins}\n")
        self.assertEqual(self.engine.output_for("new", "force", *SCHOLARS_MATE), "1-0 {White wins}\n")

    def test_mate_of_the_engines_side_is_your_win(self):
        # playother: the engine takes the side that is not to move.
        self.assertEqual(self.engine.output_for("force", *FOOLS_MATE[:3], "playother", FOOLS_MATE[3]),
                         "0-1 {You win}\n")
        self.assertEqual(self.engine.output_for("new", "force", *SCHOLARS_MATE[:6], "playother", SCHOLARS_MATE[6]),
                         "1-0 {You win}\n")

    def test_mate_given_by_the_engine_is_the_computers_win(self):
        self.engine.send("setboard k7/2P5/1K6/8/8/8/8/8 w - -", "go")
        self.assertEqual(self.engine.read_until("1-0 {Computer wins}"), "move c8=Q+\n1-0 {Computer wins}\n")
        self.engine.send("new", "setboard 7K/5k2/8/8/8/8/8/6q1 b - -", "go")
        self.assertEqual(self.engine.read_until(lambda l: l.startswith("0-1")).splitlines()[-1],
                         "0-1 {Computer wins}")

    def test_mate_received_with_the_engine_on_the_mated_side(self):
        # A received move that mates: the engine plays the mated side.
        self.engine.output_for("setboard 6k1/5ppp/8/8/8/n7/8/4R1K1 b - -", "force", "a3b5", "playother")
        self.assertEqual(self.engine.output_for("e1e8"), "1-0 {You win}\n")

    def test_stalemate(self):
        self.assertEqual(self.engine.output_for("setboard k7/8/2K5/8/8/8/8/1Q6 w - -", "force", "b1b6"),
                         "1/2-1/2 {Stalemate}\n")

    def test_third_occurrence_is_a_draw_and_the_fourth_says_nothing(self):
        shuffle = ["g1f3", "g8f6", "f3g1", "f6g8"]
        self.assertEqual(self.engine.output_for("force", *shuffle, *shuffle[:3]), "")
        self.assertEqual(self.engine.output_for(shuffle[3]), "1/2-1/2 {Draw by repetition}\n")
        # Plies 9 to 11 repeat positions for the third time as well.
        self.assertEqual(self.engine.output_for(*shuffle[:3]), "1/2-1/2 {Draw by repetition}\n" * 3)
        # The initial position now stands for the fourth time.
        self.assertEqual(self.engine.output_for(shuffle[3]), "")

    def test_fifty_moves_without_capture_or_pawn_move(self):
        # The white king walks 50 different squares while the black king
        # steps between h8 and g8: no position repeats.
        path = ([f + "1" for f in "abcdefgh"] + [f + "2" for f in "hgfedcb"] + [f + "3" for f in "abcdefgh"] +
                [f + "4" for f in "hgfedcba"] + [f + "5" for f in "abcdefgh"] + [f + "6" for f in "hgfedcba"] +
                [f + "7" for f in "abcd"])
        moves = []
        for i in range(50):
            moves.append(path[i] + path[i + 1])
            moves.append("h8g8" if i % 2 == 0 else "g8h8")
        self.assertEqual(self.engine.output_for("setboard 7k/8/8/8/8/8/P7/K7 w - -", "force", *moves[:99]), "")
        self.assertEqual(self.engine.output_for(moves[99]), "1/2-1/2 {Draw by fifty move rule}\n")

    def test_insufficient_material_only_where_no_mate_is_possible(self):
        # Black takes the last rook; what is left decides. A lone minor piece
        # or bishops on squares of one colour cannot mate; bishop against
        # knight or bishops on opposite colours can, with the other side's help.
        drawn = "1/2-1/2 {Insufficient material}\n"
        for fen, move, result in [("4k3/8/2n5/8/1R6/8/8/4K3 b - -", "c6b4", drawn),  # knight alone
                                  ("4k3/8/4b3/8/2R5/8/8/4KB2 b - -", "e6c4", drawn),  # c4 and f1: both light
                                  ("4k3/8/2n5/8/1R6/8/8/4KB2 b - -", "c6b4", ""),  # bishop against knight
                                  ("4k3/8/3b4/8/1R6/8/8/4KB2 b - -", "d6b4", "")]:  # b4 dark, f1 light
            self.assertEqual(self.engine.output_for("setboard " + fen, "force", move), result, fen)

    def test_two_knights_or_a_pawn_are_enough_material(self):
        self.assertEqual(self.engine.output_for("setboard 4k3/8/8/3N4/8/2r5/8/1N2K3 w - -", "force", "d5c3"), "")
        self.assertEqual(self.engine.output_for("setboard 4k3/8/8/3n4/8/2B5/3P4/4K3 b - -", "force", "d5c3"), "")
        self.assertEqual(self.engine.board()[5], "..n.....")

    def test_no_result_is_reported_after_an_undo(self):
        self.engine.output_for("force", *FOOLS_MATE)
        self.assertEqual(self.engine.output_for("undo"), "")
        # The game is open again: the engine plays Black when told to.
        self.engine.send("go")
        self.assertEqual(self.engine.read_until(lambda l: l.startswith("move ")).count("\n"), 1)


if __name__ == "__main__":
    engine.main()
