"""The limits of UCI "go" through the binary: node budgets with a clock,
mate searches, root moves chosen with searchmoves, the clock words in any
order, and one bestmove for every go."""
import re
import time

import engine
from engine import UCI_MOVE, is_bestmove

MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -"
# Mates checked with Debian's stockfish: Nf6+ gxf6 Bxf7 mate; Rg1+ Kxg1
# Rf1 mate; Bc5+ Kxc5 Qb6+ Kd5 Qd6 mate; Ra6 f6 Bxf6+ Rg7 Rxa8 mate.
MATES = [("r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq - 1 10", 2, "d5f6"),
         ("6k1/pp4p1/2p5/2bp4/8/P5Pb/1P3rrP/2BRRN1K b - - 0 1", 2, "g2g1"),
         ("r1b1kb1r/pppp1ppp/5q2/4n3/3KP3/2N3PN/PPP4P/R1BQ1B1R b kq - 0 1", 3, "f8c5"),
         ("r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 3, "f6a6")]
AFTER_E4_E5 = "position startpos moves e2e4 e7e5"


class GoLimits(engine.UciEngineTest):
    def bestmove(self, *lines, timeout=20):
        """Sends the lines and returns everything up to the bestmove line,
        checking that no second bestmove follows."""
        self.engine.send(*lines)
        text = self.engine.read_until(is_bestmove, timeout=timeout)
        self.assertNotIn("bestmove", self.engine.output_until_ready())
        return text

    def allocation(self, *lines):
        """The time allocation ("TIME-> target T limit L") of a go, shown by
        debug mode."""
        self.engine.send(*lines)
        line = self.engine.read_until(lambda text: text.startswith("TIME-> "))
        self.bestmove("stop")
        return line.splitlines()[-1]

    def test_node_budget_with_a_clock_ends_at_whichever_comes_first(self):
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

    def test_mate_search_without_a_mate_runs_until_stop(self):
        # A mate in three is no answer to a search for a mate in two.
        for position, go in (("startpos", "go mate 2"), ("startpos", "go searchmoves g1f3 mate 1"),
                             (f"fen {MATES[2][0]}", "go mate 2")):
            self.engine.send(f"position {position}", go)
            self.assertNotIn("bestmove", self.engine.quiet_for(1.0), go)
            self.assertRegex(self.bestmove("stop").splitlines()[-1], "^bestmove " + UCI_MOVE + "$")

    def test_every_go_is_answered_by_exactly_one_bestmove(self):
        for lines in [("go infinite", "stop"), ("go infinite nodes 20000", "stop"), ("go depth 4",),
                      ("go nodes 5000",), ("go ponder wtime 2000 btime 2000", "ponderhit"),
                      ("go ponder wtime 2000 btime 2000", "stop"), ("go movetime 200",),
                      ("go infinite searchmoves d2d4 mate 3", "stop")]:
            self.engine.send(AFTER_E4_E5, lines[0])
            time.sleep(0.3)
            text = self.bestmove(*lines[1:])
            self.assertEqual(text.count("bestmove"), 1, lines)

    def test_searchmoves_with_a_losing_move_plays_only_it(self):
        # Ba6 gives the bishop for a pawn; e2e4 is no move of the position.
        text = self.bestmove(AFTER_E4_E5, "go searchmoves e2e4 f1a6 depth 5")
        pvs = re.findall(r"^info score (\S+) (-?\d+) depth \d+ .* pv (\S+)", text, re.M)
        self.assertTrue(pvs)
        self.assertEqual({first for _, _, first in pvs}, {"f1a6"})
        self.assertLess(int(pvs[-1][1]), -150)
        self.assertEqual(text.splitlines()[-1], "bestmove f1a6")
        self.assertEqual(self.bestmove(AFTER_E4_E5, "go depth 5 searchmoves f1a6 g1f3").splitlines()[-1],
                         "bestmove g1f3")

    def test_clock_words_in_any_order_give_the_same_allocation(self):
        # 60 s each, 1 s increment, White to move: avail 5700, target
        # 5700 / 40 + 100 = 242, limit min(1900 + 242, 6 x 242, 2850 + 100).
        self.engine.send("debug on", "position startpos moves e2e4 e7e5")
        for go in ("go wtime 60000 btime 60000 winc 1000 binc 1000", "go winc 1000 binc 1000 wtime 60000 btime 60000",
                   "go btime 60000 binc 1000 wtime 60000 winc 1000"):
            self.assertEqual(self.allocation(go), "TIME-> target 242 limit 1452", go)



if __name__ == "__main__":
    engine.main()
