"""The opening book through the built engine: /CB builds it from a PGN file,
"bk" lists it, book moves come at once (in xboard after the candidate line),
and the other book jobs report their failures."""
import os
import subprocess
import tempfile
import time

import engine

# Six games won by White: the four positions of 1.e4 e5 2.Nf3 Nc6 are in
# the book six times each.
GAMES = "".join(f'[Event "{i}"]\n[Result "1-0"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n' for i in range(6))


class Book(engine.unittest.TestCase):
    def setUp(self):
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        self.folder = directory.name
        with open(os.path.join(self.folder, "games.pgn"), "w") as file:
            file.write(GAMES)

    def job(self, *args):
        """Runs a book job in the test's folder; returns what follows the banner
        (whose last lines report the tablebases)."""
        done = subprocess.run([engine.BINARY, *args], cwd=self.folder, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0)
        output = done.stdout.decode()
        marker = "Status: Not found\n\n"
        return output[output.rindex(marker) + len(marker):]

    def start(self):
        started = engine.Engine(cwd=self.folder)
        self.addCleanup(started.stop)
        started.output_for()
        return started

    def test_created_book_is_listed_and_played_without_search(self):
        self.assertEqual(self.job("/CB", "games.pgn"),
                         "".join(f"\rProcessing game: {n} ... " for n in range(1, 7))
                         + "Done!\nCreating QuorBook.bin ... Done!\n")
        xboard = self.start()
        self.assertEqual(xboard.output_for("bk"),
                         " Move\t[Weight, Frequency, Win/Loss, Learned]\n e4\t[360, 6, 6, 0]\n \n\n")
        xboard.send("new", "level 40 5 0", "post", "go")
        self.assertEqual(xboard.read_until(lambda line: line.startswith("move")), "0 0 0 0 ( e4 )\nmove e4\n")
        xboard.send("e7e5")
        self.assertEqual(xboard.read_until(lambda line: line.startswith("move")), "0 0 0 0 ( Nf3 )\nmove Nf3\n")

        uci = self.start()
        self.assertTrue(uci.output_until_ready("uci").endswith("uciok\n"))
        uci.send("position startpos", "go wtime 300000 btime 300000")
        started = time.monotonic()
        self.assertEqual(uci.read_until(engine.is_bestmove), "bestmove e2e4\n")
        self.assertLess(time.monotonic() - started, 1.0)

    def test_scoring_and_merging_report_what_they_cannot_do(self):
        self.assertEqual(self.job("/SB", "2"), "Cannot score the book!\n")  # no book here
        self.job("/CB", "games.pgn")
        self.assertEqual(self.job("/SB", "2"), "".join(f"\rScoring {n} out of 4" for n in range(1, 5)))
        self.assertEqual(self.job("/SB", "2"), "")  # scored already
        self.assertEqual(self.job("/MB", "other.bin"), "Cannot open source file 'other.bin'\n")
        self.assertEqual(self.job("/CB", "missing.pgn"), "Cannot open PGN file 'missing.pgn'\n")


if __name__ == "__main__":
    engine.main()
