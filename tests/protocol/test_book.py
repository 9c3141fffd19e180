"""The books through the built engine: the book jobs of the command line, the
own book found on disk, and Polyglot books."""
import os
import shutil
import struct
import subprocess
import tempfile

import engine

# Six games won by White: the four positions of 1.e4 e5 2.Nf3 Nc6 are in
# the book six times each.
GAMES = "".join(f'[Event "{i}"]\n[Result "1-0"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n' for i in range(6))
START_KEY = 0x463B96181691FC9C  # the published key of the start position


class Books(engine.EngineTest):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quor book ")  # a path with a blank
        self.addCleanup(shutil.rmtree, self.folder)

    def job(self, *args):
        """What a book job in the test's folder prints after the banner."""
        done = subprocess.run([engine.BINARY, *args], cwd=self.folder, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0)
        return done.stdout.decode().split("Status: Not found\n\n")[-1]

    def start_here(self, settings=None):
        """An engine in the test's folder, with `settings` as its quor.cfg."""
        with open(os.path.join(self.folder, "quor.cfg"), "w") as file:
            file.write(settings or "")
        return self.start(cwd=self.folder)

    def test_book_jobs_and_the_created_book_played_without_search(self):
        with open(os.path.join(self.folder, "games.pgn"), "w") as file:
            file.write(GAMES)
        self.assertEqual(self.job("/SB", "2"), "Cannot score the book!\n")  # no book here
        self.assertEqual(self.job("/CB", "games.pgn"),
                         "".join(f"\rProcessing game: {n} ... " for n in range(1, 7))
                         + "Done!\nCreating QuorBook.bin ... Done!\n")
        self.assertEqual(self.start_here().output_for("bk"),
                         " Move\t[Weight, Frequency, Win/Loss, Learned]\n e4\t[360, 6, 6, 0]\n \n\n")
        uci = self.start_here()
        uci.output_until_ready("uci")
        self.assertEqual(uci.bestmove("position startpos", "go wtime 300000 btime 300000"), "bestmove e2e4\n")
        self.assertEqual(self.job("/SB", "2"), "".join(f"\rScoring {n} out of 4" for n in range(1, 5)))
        self.assertEqual(self.job("/SB", "2"), "")  # scored already
        self.assertEqual(self.job("/MB", "other.bin"), "Cannot open source file 'other.bin'\n")
        self.assertEqual(self.job("/CB", "missing.pgn"), "Cannot open PGN file 'missing.pgn'\n")

    def test_bk_shows_the_polyglot_moves_with_their_weights_and_shares(self):
        book = os.path.join(self.folder, "book.bin")
        with open(book, "wb") as file:  # d2d4 of weight 1, e2e4 of weight 3
            file.write(struct.pack(">QHHIQHHI", START_KEY, 0x2DB, 1, 0, START_KEY, 0x31C, 3, 0))
        started = self.start_here(f"POLYGLOT_BOOK {book}\n")
        self.assertEqual(started.banner.splitlines()[0], engine.engine_name())  # no complaint
        self.assertEqual(started.output_for("bk"), " Move\t[Weight, Share]\n e4\t[3, 75%]\n d4\t[1, 25%]\n\n")
        self.assertEqual(started.output_for("force", "e2e4", "bk"), "")  # out of the book

    def test_no_polyglot_move_into_a_repeated_position_nor_while_pondering_or_analysing(self):
        book = os.path.join(self.folder, "knight.bin")
        with open(book, "wb") as file:
            file.write(struct.pack(">QHHI", START_KEY, 6 << 6 | 2 << 3 | 5, 1, 0))  # g1f3 of weight 1
        started = self.start_here()
        started.output_until_ready("uci", f"setoption name PolyglotBook value {book}")
        self.assertEqual(started.bestmove("position startpos", "go depth 2"), "bestmove g1f3\n")
        # After Nf3 Nf6 Ng1 Ng8, Nf3 would repeat the position after 1.Nf3.
        self.assertIn("info depth", started.bestmove("position startpos moves g1f3 g8f6 f3g1 f6g8", "go depth 2"))
        for go in ("go infinite", "go ponder wtime 60000 btime 60000"):
            started.send("ucinewgame", "position startpos", go)
            self.assertTrue(started.read_until(lambda line: line.startswith(("info depth", "bestmove")))
                            .splitlines()[-1].startswith("info depth"), go)
            started.bestmove("stop")
        # An empty value, in any of its forms, takes the book away.
        for empty in ("value <empty>", "value", ""):
            started.output_until_ready(f"setoption name PolyglotBook value {book}")
            self.assertEqual(started.output_until_ready(f"setoption name PolyglotBook {empty}"), "")
            self.assertIn("info depth", started.bestmove("position startpos", "go depth 1"), empty)


if __name__ == "__main__":
    engine.main()
