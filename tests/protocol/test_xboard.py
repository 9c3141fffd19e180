"""Scripted xboard sessions: every command, replies checked byte for byte,
and the commands that reach into a running search."""
import re
import time

import engine
from engine import board_of_fen

START = board_of_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR")
AFTER_E4 = board_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR")
SAN_MOVE = re.compile(r"^move (O-O(-O)?|[NBRQK][a-h1-8]*x?[a-h][1-8]|[a-h](x[a-h])?[1-8](=[NBRQ])?)\+?$")


def is_move_line(line):
    return line.startswith("move ")


class XboardSession(engine.EngineTest):
    def setUp(self):
        super().setUp()
        self.engine.output_for("xboard", "nopost")

    def reference_after(self, *moves):
        """A second engine in force mode that has played the moves."""
        reference = engine.Engine()
        self.addCleanup(reference.stop)
        reference.output_for("force", *moves)
        return reference

    def test_protover_lists_exactly_the_seven_feature_lines(self):
        name = engine.engine_name()
        self.assertEqual(self.engine.output_for("protover 2"),
                         "feature ping=1 setboard=1 san=0 time=1 draw=0\n"
                         "feature sigint=0 sigterm=0 reuse=1 analyze=1\n"
                         f'feature myname="{name}" name=1\n'
                         "feature playother=1 colors=0\n"
                         'feature variants="normal"\n'
                         "feature done=1\n"
                         "done=1\n")

    def test_numbered_program_copy_adds_its_digit_to_the_name(self):
        copy = engine.Engine(argv0="quor7")
        self.addCleanup(copy.stop)
        banner = copy.output_for()
        self.assertTrue(banner.startswith("Quor 1.57\n"), banner[:40])
        self.assertIn('feature myname="Quor 1.57" name=1\n', copy.output_for("protover 2"))

    def test_ping_during_the_engines_search_aborts_its_move(self):
        self.engine.send("st 20", "e2e4")
        time.sleep(0.5)
        text = self.engine.output_for("ping 7")
        self.assertNotIn("move", text)
        self.assertEqual(self.engine.quiet_for(0.5), "")
        self.assertEqual(self.engine.board(), AFTER_E4)
        self.assertTrue(self.engine.output_for("perft 2").endswith("\nNodes searched: 600\n"))

    def test_move_now_plays_the_best_move_so_far_at_once(self):
        self.engine.send("st 30", "e2e4")
        time.sleep(0.5)
        asked = time.monotonic()
        self.engine.send("?")
        line = self.engine.read_until(is_move_line, timeout=5).splitlines()[-1]
        self.assertLess(time.monotonic() - asked, 3)
        self.assertRegex(line, SAN_MOVE)
        reference = self.reference_after("e2e4")
        reply = engine.coordinates_of_san(reference, line[5:])
        self.assertIsNotNone(reply, line)
        reference.output_for(reply)
        self.assertEqual(self.engine.board(), reference.board())

    def test_hint_names_the_expected_reply_and_playing_it_is_a_ponder_hit(self):
        self.engine.send("hard", "sd 4", "e2e4")
        first = self.engine.read_until(is_move_line, timeout=20)
        reply = first.splitlines()[-1][5:]
        hint = self.engine.output_for("hint")
        self.assertRegex(hint, r"^Hint: [a-h][1-8][a-h][1-8]\n$")
        expected = hint[6:10]
        reference = self.reference_after("e2e4")
        black = engine.coordinates_of_san(reference, reply)
        reference.output_for(black)
        self.assertIn(expected, engine.legal_moves(reference))
        # The expected reply: the ponder search goes on as the real search.
        self.engine.send(expected)
        second = self.engine.read_until(is_move_line, timeout=20).splitlines()[-1]
        reference.output_for(expected)
        self.assertIsNotNone(engine.coordinates_of_san(reference, second[5:]), second)
        self.engine.output_for("force")  # stops the next ponder search
        reference.output_for(engine.coordinates_of_san(reference, second[5:]))
        self.assertEqual(self.engine.board(), reference.board())

    def test_other_move_while_pondering_is_played_after_the_ponder_search_stops(self):
        self.engine.send("hard", "sd 4", "e2e4")
        text = self.engine.read_until(is_move_line, timeout=20)
        reply = text.splitlines()[-1][5:]
        expected = self.engine.output_for("hint")[6:10]
        ours = "a2a3" if expected != "a2a3" else "h2h3"
        reference = self.reference_after("e2e4")
        reference.output_for(engine.coordinates_of_san(reference, reply), ours)
        self.engine.send(ours)
        answer = self.engine.read_until(is_move_line, timeout=20).splitlines()[-1][5:]
        self.engine.output_for("force")
        reference.output_for(engine.coordinates_of_san(reference, answer))
        self.assertEqual(self.engine.board(), reference.board())
        self.assertEqual(self.engine.output_for("perft 2"), reference.output_for("perft 2"))

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
        self.engine.send("exit")
        self.assertEqual(self.engine.quiet_for(0.5), "")
        self.assertEqual(self.engine.board(), START)
        # After analysis the engine plays again with its own limits.
        self.engine.send("sd 2", "e2e4")
        self.assertRegex(self.engine.read_until(is_move_line).splitlines()[-1], SAN_MOVE)

    def test_analysis_follows_the_moves_it_receives(self):
        self.engine.send("analyze")
        time.sleep(0.2)
        self.assertEqual(self.engine.output_for("e2e4"), "")
        self.engine.send("exit")
        self.assertEqual(self.engine.board(), AFTER_E4)

    def test_undo_takes_back_one_ply_and_remove_two(self):
        self.engine.output_for("force", "e2e4", "e7e5", "g1f3")
        self.engine.output_for("undo")
        self.assertEqual(self.engine.board(), board_of_fen("rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR"))
        self.engine.output_for("remove")
        self.assertEqual(self.engine.board(), START)
        self.assertEqual(self.engine.output_for("undo", "remove"), "")
        self.assertEqual(self.engine.board(), START)
        self.engine.output_for("d2d4", "remove")  # with one ply made, remove takes back that ply
        self.assertEqual(self.engine.board(), START)
        self.assertTrue(self.engine.output_for("perft 1").endswith("Nodes searched: 20\n"))

    def test_playother_lets_the_engine_wait_for_the_other_sides_move(self):
        self.engine.output_for("sd 2", "force", "e2e4", "playother")
        self.assertEqual(self.engine.quiet_for(0.3), "")  # Black to move, the engine plays White
        self.engine.send("e7e5")
        self.assertRegex(self.engine.read_until(is_move_line).splitlines()[-1], SAN_MOVE)

    def test_force_twice_stays_in_force_mode(self):
        self.assertEqual(self.engine.output_for("sd 2", "force", "force", "e2e4"), "")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.assertEqual(self.engine.board(), AFTER_E4)

    def test_new_restores_the_initial_position_and_leaves_force_mode(self):
        self.engine.output_for("force", "e2e4", "e7e5", "new")
        self.assertEqual(self.engine.board(), START)
        self.engine.send("sd 2", "d2d4")
        self.assertRegex(self.engine.read_until(is_move_line).splitlines()[-1], SAN_MOVE)

    def test_go_makes_the_engine_play_the_side_to_move(self):
        self.engine.send("sd 2", "force", "e2e4", "go")
        self.assertRegex(self.engine.read_until(is_move_line).splitlines()[-1], SAN_MOVE)

    def test_result_ends_the_game_until_a_new_one(self):
        self.engine.send("sd 2", "e2e4")
        self.engine.read_until(is_move_line)
        self.assertEqual(self.engine.output_for("result 1/2-1/2 {Draw by agreement}", "go"), "")
        self.assertEqual(self.engine.quiet_for(0.5), "")
        self.engine.send("new", "e2e4")
        self.assertRegex(self.engine.read_until(is_move_line).splitlines()[-1], SAN_MOVE)

    def test_setboard_sets_the_position_and_its_side_to_move(self):
        fen = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1"
        self.engine.output_for("setboard " + fen)
        self.assertEqual(self.engine.board(), board_of_fen(fen))
        self.assertTrue(self.engine.output_for("perft 1").endswith("Nodes searched: 48\n"))
        self.engine.output_for("setboard rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1")
        self.assertTrue(self.engine.output_for("perft 2").endswith("Nodes searched: 600\n"))

    def test_received_promotion_letter_picks_the_piece(self):
        fen = "8/4P3/8/8/8/8/k7/4K3 w - -"
        # A lone minor piece cannot mate: the under-promotions to it end the game.
        drawn = "1/2-1/2 {Insufficient material}\n"
        for move, piece, result in [("e7e8", "Q", ""), ("e7e8q", "Q", ""), ("e7e8Q", "Q", ""), ("e7e8r", "R", ""),
                                    ("e7e8b", "B", drawn), ("e7e8n", "N", drawn), ("e7e8N", "N", drawn),
                                    ("e7e8x", "Q", "")]:
            self.assertEqual(self.engine.output_for("setboard " + fen, "force", move), result, move)
            self.assertEqual(self.engine.board()[0], "...." + piece + "...", move)

    def test_undo_while_pondering_takes_back_the_engines_move(self):
        self.engine.send("hard", "sd 4", "e2e4")
        self.engine.read_until(is_move_line, timeout=20)
        self.assertEqual(self.engine.output_for("undo"), "")
        self.assertEqual(self.engine.board(), AFTER_E4)
        self.assertEqual(self.engine.quiet_for(0.3), "")  # no side to play any more

    def test_easy_stops_pondering_and_keeps_the_game(self):
        self.engine.send("hard", "sd 4", "d2d4")
        reply = self.engine.read_until(is_move_line, timeout=20).splitlines()[-1][5:]
        self.assertEqual(self.engine.output_for("easy", "hint"), "")  # no expected reply any more
        reference = self.reference_after("d2d4")
        reference.output_for(engine.coordinates_of_san(reference, reply))
        self.assertEqual(self.engine.board(), reference.board())

    def test_new_during_the_engines_search_starts_over(self):
        self.engine.send("st 20", "e2e4")
        time.sleep(0.5)
        self.assertEqual(self.engine.output_for("new"), "")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.assertEqual(self.engine.board(), START)
        self.assertTrue(self.engine.output_for("perft 2").endswith("\nNodes searched: 400\n"))

    def test_force_during_the_engines_search_keeps_the_position(self):
        self.engine.send("st 20", "e2e4")
        time.sleep(0.5)
        self.assertEqual(self.engine.output_for("force"), "")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.assertEqual(self.engine.board(), AFTER_E4)
        self.assertTrue(self.engine.output_for("perft 2").endswith("\nNodes searched: 600\n"))
        self.assertEqual(self.engine.output_for("e7e5"), "")  # still in force mode


if __name__ == "__main__":
    engine.main()
