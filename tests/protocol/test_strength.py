"""The strength limit through the binary: off it changes no search, a low
level searches less and varies its moves yet keeps mates in one and hanging
queens, the setting lasts across games, and a limited move takes some but
never more than the full engine's time."""
import re

import engine
from engine import is_bestmove

QUIET = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
# Nxe4 wins the queen; Ra8 mates.
HANGING_QUEEN = ("rnb1kbnr/pppp1ppp/8/4p3/4q3/2N5/PPPP1PPP/R1BQKBNR w KQkq - 0 1", "c3e4")
MATE_IN_ONE = ("6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "a1a8")
LOW = ("setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 800")
RUNS = 12


def uci_engine(*settings):
    started = engine.Engine()
    started.send("uci", *settings)
    started.read_until("uciok")
    return started


class Strength(engine.EngineTest):
    def search(self, started, *lines):
        """The output of one search up to its bestmove line, the times and
        speeds (which vary) left out."""
        started.send(*lines)
        return re.sub(r" (time|nps) \d+", "", started.read_until(is_bestmove, timeout=30))

    def engines(self, *settings):
        started = uci_engine(*settings)
        self.addCleanup(started.stop)
        return started

    def test_full_strength_settings_and_analysis_search_as_without_them(self):
        game = (f"position fen {QUIET}", "go depth 7")
        analysis = (f"position fen {QUIET}", "go infinite depth 7", "stop")
        full = self.engines()
        expected = [self.search(full, *game), self.search(full, "ucinewgame", *analysis)]
        for settings in [("setoption name Skill Level value 20", "setoption name UCI_Elo value 800"),
                         (*LOW, "setoption name UCI_LimitStrength value false"),
                         (*LOW, "setoption name UCI_Elo value 99999")]:
            started = self.engines(*settings)
            self.assertEqual(self.search(started, *game), expected[0], settings)
        self.assertEqual(self.search(self.engines(*LOW), *analysis), expected[1])

    def test_a_low_level_searches_less_and_varies_yet_takes_queens_and_mates(self):
        go = "go wtime 10000 btime 10000"
        nodes = lambda text: int(re.findall(r" nodes (\d+)", text)[-1])
        full = self.engines()
        full_best = self.search(full, f"position fen {QUIET}", "go depth 8").split()[-1]
        full_nodes = nodes(self.search(full, "ucinewgame", f"position fen {QUIET}", go))
        for settings in (LOW, ("setoption name Skill Level value 0",)):
            started = self.engines(*settings)
            played = set()
            for _ in range(RUNS):
                text = self.search(started, f"position fen {QUIET}", go)
                self.assertLess(nodes(text), full_nodes)
                played.add(text.split()[-1])
                for fen, move in (HANGING_QUEEN, MATE_IN_ONE):
                    self.assertEqual(self.search(started, f"position fen {fen}", go).split()[-1], move, fen)
            self.assertTrue(played - {full_best}, played)

    def test_the_level_lasts_across_games_and_takes_some_of_the_allocated_time(self):
        started = self.engines(*LOW, "debug on")
        for _ in range(2):
            text = self.search(started, "ucinewgame", "position startpos moves e2e4", "go wtime 3000 btime 3000")
            target, limit = map(int, re.search(r"TIME-> target (\d+) limit (\d+)", text).groups())
            used = 300 - int(re.search(r"CLOCK-> (-?\d+)", started.read_until(lambda line: "CLOCK->" in line))
                             .group(1))
            self.assertIn("multipv 4", text)
            self.assertTrue(target // 2 <= used <= limit, (target, used, limit))
        # xboard: the dialog's setting outlasts "new"; a game move searches
        # a few thousand nodes, not the full engine's hundreds of thousands.
        xboard = engine.Engine()
        self.addCleanup(xboard.stop)
        xboard.output_for("xboard", "protover 2", "option Skill Level=0", "new", "post", "level 0 10 0")
        xboard.send("e2e4")
        thinking = xboard.read_until(lambda line: line.startswith("move "))
        self.assertLess(max(int(line.split()[3]) for line in thinking.splitlines()[:-1]), 5000)


if __name__ == "__main__":
    engine.main()
