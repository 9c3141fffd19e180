"""Polyglot books through the engine: the "bk" display agrees with the
polyglot tool's dump of a book it built from master games, "bk" leaves a
search alone, no book move into a repeated position nor while pondering or
analysing, an empty value takes the book away, and refused files are named."""
import os
import re
import shutil
import struct
import subprocess
import tempfile

import engine

GAMES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "polyglot_games.pgn")
POLYGLOT = "/usr/games/polyglot" if os.path.exists("/usr/games/polyglot") else shutil.which("polyglot")
START_KEY = 0x463B96181691FC9C  # the published key of the start position

# Positions as coordinate moves and as the same moves in algebraic notation.
POSITIONS = [
    ([], []),
    (["e2e4", "c7c5"], ["e4", "c5"]),
    (["d2d4", "g8f6"], ["d4", "Nf6"]),
    (["e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6"],
     ["e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6"]),  # castling among the candidates
]


def dumped_shares(directory):
    """Per position (its SAN moves from the start): each book move's share in
    percent, from the dump of the lines of both colours."""
    shares = {}
    for colour in ("white", "black"):
        subprocess.run([POLYGLOT, "dump-book", "-bin", "book.bin", "-color", colour, "-out", colour],
                       cwd=directory, check=True, capture_output=True)
        with open(os.path.join(directory, colour)) as dump:
            for line in filter(lambda line: line[:1].isdigit(), dump):
                played = []
                for word in line.split()[1:]:
                    if word.startswith("{"):
                        break  # a transposition note: the line goes on as an earlier one
                    if not word.endswith("."):
                        san, _, share = word.partition("{")
                        if share:
                            shares.setdefault(tuple(played), {})[san.rstrip("+#")] = int(share.rstrip("%}"))
                        played.append(san.rstrip("+#"))
    return shares


class PolyglotBook(engine.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        assert POLYGLOT, "the polyglot package is not installed"
        cls.directory = tempfile.mkdtemp(prefix="quor polyglot ")  # a path with a blank
        subprocess.run([POLYGLOT, "make-book", "-pgn", os.path.abspath(GAMES), "-bin", "book.bin",
                        "-max-ply", "16", "-min-game", "2"], cwd=cls.directory, check=True, capture_output=True)
        cls.book = os.path.join(cls.directory, "book.bin")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.directory)

    def start(self, settings=None):
        """An engine in its own directory, with `settings` as its quor.cfg."""
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        if settings is not None:
            with open(os.path.join(directory.name, "quor.cfg"), "w") as file:
                file.write(settings)
        started = engine.Engine(cwd=directory.name)
        self.addCleanup(started.stop)
        started.banner = started.output_for()
        return started

    def uci_engine(self, book):
        started = self.start()
        started.send("uci")
        started.read_until("uciok")
        self.assertEqual(started.output_until_ready(f"setoption name PolyglotBook value {book}"), "")
        return started

    def bestmove(self, started, *lines):
        started.send(*lines)
        return started.read_until(engine.is_bestmove)

    def test_bk_shows_the_moves_and_shares_of_the_dump(self):
        shares = dumped_shares(self.directory)
        started = self.start(f"POLYGLOT_BOOK {self.book}\n")
        self.assertEqual(started.banner.splitlines()[0], engine.engine_name())  # no complaint
        for moves, sans in POSITIONS:
            expected = shares[tuple(sans)]
            lines = started.output_for("new", "force", *moves, "bk").splitlines()
            self.assertEqual((lines[0], lines[-1]), (" Move\t[Weight, Share]", ""))
            shown = {m[1]: (int(m[2]), int(m[3])) for m in (re.fullmatch(r" (\S+)\t\[(\d+), (\d+)%\]", line)
                                                            for line in lines[1:-1])}
            self.assertEqual(sorted(shown), sorted(expected), sans)
            total = sum(weight for weight, _ in shown.values())
            for san, (weight, share) in shown.items():
                self.assertLessEqual(abs(100 * weight / total - expected[san]), 1, (sans, san))
                self.assertLessEqual(abs(100 * weight / total - share), 0.5, (sans, san))

    def test_bk_waits_for_no_search_and_leaves_it_alone(self):
        started = self.start(f"POLYGLOT_BOOK {self.book}\n")
        started.send("xboard", "protover 2", "new", "post", "analyze")
        started.read_until(lambda line: line.startswith(" 1 "))  # the search has begun
        self.assertNotIn("Move\t", started.output_for("bk", "exit"))
        self.assertEqual(started.board(), engine.board_of_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"))

    def test_an_empty_value_takes_the_book_away(self):
        for empty in ("value <empty>", "value", ""):
            started = self.uci_engine(self.book)
            self.assertEqual(started.output_until_ready(f"setoption name PolyglotBook {empty}"), "")
            self.assertIn("info depth", self.bestmove(started, "position startpos", "go depth 1"), empty)

    def test_no_book_move_into_a_repeated_position_nor_while_pondering_or_analysing(self):
        book = os.path.join(self.directory, "knight.bin")
        with open(book, "wb") as file:
            file.write(struct.pack(">QHHI", START_KEY, 6 << 6 | 2 << 3 | 5, 1, 0))  # g1f3
        started = self.uci_engine(book)
        self.assertEqual(self.bestmove(started, "position startpos", "go depth 2"), "bestmove g1f3\n")
        # After Nf3 Nf6 Ng1 Ng8, Nf3 would repeat the position after 1.Nf3.
        self.assertIn("info depth", self.bestmove(started, "position startpos moves g1f3 g8f6 f3g1 f6g8", "go depth 2"))
        for go in ("go infinite", "go ponder wtime 60000 btime 60000"):
            started.send("ucinewgame", "position startpos", go)
            self.assertTrue(started.read_until(lambda line: line.startswith(("info depth", "bestmove")))
                            .splitlines()[-1].startswith("info depth"), go)
            self.bestmove(started, "stop")

    def test_refused_files_are_named_in_one_message(self):
        truncated, unsorted, missing = (os.path.join(self.directory, name)
                                        for name in ("truncated.bin", "unsorted.bin", "missing.bin"))
        with open(self.book, "rb") as source, open(truncated, "wb") as target:
            target.write(source.read()[:-3])
        with open(unsorted, "wb") as file:
            file.write(struct.pack(">QHHI", START_KEY, 0x31C, 1, 0) + struct.pack(">QHHI", START_KEY - 1, 0x2DB, 1, 0))
        started = self.start()
        started.send("uci")
        started.read_until("uciok")
        for path, reason in [(missing, "it cannot be opened"), (truncated, "its length is not a multiple of 16 bytes"),
                             (unsorted, "its entries are not sorted by key"),
                             (self.directory, "it is not a regular file")]:
            self.assertEqual(started.output_until_ready(f"setoption name PolyglotBook value {path}"),
                             f"info string Polyglot book {path} not used: {reason}\n")
        self.assertEqual(self.start(f"POLYGLOT_BOOK {missing}\n").banner.splitlines()[0],
                         f"Polyglot book {missing} not used: it cannot be opened")


if __name__ == "__main__":
    engine.main()
