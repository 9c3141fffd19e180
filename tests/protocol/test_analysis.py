"""Analysis as clients ask for it: several lines in every search, the fields of
the info lines, win/draw/loss, go perft; and the strength limit: off it changes
no search; a low level searches less and varies its moves yet keeps mates and
queens, across games, in its time."""
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
QUIET = "position fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
# Nxe4 takes the queen; Ra8 mates.
MUST_PLAY = {"rnb1kbnr/pppp1ppp/8/4p3/4q3/2N5/PPPP1PPP/R1BQKBNR w KQkq - 0 1": "c3e4",
             "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1": "a1a8"}
LOW = ("setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 800")
GO = "go wtime 3000 btime 3000"


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


class Strength(engine.EngineTest):
    def search(self, *lines, new=True):
        """Output up to bestmove, without times, speeds and current moves, of a
        new UCI engine (or the last one) given the lines."""
        if new:
            self.engine = self.start()
            self.engine.send("uci")
        return re.sub(r" (time|nps) \d+|info currmove .*\n", "", self.engine.bestmove(*lines))

    def test_full_strength_settings_and_analysis_search_as_without_them(self):
        game, analysis = (QUIET, "go depth 7"), (QUIET, "go infinite depth 7", "stop")
        expected = self.search(*game)
        self.assertEqual(self.search(*LOW, *analysis), self.search(*analysis))
        for settings in [("setoption name Skill Level value 20",), (*LOW, "setoption name UCI_Elo value 99999")]:
            self.assertEqual(self.search(*settings, *game), expected, settings)

    def test_low_levels_search_less_vary_keep_mates_and_queens_and_take_some_time(self):
        nodes = lambda text: int(re.findall(r" nodes (\d+)", text)[-1])
        full_best, full_nodes = self.search(QUIET, "go depth 8").split()[-1], nodes(self.search(QUIET, GO))
        for settings in (LOW, ("setoption name Skill Level value 0", "debug on")):
            played = {self.search(*settings, QUIET, GO).split()[-1]}
            for game in range(8):  # each after ucinewgame, which keeps the level
                played.add(self.search("ucinewgame", QUIET, GO, new=False).split()[-1])
                self.assertLess(nodes(self.search(QUIET, GO, new=False)), full_nodes)
                for fen, move in MUST_PLAY.items():
                    self.assertEqual(self.search(f"position fen {fen}", GO, new=False).split()[-1], move)
            self.assertTrue(played - {full_best}, played)
        # The time allocation and the clock after the move, in centiseconds.
        text = self.search(QUIET, GO, new=False)
        target, limit = map(int, re.search(r"TIME-> target (\d+) limit (\d+)", text).groups())
        used = 300 - int(self.engine.read_until(lambda line: line.startswith("CLOCK->")).split()[-1])
        self.assertTrue(target // 2 <= used <= limit, (target, used, limit))

    def test_an_xboard_level_holds_over_new_games(self):
        def nodes_of_move(*lines):  # the most nodes a thinking line shows
            self.engine.send("new", "post", "level 0 1 0", "setboard " + QUIET.split(" ", 2)[2], *lines, "go")
            text = self.engine.read_until(lambda line: line.startswith("move "), timeout=30)
            return max(int(line.split()[3]) for line in text.splitlines() if re.match(r"^ *\d+ ", line))
        self.engine.send("xboard", "protover 2")
        full = nodes_of_move()
        nodes_of_move("option Skill Level=0")
        self.assertLess(nodes_of_move(), full / 10)


if __name__ == "__main__":
    engine.main()
