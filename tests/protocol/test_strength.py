"""The strength limit: off it changes no search; a low level searches less and
varies its moves yet keeps mates and queens, across games, in its time."""
import re

import engine

QUIET = "position fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
# Nxe4 takes the queen; Ra8 mates.
MUST_PLAY = {"rnb1kbnr/pppp1ppp/8/4p3/4q3/2N5/PPPP1PPP/R1BQKBNR w KQkq - 0 1": "c3e4",
             "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1": "a1a8"}
LOW = ("setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 800")
GO = "go wtime 3000 btime 3000"


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
        target, limit = map(int, re.search(r"TIME-> target (\d+) limit (\d+)", self.search(QUIET, GO, new=False)).groups())
        used = 300 - int(self.engine.read_until(lambda line: line.startswith("CLOCK->")).split()[-1])
        self.assertTrue(target // 2 <= used <= limit, (target, used, limit))


if __name__ == "__main__":
    engine.main()
