"""Analysis as clients ask for it: several lines in every search, the fields
of the info lines, win/draw/loss, go perft, and xboard's exclude."""
import re

import engine
from engine import UCI_MOVE

MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -"
BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -"  # Rd8 mates
INFO = re.compile(r"^info score (cp|mate) (-?\d+)(?: (lowerbound|upperbound))?(?: wdl (\d+) (\d+) (\d+))? depth (\d+) "
                  r"seldepth \d+ time \d+ nodes \d+ nps \d+ hashfull (\d+) tbhits \d+ (?:multipv (\d+) )?"
                  r"pv ([a-h1-8nbrq ]+)$")
# Debian's stockfish 15.1, "go perft 3" with UCI_Chess960 on: the king on b1
# castles onto both rooks (b1a1, b1e1), 26 moves in all.
CHESS960 = "rk2r3/pppp1ppp/8/4p3/8/8/PPPP1PPP/RK2R3 w EAea - 0 1"


class UciAnalysis(engine.EngineTest):
    uci = True

    def search(self, *lines):
        """The info lines (as match groups) and the bestmove line."""
        text = self.engine.bestmove(*lines, timeout=60).splitlines()
        infos = [INFO.match(line) for line in text if line.startswith("info score")]
        self.assertTrue(all(infos), text)
        return infos, text[-1]

    def test_several_lines_per_depth_best_first_and_a_game_plays_the_first(self):
        infos, _ = self.search("setoption name MultiPV value 3", f"position fen {MIDDLEGAME}", "go depth 8")
        self.assertEqual(max(int(info[7]) for info in infos), 8)
        for depth in range(1, 9):
            lines = [info for info in infos if info[7] == str(depth)]
            self.assertEqual([info[9] for info in lines], ["1", "2", "3"], depth)
            self.assertEqual(len({info[10].split()[0] for info in lines}), 3, depth)
            self.assertEqual([int(info[2]) for info in lines], sorted((int(info[2]) for info in lines), reverse=True))
        # More lines than moves: every legal move, or every move searchmoves names.
        for go, moves in (("go depth 3", 20), ("go depth 3 searchmoves a2a3 g1f3", 2)):
            infos, _ = self.search("setoption name MultiPV value 50", "position startpos", go)
            self.assertEqual(len({info[10].split()[0] for info in infos if info[7] == "3"}), moves)
        infos, bestmove = self.search("setoption name MultiPV value 2", "go wtime 2000 btime 2000")
        self.assertEqual(bestmove.split()[1], [info[10].split()[0] for info in infos if info[9] == "1"][-1])
        # A second go searches the position set up, not the one after the move.
        self.assertEqual(self.search("go searchmoves a2a3 depth 2")[1], "bestmove a2a3")

    def test_hashfull_rises_and_wdl_sums_to_a_thousand_and_is_certain_for_a_mate(self):
        infos, _ = self.search("setoption name Hash value 1", f"position fen {MIDDLEGAME}", "go depth 8")
        full = [int(info[8]) for info in infos]
        self.assertTrue(all(0 <= value <= 1000 for value in full) and full[0] < 100 and full[-1] > 500, full)
        self.engine.send("setoption name UCI_ShowWDL value true", "setoption name MultiPV value 4")
        infos, _ = self.search(f"position fen {MIDDLEGAME}", "go depth 6")
        self.assertEqual({sum(map(int, info.group(4, 5, 6))) for info in infos}, {1000})
        infos, _ = self.search(f"position fen {BACK_RANK}", "go depth 4")
        self.assertEqual([info.group(2, 4, 5, 6) for info in infos if info[1] == "mate"][-1], ("1", "1000", "0", "0"))

    def test_go_perft_counts_each_move_as_stockfish_does(self):
        text = self.engine.output_until_ready("setoption name UCI_Chess960 value true", f"position fen {CHESS960}",
                                              "go perft 3")
        self.assertEqual(len(re.findall(r"^[a-h][1-8][a-h][1-8]: \d+$", text, re.M)), 26, text)
        self.assertTrue({"b1a1: 549", "b1e1: 575", "e1c1: 475"} <= set(text.splitlines()), text)
        self.assertTrue(text.endswith("\nNodes searched: 15879\n"), text[-40:])


class XboardAnalysis(engine.EngineTest):
    def test_an_excluded_move_is_not_played_unless_it_is_the_only_one(self):
        # Left out, the mate is not played; with every move left out but h3, h3 is.
        self.engine.output_for("xboard", "nopost", "force", f"setboard {BACK_RANK}", "exclude d1d8")
        self.assertNotEqual(self.engine.move("go"), "move Rd8+")
        self.engine.output_for("force", f"setboard {BACK_RANK}", "exclude all", "include h2h3")
        self.assertEqual(self.engine.move("go"), "move h3")
        self.engine.output_for("force", "setboard 7k/8/8/8/8/8/6q1/K7 w - -", "exclude a1b1", "exclude all")
        self.assertEqual(self.engine.move("go"), "move Kb1")  # the king's only move

    def lines_per_depth(self, last_depth):
        """The number of thinking lines of each depth up to `last_depth`, read up to the next depth."""
        text = self.engine.read_until(lambda line: line.startswith(f"{last_depth + 1:2d} "), timeout=30)
        return [len(re.findall(rf"^ *{depth} ", text, re.M)) for depth in range(1, last_depth + 1)]

    def test_multipv_analysis_shows_that_many_lines_per_depth(self):
        self.engine.send("xboard", "post", "option MultiPV=3", f"setboard {MIDDLEGAME}", "analyze")
        self.assertEqual(self.lines_per_depth(5), [3] * 5)
        self.engine.send("option MultiPV=2")  # starts the analysis again
        self.engine.read_until(lambda line: line.startswith(" 1 "))
        self.assertEqual(self.lines_per_depth(4), [1, 2, 2, 2])


if __name__ == "__main__":
    engine.main()
