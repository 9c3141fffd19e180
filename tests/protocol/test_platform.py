"""What every system the engine is built for must do (under Wine and qemu too):
commands obeyed during a search in both protocols, with two threads; the book
and settings found beside the program started from another folder, the
settings naming the Syzygy tables by a path with a blank."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import engine

GAMES = "".join(f'[Event "{i}"]\n[Result "1-0"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n' for i in range(6))
MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 9"


def native_path(path):
    """The path as the engine reads it: under Wine, Linux's file system is drive Z:."""
    return "Z:" + path.replace("/", "\\") if engine.BINARY.endswith(".exe") else path


class BesideTheProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        folder = tempfile.TemporaryDirectory()
        cls.addClassCleanup(folder.cleanup)
        home = os.path.join(folder.name, "engine home")
        cls.elsewhere = os.path.join(folder.name, "elsewhere")
        os.mkdir(home)
        os.mkdir(cls.elsewhere)
        cls.program = shutil.copy(engine.BINARY, home)
        tables = os.path.join(home, "syzygy tables")
        os.symlink(os.path.abspath("../data/syzygy"), tables)
        with open(os.path.join(home, "games.pgn"), "w") as file:
            file.write(GAMES)
        subprocess.run([*engine.RUNNER, cls.program, "/CB", "games.pgn"], cwd=home, stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=120, check=True)
        with open(os.path.join(home, "quor.cfg"), "w") as file:
            file.write(f"THREADS 2\nSYZYGY_PATH {native_path(tables)}\n")

    def start(self):
        started = engine.Engine(cwd=self.elsewhere, binary=self.program)
        self.addCleanup(started.stop)
        self.assertIn("Syzygy Status: Maximum 4 piece tablebases found\n", started.output_for(timeout=60))
        return started

    def test_uci_search_reads_isready_and_stop_and_probes_the_tables(self):
        uci = self.start()
        uci.output_until_ready("uci", timeout=60)
        uci.send("position fen " + MIDDLEGAME, "go infinite")
        uci.read_until(lambda line: line.startswith("info score"), timeout=60)
        uci.send("isready")
        self.assertNotIn("bestmove", uci.read_until("readyok", timeout=60))
        self.assertRegex(uci.bestmove("stop", timeout=60).splitlines()[-1], "^bestmove " + engine.UCI_MOVE)
        self.assertTrue(uci.output_until_ready("position fen 4k3/8/4K3/4P3/8/8/8/8 w - -", "egtb")
                        .endswith("Syzygy Win, DTZ 3\n"))
        uci.send("quit")
        self.assertEqual(uci.process.wait(30), 0)

    def test_xboard_book_move_now_and_ponder_hit(self):
        xboard = self.start()
        self.assertEqual(xboard.output_for("xboard", "bk"),
                         " Move\t[Weight, Frequency, Win/Loss, Learned]\n e4\t[360, 6, 6, 0]\n \n\n")
        # Six minutes a move: only "?" makes it come within the wait.
        xboard.send("hard", "setboard " + MIDDLEGAME, "level 40 240 0", "post", "go")
        xboard.read_until(lambda line: line.lstrip()[:1].isdigit(), timeout=60)  # a thinking line: it searches
        xboard.send("?")
        xboard.read_until(lambda line: line.startswith("move "), timeout=60)
        # Pondering now, without an end: only the expected reply, read while
        # it runs, makes it the real search of a second a move.
        hint = re.search(r"^Hint: ([a-h][1-8][a-h][1-8])$", xboard.output_for("st 1", "hint", timeout=60), re.M)
        self.assertIsNotNone(hint)
        xboard.send(hint[1])
        xboard.read_until(lambda line: line.startswith("move "), timeout=60)
        xboard.process.stdin.close()
        self.assertEqual(xboard.process.wait(30), 0)


if __name__ == "__main__":
    engine.main()
