"""Syzygy tables through the binary: the moves the tables leave to the search
(fathom's best moves), and what "egtb" reports."""
import os

import engine

TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")


class Syzygy(engine.EngineTest):
    uci = True

    def test_the_tables_leave_the_search_only_the_best_moves(self):
        # Only Ke6 holds the draw; a promotion to a queen or rook, or a king
        # step off the first rank, wins (the checks of fathom's moves).
        self.engine.output_until_ready("setoption name SyzygyPath value " + TABLES)
        for fen, best in [("8/4k3/8/8/4K3/4P3/8/8 b - -", {"e7e6"}),
                          ("8/P7/8/8/8/8/8/k1K5 w - -", {"c1d1", "c1c2", "c1d2", "a7a8q", "a7a8r"})]:
            for go in ("go depth 1", "go movetime 100"):
                text = self.engine.bestmove("ucinewgame", f"position fen {fen}", go)
                self.assertIn(text.split()[-1], best, (fen, go))
                self.assertRegex(text, r" tbhits [1-9]", (fen, go))

    def test_egtb_reports_the_value_and_distance_and_a_missing_path_once(self):
        xboard = self.start()
        xboard.output_for("xboard", "egtpath syzygy " + TABLES)
        for fen, expected in [("8/8/8/4k3/8/8/8/K6R b - -", "Syzygy Loss, DTZ 30\n"),
                              ("4k3/8/4K3/4P3/8/8/8/8 w - -", "Syzygy Win, DTZ 3\n"),
                              ("8/8/8/4k3/8/8/3PP3/K6Q w - -", "Position not in Syzygy tables\n")]:
            # The line after the Nalimov one.
            self.assertTrue(xboard.output_for("setboard " + fen, "egtb").endswith("\n" + expected), fen)
        for text in ("Syzygy path /no/such/tables does not exist\n", ""):
            self.assertEqual(xboard.output_for("egtpath syzygy /no/such/tables"), text)
        self.assertNotIn("Syzygy", xboard.output_for("setboard 8/8/8/4k3/8/8/8/K6R b - -", "egtb"))


if __name__ == "__main__":
    engine.main()
