"""Scripted xboard sessions: the replies byte for byte, commands during a search
and pondering, game results, Chess960 castling, and input refused or in pieces."""
import re

import engine
from engine import SAN_MOVE, board_of_fen

START = board_of_fen(engine.START)
AFTER_E4 = board_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR")
THINKING = re.compile(r"^ *\d+ .*\n?", re.M)
FOOLS_MATE = ["f2f3", "e7e5", "g2g4", "d8h4"]
SCHOLARS_MATE = ["e2e4", "e7e5", "d1h5", "b8c6", "f1c4", "g8f6", "h5f7"]
# The white king walks 50 different squares while the black king steps
# between h8 and g8: no position repeats.
WALK = ([f + "1" for f in "abcdefgh"] + [f + "2" for f in "hgfedcb"] + [f + "3" for f in "abcdefgh"]
        + [f + "4" for f in "hgfedcba"] + [f + "5" for f in "abcdefgh"] + [f + "6" for f in "hgfedcba"]
        + [f + "7" for f in "abcd"])
FIFTY = [move for i in range(50) for move in (WALK[i] + WALK[i + 1], "h8g8" if i % 2 == 0 else "g8h8")]
DRAWN = "1/2-1/2 {Insufficient material}\n"
SHUFFLED = "rk5r/pp4pp/8/8/8/8/PP4PP/RK5R w HAha - 0 1"
MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -"
BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -"  # Rd8 mates
RESULTS = {"1-0 {White wins}", "0-1 {Black wins}", "1-0 {Computer wins}", "0-1 {Computer wins}", "1-0 {You win}",
           "0-1 {You win}", "1/2-1/2 {Stalemate}", "1/2-1/2 {Draw by repetition}",
           "1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Insufficient material}",
           "ERROR (maximum number of moves reached): main"}

class XboardSession(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_for("xboard", "nopost")

    def engine_move(self, *lines):
        """The algebraic text of the move the engine sends after the lines."""
        line = self.engine.move(*lines)
        self.assertRegex(line, SAN_MOVE)
        return line[5:]

    def assert_game_of(self, *moves):
        """The engine's position is that of a second engine that played the
        moves, given as coordinates or, for the engine's own, in algebraic text."""
        reference = self.start()
        reference.output_for("force")
        for move in moves:
            reference.output_for(move if re.fullmatch(engine.UCI_MOVE, move)
                                 else engine.coordinates_of_san(reference, move))
        self.assertEqual(self.engine.board(), reference.board())
        self.assertEqual(self.engine.output_for("perft 2"), reference.output_for("perft 2"))

    def test_lines_as_they_arrive_in_one_read_or_in_pieces(self):
        # The rest of an overlong line is dropped; a leading tab is no command.
        for data, replies in [("ping 1\nping 2\n", "pong 1\npong 2\n"), ("ping 3\r\n", "pong 3\n"),
                              ("ping 5 " + "y" * 5000 + " ping 6\nping 7\n", "pong 5\npong 7\n"),
                              ("PING 8\n\tping 9\n\n   \nping 10\n", "pong 8\npong 10\n")]:
            self.engine.write(data)
            self.assertEqual(self.engine.read_until(replies.splitlines()[-1]), replies, data[:20])
        # A partial line waits for its end, the last one for the end of input.
        self.engine.write("pi")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.engine.write("ng 4\nping 11")
        self.engine.process.stdin.close()
        self.assertEqual(self.engine.read_until("pong 11"), "pong 4\npong 11\n")
        self.assertEqual(self.engine.process.wait(10), 0)

    def test_protover_names_the_features_and_the_settings_with_their_values(self):
        text = self.engine.output_for("option Move Overhead=900", "protover 2")
        self.assertEqual("".join(line + "\n" for line in text.splitlines() if not line.startswith("feature option=")),
                         "feature ping=1 setboard=1 san=0 time=1 draw=0\nfeature sigint=0 sigterm=0 reuse=1 analyze=1\n"
                         f'feature myname="{engine.engine_name()}" name=1\nfeature playother=1 colors=0\n'
                         'feature variants="normal,fischerandom"\nfeature egt="syzygy"\nfeature smp=1\n'
                         "feature memory=1\nfeature exclude=1\nfeature done=1\ndone=1\n")
        self.assertIn('feature option="Move Overhead -spin 900 0 5000"\n', text)
        # A numbered copy of the program adds its digit to the name.
        self.assertIn('feature myname="Quor 1.57" name=1\n', self.start(argv0="quor7").output_for("protover 2"))

    def test_commands_during_the_engines_search_stop_it_without_a_move(self):
        # ping aborts the engine's move, new starts over, force keeps the game.
        for command, reply, board, nodes in [("ping 7", "pong 7\n", AFTER_E4, 600), ("new", "", START, 400),
                                             ("force", "", AFTER_E4, 600)]:
            player = self.start()
            player.output_for("xboard", "post", "st 20")
            player.send("e2e4")
            player.read_until(THINKING.match)
            self.assertEqual(THINKING.sub("", player.output_for(command)), reply, command)
            self.assertEqual(player.quiet_for(0.3), "", command)
            self.assertEqual(player.board(), board, command)
            self.assertTrue(player.output_for("perft 2").endswith(f"\nNodes searched: {nodes}\n"), command)

    def test_pondering_on_another_move_or_stopped_by_easy_and_undo(self):
        reply = self.engine_move("hard", "sd 4", "e2e4")
        ours = "a2a3" if self.engine.output_for("hint")[6:10] != "a2a3" else "h2h3"
        answer = self.engine_move(ours)  # played after the ponder search stops
        self.engine.output_for("force")
        self.assert_game_of("e2e4", reply, ours, answer)
        reply = self.engine_move("new", "hard", "sd 4", "d2d4")
        self.assertEqual(self.engine.output_for("easy", "hint"), "")  # no expected reply any more
        self.assert_game_of("d2d4", reply)
        self.assertEqual(self.engine.output_for("undo"), "")  # takes back the engine's move
        self.assertEqual(self.engine.board(), board_of_fen("rnbqkbnr/pppppppp/8/8/3P4/8/PPP1PPPP/RNBQKBNR"))
        self.assertEqual(self.engine.quiet_for(0.3), "")  # no side to play any more

    def test_analysis_reports_its_status_follows_the_moves_and_exit_stops_it(self):
        self.assertEqual(self.engine.output_for("."), "")  # not analysing
        self.engine.send("post", "analyze")
        self.engine.read_until(lambda line: line.startswith(" 3 "))
        self.engine.send("nopost", ".")
        line = self.engine.read_until(lambda text: text.startswith("stat01:"), timeout=5).splitlines()[-1]
        match = re.fullmatch(r"stat01: \d+ \d+ (\d+) (\d+) 20 [a-h][1-8][a-h][1-8]", line)  # 20 moves at the start
        self.assertIsNotNone(match, line)
        self.assertGreaterEqual(int(match[1]), 3)
        self.assertLess(int(match[2]), 20)  # moves left to search at this depth
        self.assertEqual(self.engine.output_for("e2e4"), "")
        self.engine.send("exit")
        self.assertEqual(self.engine.quiet_for(0.5), "")
        self.assertEqual(self.engine.board(), AFTER_E4)
        self.engine_move("sd 2", "go")  # after analysis the engine plays again

    def test_force_new_go_playother_undo_remove_and_result_choose_the_engines_side(self):
        self.assertEqual(self.engine.output_for("sd 2", "force", "force", "e2e4", "e7e5", "g1f3", "undo", "remove"), "")
        self.assertEqual(self.engine.board(), START)
        self.assertEqual(self.engine.output_for("undo", "remove", "d2d4", "remove", "e2e4"), "")
        self.assertEqual(self.engine.board(), AFTER_E4)  # with one ply made, remove takes back that ply
        self.assertTrue(self.engine.output_for("perft 1").endswith("Nodes searched: 20\n"))
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.engine_move("go")  # Black, the side to move
        self.engine.output_for("new")
        self.assertEqual(self.engine.board(), START)
        self.engine_move("d2d4")  # new leaves force mode
        self.engine.output_for("new", "force", "e2e4", "playother")
        self.assertEqual(self.engine.quiet_for(0.3), "")  # Black to move, the engine plays White
        self.engine_move("e7e5")
        self.assertEqual(self.engine.output_for("result 1/2-1/2 {Draw by agreement}", "go"), "")
        self.assertEqual(self.engine.quiet_for(0.5), "")  # the game is over until a new one
        self.engine_move("new", "e2e4")

    def test_results_of_received_moves_and_promotions(self):
        # Each step goes on from the position the one before left. The engine
        # takes the side not to move after playother; a third occurrence is a
        # draw, plies 9 to 11 repeat positions a third time too. A lone minor
        # piece or bishops on one colour cannot mate; bishop and knight or a
        # pawn can, with the other side's help.
        for lines, result in [
                (["force", *FOOLS_MATE], "0-1 {Black wins}\n"),
                (["new", "force", *SCHOLARS_MATE], "1-0 {White wins}\n"),
                (["new", "force", *FOOLS_MATE[:3], "playother", FOOLS_MATE[3]], "0-1 {You win}\n"),
                (["setboard k7/8/2K5/8/8/8/8/1Q6 w - -", "force", "b1b6"], "1/2-1/2 {Stalemate}\n"),
                (["new", "force", *["g1f3", "g8f6", "f3g1", "f6g8"] * 3], "1/2-1/2 {Draw by repetition}\n" * 4),
                (["setboard 7k/8/8/8/8/8/P7/K7 w - -", "force", *FIFTY[:99]], ""),
                ([FIFTY[99]], "1/2-1/2 {Draw by fifty move rule}\n"),
                (["setboard 4k3/8/4b3/8/2R5/8/8/4KB2 b - -", "force", "e6c4"], DRAWN),
                (["setboard 4k3/8/2n5/8/1R6/8/8/4KB2 b - -", "force", "c6b4"], ""),
                (["setboard 4k3/8/8/3n4/8/2B5/3P4/4K3 b - -", "force", "d5c3"], "")]:
            self.assertEqual(self.engine.output_for(*lines), result, lines[:3])
        for move, piece, result in [("e7e8", "Q", ""), ("e7e8r", "R", ""), ("e7e8b", "B", DRAWN),
                                    ("e7e8N", "N", DRAWN), ("e7e8x", "Q", "")]:
            self.assertEqual(self.engine.output_for("setboard 8/4P3/8/8/8/8/k7/4K3 w - -", "force", move), result, move)
            self.assertEqual(self.engine.board()[0], "...." + piece + "...", move)

    def test_chess960_castling_is_received_in_either_form_and_sent_as_o_o_o(self):
        # The king on b1 castles long: king c1, rook d1; Black does the same.
        self.engine.output_for("new", "variant fischerandom", f"setboard {SHUFFLED}", "force", "O-O-O", "b8a8")
        self.assertEqual(self.engine.board(), board_of_fen("2kr3r/pp4pp/8/8/8/8/PP4PP/2KR3R"))
        # Castling long mates: the rook lands on d1 against the king on d8.
        self.engine.output_for("new", "variant fischerandom", "setboard 2rkr3/2p1p3/8/8/8/8/8/RK6 w A - 0 1", "sd 2")
        self.assertEqual(self.engine.move("go"), "move O-O-O+")
        self.engine.output_for("new", f"setboard {SHUFFLED}", "force")  # new returns to standard chess
        self.assertEqual(self.engine.output_for("O-O-O"), "Illegal move: O-O-O\n")
        self.assertEqual(self.engine.board(), board_of_fen(SHUFFLED))

    def test_refused_input_leaves_the_position(self):
        # A refused setboard leaves the initial position.
        for fen in ["xyz", "", "K" * 5000, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR\tw KQkq -"]:
            self.assertEqual(self.engine.output_for("force", "e2e4", "setboard " + fen), "", fen[:60])
            self.assertEqual(self.engine.board(), START, fen[:60])
        # "zzzz" and "usermove" wrap round to the squares b7b7 and e1e2.
        self.engine.output_for("sd 2")
        for word, reply in [("e2e5", "Illegal move: e2e5\n"), ("e7e5", "Illegal move: e7e5\n"), ("e9e4", ""),
                            ("zzzz", "Illegal move: zzzz\n"), ("usermove", "Illegal move: usermove\n"), ("e2e", "")]:
            self.assertEqual(self.engine.output_for(word), reply, repr(word))
        self.assertEqual(self.engine.quiet_for(0.3), "")  # an illegal move does not wake the engine
        self.assertEqual(self.engine.output_for("level", "sd", "st", "time", "otim", "setboard", "ping", "result"),
                         "ERROR (wrong number of parameters): level <nmoves> <min> <inc>\npong \n")
        self.assertEqual(self.engine.board(), START)
        # sd 2 still holds: the engine answers at once in a new game (the bare
        # "result" ended the old one).
        self.engine.move("new", "e2e4", timeout=5)
        self.assertEqual(self.engine.output_for("setboard 4k3/4r3/8/8/8/8/4N3/4K3 w - -", "force", "e2c3"),
                         "Illegal move: Nc3\n")  # into check: named in algebraic text
        self.assertEqual(self.engine.board(), board_of_fen("4k3/4r3/8/8/8/8/4N3/4K3"))


    def test_an_excluded_move_is_not_played_unless_it_is_the_only_one(self):
        # Left out, the mate is not played; with every move left out but h3, h3 is.
        self.engine.output_for("xboard", "nopost", "force", f"setboard {BACK_RANK}", "exclude d1d8")
        self.assertNotEqual(self.engine.move("go"), "move Rd8+")
        self.engine.output_for("force", f"setboard {BACK_RANK}", "exclude all", "include h2h3")
        self.assertEqual(self.engine.move("go"), "move h3")
        self.engine.output_for("force", "setboard 7k/8/8/8/8/8/6q1/K7 w - -", "exclude a1b1", "exclude all")
        self.assertEqual(self.engine.move("go"), "move Kb1")  # the king's only move

    def test_games_are_played_to_their_end(self):
        # Three seconds for the whole game on the tiny clock: every move must still come.
        for setup, result in [(["cores 2", "sd 4", "force", "e2e4", "c7c5"], None),
                              (["cores 4", "level 0 0:03 0", "force", "d2d4", "g8f6", "c2c4"], None),
                              (["cores 1", "sd 5", "setboard 8/8/8/4k3/8/8/8/R3K3 w - -"], "1-0 {Computer wins}")]:
            with self.subTest(setup=setup):
                self.engine.output_for("new", *setup)
                moves, after = 0, ""
                while not after and moves < 800:
                    self.engine.send("go")
                    line = self.engine.read_until(lambda l: l.startswith(("move ", "resign", "ERROR", "Illegal")), 30)
                    self.assertRegex(line.splitlines()[-1], engine.SAN_MOVE)
                    moves, after = moves + 1, self.engine.output_for().strip()
                self.assertTrue(after in RESULTS and (after == result if result else moves > 10), (after, moves))


if __name__ == "__main__":
    engine.main()
