"""Analysis as clients ask for it: several lines in every search and the
fields of the info lines."""
import re

import engine
from engine import UCI_MOVE, is_bestmove

MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -"
INFO = re.compile(r"^info score (cp|mate) (-?\d+)(?: (lowerbound|upperbound))?(?: wdl (\d+) (\d+) (\d+))? depth (\d+) "
                  r"seldepth \d+ time \d+ nodes \d+ nps \d+ hashfull (\d+) tbhits \d+ (?:multipv (\d+) )?pv ([a-h1-8nbrq ]+)$")


class UciAnalysis(engine.UciEngineTest):
    def search(self, *lines, timeout=30):
        """Sends the lines and returns the info lines (as match groups) and
        the bestmove line."""
        self.engine.send(*lines)
        text = self.engine.read_until(is_bestmove, timeout=timeout).splitlines()
        infos = [INFO.match(line) for line in text if line.startswith("info score")]
        self.assertTrue(all(infos), text)
        return infos, text[-1]

    def test_several_lines_per_depth_best_first_and_a_game_plays_the_first(self):
        infos, _ = self.search("setoption name MultiPV value 3", f"position fen {MIDDLEGAME}", "go depth 8")
        self.assertEqual(max(int(info.group(7)) for info in infos), 8)
        for depth in range(1, 9):
            lines = [info for info in infos if info.group(7) == str(depth)]
            self.assertEqual([info.group(9) for info in lines], ["1", "2", "3"], depth)
            self.assertEqual(len({info.group(10).split()[0] for info in lines}), 3, depth)
            scores = [int(info.group(2)) for info in lines]
            self.assertEqual(scores, sorted(scores, reverse=True), depth)
        # More lines than moves: every legal move, or every move searchmoves names.
        for go, moves in (("go depth 3", 20), ("go depth 3 searchmoves a2a3 g1f3", 2)):
            infos, _ = self.search("setoption name MultiPV value 50", "position startpos", go)
            self.assertEqual(len({info.group(10).split()[0] for info in infos if info.group(7) == "3"}), moves)
        infos, bestmove = self.search("setoption name MultiPV value 2", "go wtime 2000 btime 2000")
        self.assertEqual(bestmove.split()[1], [info.group(10).split()[0] for info in infos if info.group(9) == "1"][-1])

    def test_hashfull_rises_during_a_long_search(self):
        infos, _ = self.search("setoption name Hash value 1", f"position fen {MIDDLEGAME}", "go depth 8", timeout=60)
        full = [int(info.group(8)) for info in infos]
        self.assertTrue(all(0 <= value <= 1000 for value in full), full)
        self.assertLess(full[0], 100)
        self.assertGreater(full[-1], 500)


if __name__ == "__main__":
    engine.main()
