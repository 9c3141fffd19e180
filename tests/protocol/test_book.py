"""The books through the built engine: the book jobs of the command line, the
own book found on disk, and Polyglot books against the polyglot tool."""
import os
import re
import shutil
import struct
import subprocess
import tempfile

import engine

# Six games won by White: the four positions of 1.e4 e5 2.Nf3 Nc6 are in
# the book six times each.
GAMES = "".join(f'[Event "{i}"]\n[Result "1-0"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n' for i in range(6))
MASTER_GAMES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "polyglot_games.pgn")
POLYGLOT = "/usr/games/polyglot" if os.path.exists("/usr/games/polyglot") else shutil.which("polyglot")
START_KEY = 0x463B96181691FC9C  # the published key of the start position
# Positions as coordinate moves and as the same moves in algebraic notation
# (the last with castling among the candidates).
POSITIONS = [([], []), (["e2e4", "c7c5"], ["e4", "c5"]), (["d2d4", "g8f6"], ["d4", "Nf6"]),
             (["e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6"],
              ["e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6"])]


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

    def test_bk_shows_the_moves_and_shares_of_the_polyglot_dump(self):
        subprocess.run([POLYGLOT, "make-book", "-pgn", os.path.abspath(MASTER_GAMES), "-bin", "book.bin",
                        "-max-ply", "16", "-min-game", "2"], cwd=self.folder, check=True, capture_output=True)
        shares = {}  # per position (its moves from the start), each book move's share in percent
        for colour in ("white", "black"):
            subprocess.run([POLYGLOT, "dump-book", "-bin", "book.bin", "-color", colour, "-out", colour],
                           cwd=self.folder, check=True, capture_output=True)
            with open(os.path.join(self.folder, colour)) as dump:
                for line in filter(lambda line: line[:1].isdigit(), dump):
                    played = []
                    for word in line.split()[1:]:
                        if word.startswith("{"):
                            break  # a transposition note: the line goes on as an earlier one
                        if word.endswith("."):
                            continue
                        san, _, share = word.rstrip("%}").partition("{")
                        if share:
                            shares.setdefault(tuple(played), {})[san.rstrip("+#")] = int(share)
                        played.append(san.rstrip("+#"))
        started = self.start_here(f"POLYGLOT_BOOK {os.path.join(self.folder, 'book.bin')}\n")
        self.assertEqual(started.banner.splitlines()[0], engine.engine_name())  # no complaint
        for moves, sans in POSITIONS:
            lines = started.output_for("new", "force", *moves, "bk").splitlines()
            self.assertEqual((lines[0], lines[-1]), (" Move\t[Weight, Share]", ""))
            shown = {m[1]: (int(m[2]), int(m[3])) for m in (re.fullmatch(r" (\S+)\t\[(\d+), (\d+)%\]", line)
                                                            for line in lines[1:-1])}
            self.assertEqual(sorted(shown), sorted(shares[tuple(sans)]), sans)
            total = sum(weight for weight, _ in shown.values())
            for san, (weight, share) in shown.items():
                self.assertLessEqual(abs(100 * weight / total - shares[tuple(sans)][san]), 1, (sans, san))
                self.assertLessEqual(abs(100 * weight / total - share), 0.5, (sans, san))

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
