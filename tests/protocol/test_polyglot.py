"""Polyglot books through the engine: the "bk" display agrees with the
polyglot tool's dump of a book it built from master games, the engine plays
from the book without searching, and refused files are named."""
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

# Positions as the coordinate moves that reach them and the same moves in
# standard algebraic notation, worked out by hand.
POSITIONS = [
    ([], []),
    (["e2e4"], ["e4"]),
    (["d2d4"], ["d4"]),
    (["e2e4", "c7c5"], ["e4", "c5"]),
    (["e2e4", "c7c5", "g1f3"], ["e4", "c5", "Nf3"]),
    (["d2d4", "g8f6"], ["d4", "Nf6"]),
    (["e2e4", "e7e5", "g1f3", "b8c6"], ["e4", "e5", "Nf3", "Nc6"]),
    (["e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5a4", "g8f6"],
     ["e4", "e5", "Nf3", "Nc6", "Bb5", "a6", "Ba4", "Nf6"]),  # castling among the candidates
]

# The first moves of the book, in both notations.
FIRST_MOVES = {"e4": "e2e4", "d4": "d2d4", "Nf3": "g1f3", "c4": "c2c4", "g3": "g2g3"}


def book_move(text):
    """The book's 16-bit form of a coordinate move."""
    files, rows = "abcdefgh", "12345678"
    return (rows.index(text[1]) << 9 | files.index(text[0]) << 6 | rows.index(text[3]) << 3
            | files.index(text[2]))


def dumped_shares(directory):
    """Per position (its SAN moves from the start): each book move's share in
    percent, from the dump of the lines of both colours."""
    shares = {}
    for colour in ("white", "black"):
        subprocess.run([POLYGLOT, "dump-book", "-bin", "book.bin", "-color", colour, "-out", colour],
                       cwd=directory, check=True, capture_output=True)
        with open(os.path.join(directory, colour)) as dump:
            for line in dump:
                if not line[:1].isdigit():
                    continue
                played = []
                for word in line.split()[1:]:
                    if word.startswith("{"):
                        break  # a transposition note: the line goes on as an earlier one
                    if word.endswith("."):
                        continue
                    san, _, share = word.partition("{")
                    san = san.rstrip("+#")
                    if share:
                        shares.setdefault(tuple(played), {})[san] = int(share.rstrip("%}"))
                    played.append(san)
    return shares


def displayed_weights(text):
    """The moves and weights of a "bk" display, with the shares it shows."""
    lines = text.splitlines()
    assert lines[0] == " Move\t[Weight, Share]", text
    assert lines[-1] == "", text
    found = {}
    for line in lines[1:-1]:
        match = re.fullmatch(r" (\S+)\t\[(\d+), (\d+)%\]", line)
        assert match, line
        found[match.group(1)] = (int(match.group(2)), int(match.group(3)))
    return found


class PolyglotBook(engine.unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        assert POLYGLOT, "the polyglot package is not installed"
        cls.directory = tempfile.mkdtemp(prefix="quor polyglot ")  # a path with a blank
        subprocess.run([POLYGLOT, "make-book", "-pgn", os.path.abspath(GAMES), "-bin", "book.bin",
                        "-max-ply", "16", "-min-game", "2"], cwd=cls.directory, check=True, capture_output=True)
        cls.book = os.path.join(cls.directory, "book.bin")
        cls.shares = dumped_shares(cls.directory)

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

    def write_book(self, name, entries):
        """A book of (key, coordinate move, weight) entries, written in order."""
        path = os.path.join(self.directory, name)
        with open(path, "wb") as file:
            for key, move, weight in entries:
                file.write(struct.pack(">QHHI", key, book_move(move), weight, 0))
        return path

    def test_bk_shows_the_moves_and_shares_of_the_dump(self):
        started = self.start(f"POLYGLOT_BOOK {self.book}\n")
        self.assertEqual(started.banner.splitlines()[0], engine.engine_name())  # no complaint
        for moves, sans in POSITIONS:
            expected = self.shares[tuple(sans)]
            self.assertGreater(len(expected), 1 if not moves else 0, sans)
            shown = displayed_weights(started.output_for("new", "force", *moves, "bk"))
            self.assertEqual(sorted(shown), sorted(expected), sans)
            total = sum(weight for weight, _ in shown.values())
            for san, (weight, share) in shown.items():
                self.assertLessEqual(abs(100 * weight / total - expected[san]), 1, (sans, san))
                self.assertLessEqual(abs(100 * weight / total - share), 0.5, (sans, san))

    def test_bk_waits_for_no_search_and_leaves_it_alone(self):
        started = self.start(f"POLYGLOT_BOOK {self.book}\n")
        started.send("xboard", "protover 2", "new", "post", "analyze")
        started.read_until(lambda line: line.startswith(" 1 "))  # the search has begun
        text = started.output_for("bk", "exit")
        self.assertNotIn("Move\t", text)
        self.assertEqual(started.board(), engine.board_of_fen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"))

    def test_uci_engine_plays_book_moves_without_searching_and_varies_them(self):
        started = self.uci_engine(self.book)
        self.assertEqual(set(self.shares[()]), set(FIRST_MOVES))
        played = set()
        for _ in range(30):  # e4 has a share of 60%, d4 of 35%: 30 equal choices are too unlikely to matter
            started.send("ucinewgame", "position startpos", "go wtime 60000 btime 60000")
            text = started.read_until(lambda line: line.startswith("bestmove "))
            self.assertEqual(text.count("\n"), 1, text)  # no info lines: no search
            played.add(text.split()[1])
        self.assertGreater(len(played), 1)
        self.assertLessEqual(played, set(FIRST_MOVES.values()))

    def test_an_empty_value_takes_the_book_away(self):
        for empty in ("value <empty>", "value", ""):
            started = self.uci_engine(self.book)
            self.assertEqual(started.output_until_ready(f"setoption name PolyglotBook {empty}"), "")
            started.send("position startpos", "go depth 1")
            self.assertIn("info depth", started.read_until(lambda line: line.startswith("bestmove ")), empty)

    def test_no_book_move_into_a_repeated_position_nor_while_pondering_or_analysing(self):
        book = self.write_book("knight.bin", [(START_KEY, "g1f3", 1)])
        started = self.uci_engine(book)
        started.send("position startpos", "go depth 2")
        self.assertEqual(started.read_until(lambda line: line.startswith("bestmove ")), "bestmove g1f3\n")
        # After Nf3 Nf6 Ng1 Ng8, Nf3 would repeat the position after 1.Nf3.
        started.send("position startpos moves g1f3 g8f6 f3g1 f6g8", "go depth 2")
        self.assertIn("info depth", started.read_until(lambda line: line.startswith("bestmove ")))
        for go in ("go infinite", "go ponder wtime 60000 btime 60000"):
            started.send("ucinewgame", "position startpos", go)
            self.assertTrue(started.read_until(lambda line: line.startswith(("info depth", "bestmove")))
                            .splitlines()[-1].startswith("info depth"), go)
            started.send("stop")
            started.read_until(lambda line: line.startswith("bestmove "))

    def test_refused_files_are_named_in_one_message(self):
        truncated = os.path.join(self.directory, "truncated.bin")
        with open(self.book, "rb") as source, open(truncated, "wb") as target:
            target.write(source.read()[:-3])
        unsorted = self.write_book("unsorted.bin", [(START_KEY, "e2e4", 1), (START_KEY - 1, "d2d4", 1)])
        missing = os.path.join(self.directory, "missing.bin")
        started = self.start()
        started.send("uci")
        started.read_until("uciok")
        for path, reason in [(missing, "it cannot be opened"), (truncated, "its length is not a multiple of 16 bytes"),
                             (unsorted, "its entries are not sorted by key")]:
            self.assertEqual(started.output_until_ready(f"setoption name PolyglotBook value {path}"),
                             f"info string Polyglot book {path} not used: {reason}\n")
        self.assertEqual(self.start(f"POLYGLOT_BOOK {missing}\n").banner.splitlines()[0],
                         f"Polyglot book {missing} not used: it cannot be opened")


if __name__ == "__main__":
    engine.main()
