"""Scripted UCI sessions: go and its limits, stop, ponderhit, quit, the moves
and results the engine sends, debug mode, refused input, and the search
threads that the option "Threads" sets during a search."""
import re
import time

import engine
from engine import UCI_MOVE, board_of_fen

AFTER_E4_E5 = "position startpos moves e2e4 e7e5"
BESTMOVE = "^bestmove " + UCI_MOVE + "$"
# Mates checked with Debian's stockfish: Nf6+ gxf6 Bxf7 mate; Bc5+ Kxc5
# Qb6+ Kd5 Qd6 mate.
MATES = [("r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", 2, "d5f6"),
         ("r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 3, "f8c5")]


def thread_count(process, expected=None, seconds=3.0):
    """The engine's number of threads (Linux /proc), once it is `expected` or after `seconds`."""
    deadline = time.monotonic() + (seconds if expected else 0)
    while True:
        with open(f"/proc/{process.pid}/status") as status:
            count = int(next(line for line in status if line.startswith("Threads:")).split()[1])
        if count == expected or time.monotonic() >= deadline:
            return count
        time.sleep(0.02)


class UciSession(engine.EngineTest):
    uci = True

    def bestmove(self, *lines):
        """The output up to the bestmove, checking that no second one follows."""
        text = self.engine.bestmove(*lines)
        self.assertNotIn("bestmove", self.engine.output_until_ready())
        return text

    def test_every_go_gets_one_bestmove_and_an_open_search_waits_for_its_end(self):
        # A mate in three is no answer to a search for a mate in two; a go
        # during a search is ignored.
        for position, go, end in [(AFTER_E4_E5, "go infinite nodes 20000", "stop"),
                                  (AFTER_E4_E5, "go ponder wtime 2000 btime 2000", "ponderhit"),
                                  (AFTER_E4_E5, "go ponder wtime 2000 btime 2000", "stop"),
                                  ("position startpos", "go searchmoves g1f3 mate 1", "stop"),
                                  (f"position fen {MATES[1][0]}", "go mate 2", "stop"),
                                  (AFTER_E4_E5, "go nodes 5000", None), (AFTER_E4_E5, "go movetime 200", None)]:
            with self.subTest(go=go, end=end):
                self.engine.send(position, go)
                if end:
                    self.engine.read_until(lambda line: line.startswith("info score"))
                    self.assertNotIn("bestmove", self.engine.output_until_ready("go depth 1"))
                    self.assertNotIn("bestmove", self.engine.quiet_for(0.5))
                    self.engine.send(end)
                self.assertRegex(self.bestmove().splitlines()[-1], BESTMOVE)

    def test_node_budget_or_move_time_ends_a_search_with_a_clock(self):
        text = self.bestmove(AFTER_E4_E5, "go wtime 600000 btime 600000 nodes 30000")
        self.assertLess(int(re.findall(r" nodes (\d+) ", text)[-1]), 30000 + 1024)
        started = time.monotonic()
        self.bestmove(AFTER_E4_E5, "go movetime 300 nodes 1000000000")
        self.assertLess(time.monotonic() - started, 5)

    def test_mate_searches_find_the_mate_and_stop_by_themselves(self):
        for fen, moves, mating_move in MATES:
            text = self.bestmove("ucinewgame", f"position fen {fen}", f"go mate {moves}")
            self.assertIn(f"info score mate {moves} depth ", text, fen)
            self.assertEqual(text.splitlines()[-1], f"bestmove {mating_move}", fen)

    def test_go_is_answered_in_a_position_that_ended_the_game(self):
        text = self.bestmove("position fen k7/2P5/1K6/8/8/8/8/8 w - -", "go depth 3")
        self.assertIn("info score mate 1 depth 3", text)
        self.assertTrue(text.endswith("1-0 {Computer wins}\nbestmove c7c8q\n"), text[-60:])
        # A lone knight: drawn for the engine's game record,
        # but the interface decides whether the game goes on.
        text = self.bestmove("position fen 4k3/8/2n5/8/1R6/8/8/4K3 b - - moves c6b4", "go depth 3")
        self.assertTrue(text.startswith("1/2-1/2 {Insufficient material}\n"), text[:60])
        self.assertRegex(text.splitlines()[-1], BESTMOVE)
        # Mated: there is no move to give.
        self.assertEqual(self.bestmove("position startpos moves f2f3 e7e5 g2g4 d8h4", "go depth 2"),
                         "0-1 {Black wins}\ninfo depth 1 seldepth 1\nERROR (no legal moves): think\nbestmove 0000\n")
        self.assertTrue(self.bestmove("go infinite", "stop").endswith("bestmove 0000\n"))

    def test_quit_or_end_of_input_during_a_search_ends_the_engine(self):
        for threads, end in [(1, "quit"), (1, None), (4, "quit"), (4, None)]:
            started = self.start()
            started.send(f"setoption name Threads value {threads}", "position startpos", "go infinite")
            started.read_until(lambda line: line.startswith("info score"))
            started.send(end) if end else started.process.stdin.close()
            self.assertEqual(started.process.wait(10), 0, (threads, end))

    def test_ucinewgame_bad_input_debug_and_the_return_to_xboard(self):
        # A bad FEN starts from the initial position; bare commands do nothing.
        after_e4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR"
        for lines, fen in [(["position startpos moves e2e4 e7e5", "ucinewgame"], engine.START),
                           (["position startpos moves", "position fen garbage here moves e2e4", "setoption",
                             "setoption name", "setoption name Hash value", "setoption name MultiPV", "debug"],
                            after_e4),
                           (["position startpos moves d2d4", "position fen 8/8/8/8/8/8/8/8 w - - moves e2e4"],
                            after_e4)]:
            self.assertEqual(self.engine.output_until_ready(*lines), "")
            self.assertEqual(self.engine.board(uci=True), board_of_fen(fen), lines[0])
        text = self.engine.output_until_ready("debug on", "board")
        self.assertRegex(text, r"^\(\d+\) < board\nr n b q k b n r\n(.*\n){7}\(\d+\) < isready\n$")
        self.assertRegex(self.engine.output_until_ready("debug off"), r"^\(\d+\) < debug off\n$")
        self.assertEqual(self.engine.output_for("xboard", "protover 2").splitlines()[-1], "done=1")
        self.assertEqual(self.engine.output_for("isready"), "")  # no xboard command

    def test_uci_threads_set_while_idle_and_during_a_search_apply_to_the_next_search(self):
        process = self.engine.process
        self.engine.output_until_ready("uci", "setoption name Threads value 2")
        self.assertEqual(thread_count(process), 1)  # no helper waits between searches
        self.engine.send("position startpos", "go infinite")
        self.assertEqual(thread_count(process, 2), 2)
        self.engine.output_until_ready("setoption name Threads value 4")
        self.engine.read_until(lambda line: line.startswith("info score"))
        self.assertEqual(thread_count(process), 2)  # the running search keeps its threads
        self.assertRegex(self.engine.bestmove("stop").splitlines()[-1], f"^bestmove {UCI_MOVE}")
        self.assertEqual(thread_count(process, 1), 1)
        self.engine.send("go infinite")
        self.assertEqual(thread_count(process, 4), 4)
        self.engine.bestmove("stop")
        self.assertEqual(thread_count(process, 1), 1)


if __name__ == "__main__":
    engine.main()
