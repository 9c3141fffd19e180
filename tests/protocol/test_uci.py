"""Scripted UCI sessions: identification, isready, go and its limits, stop,
ponderhit, and the coordinate text of every move the engine sends."""
import re
import time

import engine
from engine import UCI_MOVE, board_of_fen, is_bestmove


class UciSession(engine.UciEngineTest):
    def bestmove(self, *lines, timeout=10):
        """Sends the lines and returns everything up to the bestmove line."""
        self.engine.send(*lines)
        return self.engine.read_until(is_bestmove, timeout=timeout)


    def test_go_during_a_search_is_ignored(self):
        self.engine.send("position startpos", "go infinite")
        time.sleep(0.2)
        self.engine.send("go depth 1")
        self.assertEqual(self.engine.quiet_for(0.5).count("bestmove"), 0)
        self.bestmove("stop", timeout=5)
        self.assertNotIn("bestmove", self.engine.quiet_for(0.5))

    def test_ponderhit_turns_the_ponder_search_into_the_real_one(self):
        self.engine.send("position startpos moves e2e4 e7e5", "go ponder wtime 2000 btime 2000")
        self.assertNotIn("bestmove", self.engine.quiet_for(0.5))
        self.assertRegex(self.bestmove("ponderhit", timeout=5).splitlines()[-1], "^bestmove " + UCI_MOVE)

    def test_stop_during_pondering_answers_with_a_bestmove(self):
        self.engine.send("position startpos moves d2d4", "go ponder wtime 2000 btime 2000")
        time.sleep(0.3)
        self.assertRegex(self.bestmove("stop", timeout=5).splitlines()[-1], "^bestmove " + UCI_MOVE + "$")

    def test_moves_are_sent_with_lower_case_promotion_letters(self):
        # White queens at once; the line goes on with Black's promotion.
        self.engine.send("setoption name Ponder value true")
        text = self.bestmove("position fen 8/2P5/8/8/8/8/2p5/K6k w - -", "go depth 5")
        for line in text.splitlines():
            if line.startswith("info score") or line.startswith("info currmove"):
                moves = line.split(" pv ")[-1].split() if " pv " in line else [line.split()[2]]
                for move in moves:
                    self.assertRegex(move, "^" + UCI_MOVE + "$", line)
        self.assertRegex(text.splitlines()[-1], "^bestmove c7c8q ponder " + UCI_MOVE + "$")

    def test_the_last_line_is_not_carried_over_past_another_promotion_than_expected(self):
        # The line expects g2g1q and then Qa7 mate: after g2g1r, g1a7 is no move.
        start = "position fen 8/1rk5/8/8/8/K5p1/8/8 b - - 0 1 moves g3g2"
        self.assertIn(" pv a3a4 g2g1q a4a3 g1a7\n", self.bestmove(start, "go depth 6"))
        self.assertNotIn("g1a7", self.bestmove(start + " a3a4 g2g1r", "go depth 6"))

    def test_go_is_answered_in_a_position_that_ended_the_game(self):
        # A lone knight: drawn for the engine's game record, but the
        # interface decides whether the game goes on, and waits for a move.
        text = self.bestmove("position fen 4k3/8/2n5/8/1R6/8/8/4K3 b - - moves c6b4", "go depth 3")
        self.assertTrue(text.startswith("1/2-1/2 {Insufficient material}\n"), text[:60])
        self.assertRegex(text.splitlines()[-1], "^bestmove " + UCI_MOVE + "$")
        shuffle = "g1f3 g8f6 f3g1 f6g8 " * 2
        text = self.bestmove("position startpos moves " + shuffle, "go depth 2")
        self.assertRegex(text.splitlines()[-1], "^bestmove " + UCI_MOVE + "$")
        # Mated: there is no move to give.
        text = self.bestmove("position startpos moves f2f3 e7e5 g2g4 d8h4", "go depth 2")
        self.assertEqual(text, "0-1 {Black wins}\ninfo depth 1 seldepth 1\nERROR (no legal moves): think\nbestmove 0000\n")
        text = self.bestmove("go infinite", "stop")
        self.assertTrue(text.endswith("bestmove 0000\n"), text)

    def test_mate_by_promotion(self):
        text = self.bestmove("position fen k7/2P5/1K6/8/8/8/8/8 w - -", "go depth 3")
        self.assertIn("info score mate 1 depth 3", text)
        self.assertTrue(text.endswith("1-0 {Computer wins}\nbestmove c7c8q\n"), text[-60:])

    def test_ucinewgame_and_quit(self):
        self.engine.output_until_ready("position startpos moves e2e4 e7e5", "ucinewgame")
        self.assertEqual(self.engine.board(uci=True), board_of_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"))
        self.engine.send("quit")
        self.assertEqual(self.engine.wait(5), 0)

    def test_quit_during_a_search_ends_the_engine(self):
        self.engine.send("position startpos", "go infinite")
        time.sleep(0.2)
        self.engine.send("quit")
        self.assertEqual(self.engine.wait(5), 0)

    def test_end_of_input_during_a_search_ends_the_engine(self):
        self.engine.send("position startpos", "go infinite")
        time.sleep(0.2)
        self.engine.close_input()
        self.assertEqual(self.engine.wait(5), 0)

    def test_debug_shows_the_received_lines(self):
        text = self.engine.output_until_ready("debug on", "board")
        self.assertRegex(text, r"^\(\d+\) < board\nr n b q k b n r\n(.*\n){7}\(\d+\) < isready\n$")
        self.assertRegex(self.engine.output_until_ready("debug off"), r"^\(\d+\) < debug off\n$")
        self.assertEqual(self.engine.output_until_ready("board")[:16], "r n b q k b n r\n")

    def test_xboard_command_returns_to_the_xboard_protocol(self):
        self.assertEqual(self.engine.output_for("xboard", "protover 2").splitlines()[-1], "done=1")
        self.assertEqual(self.engine.output_for("isready"), "")  # no xboard command


if __name__ == "__main__":
    engine.main()
