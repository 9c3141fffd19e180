"""Scripted xboard sessions: every command, replies checked byte for byte,
and the commands that reach into a running search."""
import re
import time

import engine
from engine import board_of_fen

START = board_of_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR")
AFTER_E4 = board_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR")
SAN_MOVE = re.compile(r"^move (O-O(-O)?|[NBRQK][a-h1-8]*x?[a-h][1-8]|[a-h](x[a-h])?[1-8](=[NBRQ])?)\+?$")


class XboardSession(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_for("xboard", "nopost")

    def engine_move(self, *lines, timeout=20):
        """Sends the lines and returns the algebraic text of the move the
        engine then sends."""
        self.engine.send(*lines)
        line = self.engine.read_until(lambda l: l.startswith("move "), timeout=timeout).splitlines()[-1]
        self.assertRegex(line, SAN_MOVE)
        return line[5:]

    def reference_after(self, *moves):
        """A second engine in force mode that has played the moves, given as
        coordinates or, for the engine's own, in algebraic text."""
        reference = engine.Engine()
        self.addCleanup(reference.stop)
        reference.output_for("force")
        for move in moves:
            if not re.fullmatch(r"[a-h][1-8][a-h][1-8][nbrq]?", move):
                move = engine.coordinates_of_san(reference, move)
                self.assertIsNotNone(move)
            reference.output_for(move)
        return reference

    def test_protover_lists_the_features_and_the_settings_with_their_values(self):
        # The settings (feature option) agree with the README's table, tested with the UCI options.
        text = self.engine.output_for("protover 2")
        self.assertEqual([line for line in text.splitlines() if not line.startswith("feature option=")],
                         ["feature ping=1 setboard=1 san=0 time=1 draw=0",
                          "feature sigint=0 sigterm=0 reuse=1 analyze=1",
                          f'feature myname="{engine.engine_name()}" name=1',
                          "feature playother=1 colors=0",
                          'feature variants="normal,fischerandom"',
                          'feature egt="syzygy"',
                          "feature smp=1",
                          "feature memory=1",
                          "feature exclude=1",
                          "feature done=1",
                          "done=1"])
        # The values shown are the current ones.
        self.engine.output_for("option MultiPV=3", "option CanResign=1", "option Move Overhead=900")
        text = self.engine.output_for("protover 2")
        for line in ('"MultiPV -spin 3 1 256"', '"CanResign -check 1"', '"Move Overhead -spin 900 0 5000"'):
            self.assertIn(f"feature option={line}\n", text)

    def test_numbered_program_copy_adds_its_digit_to_the_name(self):
        copy = engine.Engine(argv0="quor7")
        self.addCleanup(copy.stop)
        self.assertTrue(copy.output_for().startswith("Quor 1.57\n"))
        self.assertIn('feature myname="Quor 1.57" name=1\n', copy.output_for("protover 2"))

    def test_commands_during_the_engines_search_stop_it_without_a_move(self):
        # ping aborts the engine's move, new starts over, force keeps the game.
        for command, reply, board, nodes in [("ping 7", "pong 7\n", AFTER_E4, 600), ("new", "", START, 400),
                                             ("force", "", AFTER_E4, 600)]:
            player = engine.Engine()
            self.addCleanup(player.stop)
            player.output_for("xboard", "nopost", "st 20")
            player.send("e2e4")
            time.sleep(0.5)
            self.assertEqual(player.output_for(command), reply, command)
            self.assertEqual(player.quiet_for(0.3), "", command)
            self.assertEqual(player.board(), board, command)
            self.assertTrue(player.output_for("perft 2").endswith(f"\nNodes searched: {nodes}\n"), command)

    def test_other_move_while_pondering_is_played_after_the_ponder_search_stops(self):
        reply = self.engine_move("hard", "sd 4", "e2e4")
        ours = "a2a3" if self.engine.output_for("hint")[6:10] != "a2a3" else "h2h3"
        answer = self.engine_move(ours)
        self.engine.output_for("force")
        reference = self.reference_after("e2e4", reply, ours, answer)
        self.assertEqual(self.engine.board(), reference.board())
        self.assertEqual(self.engine.output_for("perft 2"), reference.output_for("perft 2"))

    def test_easy_stops_pondering_and_undo_takes_back_the_engines_move(self):
        reply = self.engine_move("hard", "sd 4", "d2d4")
        self.assertEqual(self.engine.output_for("easy", "hint"), "")  # no expected reply any more
        self.assertEqual(self.engine.board(), self.reference_after("d2d4", reply).board())
        self.engine.output_for("new")
        self.engine_move("hard", "sd 4", "e2e4")
        self.assertEqual(self.engine.output_for("undo"), "")  # takes back the engine's move
        self.assertEqual(self.engine.board(), AFTER_E4)
        self.assertEqual(self.engine.quiet_for(0.3), "")  # no side to play any more

    def test_analysis_reports_its_status_and_exit_stops_it(self):
        self.assertEqual(self.engine.output_for("."), "")  # not analysing
        self.engine.send("analyze")
        time.sleep(0.3)
        self.engine.send(".")
        line = self.engine.read_until(lambda l: l.startswith("stat01:"), timeout=5).splitlines()[-1]
        match = re.fullmatch(r"stat01: (\d+) (\d+) (\d+) (\d+) (\d+) ([a-h][1-8][a-h][1-8])", line)
        self.assertIsNotNone(match, line)
        depth, left, total = int(match[3]), int(match[4]), int(match[5])
        self.assertEqual(total, 20)  # the moves of the initial position
        self.assertLess(left, total)
        self.assertGreaterEqual(depth, 3)
        self.assertEqual(self.engine.output_for("e2e4"), "")  # analysis follows the moves it receives
        self.engine.send("exit")
        self.assertEqual(self.engine.quiet_for(0.5), "")
        self.assertEqual(self.engine.board(), AFTER_E4)
        self.engine_move("sd 2", "go")  # after analysis the engine plays again

    def test_undo_takes_back_one_ply_and_remove_two(self):
        self.engine.output_for("force", "e2e4", "e7e5", "g1f3", "undo")
        self.assertEqual(self.engine.board(), board_of_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"))
        self.engine.output_for("remove")
        self.assertEqual(self.engine.board(), START)
        self.assertEqual(self.engine.output_for("undo", "remove"), "")
        self.engine.output_for("d2d4", "remove")  # with one ply made, remove takes back that ply
        self.assertEqual(self.engine.board(), START)
        self.assertTrue(self.engine.output_for("perft 1").endswith("Nodes searched: 20\n"))

    def test_force_new_go_and_playother_choose_the_engines_side(self):
        self.assertEqual(self.engine.output_for("sd 2", "force", "force", "e2e4"), "")  # force twice
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.engine_move("go")  # Black, the side to move
        self.engine.output_for("new")
        self.assertEqual(self.engine.board(), START)
        self.engine_move("d2d4")  # new leaves force mode
        self.engine.output_for("new", "force", "e2e4", "playother")
        self.assertEqual(self.engine.quiet_for(0.3), "")  # Black to move, the engine plays White
        self.engine_move("e7e5")

    def test_result_ends_the_game_until_a_new_one(self):
        self.engine_move("sd 2", "e2e4")
        self.assertEqual(self.engine.output_for("result 1/2-1/2 {Draw by agreement}", "go"), "")
        self.assertEqual(self.engine.quiet_for(0.5), "")
        self.engine_move("new", "e2e4")

    def test_received_promotion_letter_picks_the_piece(self):
        fen = "8/4P3/8/8/8/8/k7/4K3 w - -"
        # A lone minor piece cannot mate: the under-promotions to it end the game.
        drawn = "1/2-1/2 {Insufficient material}\n"
        for move, piece, result in [("e7e8", "Q", ""), ("e7e8q", "Q", ""), ("e7e8Q", "Q", ""), ("e7e8r", "R", ""),
                                    ("e7e8b", "B", drawn), ("e7e8n", "N", drawn), ("e7e8N", "N", drawn),
                                    ("e7e8x", "Q", "")]:
            self.assertEqual(self.engine.output_for("setboard " + fen, "force", move), result, move)
            self.assertEqual(self.engine.board()[0], "...." + piece + "...", move)


if __name__ == "__main__":
    engine.main()
