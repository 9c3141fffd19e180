"""Settings through the binary: quor.cfg in the option list, the hash size,
files refused at once, and paths with blanks reaching the tables whole."""
import os
import re
import shutil
import tempfile

import engine

SYZYGY_TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")
KQK = "8/8/8/8/8/8/Q7/K1k5 w - - 0 1"


def virtual_kilobytes(started):
    with open(f"/proc/{started.process.pid}/status") as status:
        return int(re.search(r"^VmSize:\s+(\d+) kB", status.read(), re.M).group(1))


class Settings(engine.EngineTest):
    uci = True

    def setUp(self):
        super().setUp()
        self.folder = tempfile.mkdtemp(prefix="quor settings ")  # a path with a blank
        self.addCleanup(shutil.rmtree, self.folder)
        self.fifo = os.path.join(self.folder, "fifo")
        os.mkfifo(self.fifo)

    def start_here(self, settings):
        """An engine in the test's folder with `settings` as its quor.cfg."""
        with open(os.path.join(self.folder, "quor.cfg"), "w") as file:
            file.write(settings)
        return self.start(cwd=self.folder)

    def nalimov_tables(self):
        # "kqk" for White to move, every byte 30: a win scored 9806 at the
        # root, when EGTB_VERIFY 0 leaves the engine's own mates unchecked.
        tables = os.path.join(self.folder, "nalimov tables")
        os.mkdir(tables)
        with open(os.path.join(tables, "kqk.nbw"), "wb") as file:
            file.write(bytes([30]) * 28644)
        return tables

    def test_settings_file_values_are_announced_and_used(self):
        lines = self.engine.identification.splitlines()
        self.assertEqual(lines[:2] + lines[-1:], [f"id name {engine.engine_name()}", "id author Velmar", "uciok"])
        started = self.start_here("PONDER 1\nLEARN 1\nRESIGN 1\nTT_SIZE 12288\nTHREADS 2\n")
        text = started.identification
        for line in ("Hash type spin default 12 ", "Ponder type check default true\n", "Threads type spin default 2 ",
                     "EnableBookLearning type check default true\n", "CanResign type check default true\n"):
            self.assertIn(f"\noption name {line}", text)
        # Pondering is on: the answer names the move to ponder on.
        self.assertRegex(started.bestmove("position startpos moves e2e4", "go depth 4").splitlines()[-1],
                         "^bestmove " + engine.UCI_MOVE + " ponder " + engine.UCI_MOVE + "$")

    def test_hash_resizes_and_a_size_that_cannot_be_had_keeps_the_old_table(self):
        # 1024 MB hold 2^24 buckets of 48 bytes (786432 KB); 1 MB 2^14 (768 KB).
        before = virtual_kilobytes(self.engine)
        self.assertEqual(self.engine.output_until_ready("setoption name Hash value 1024"), "")
        large = virtual_kilobytes(self.engine)
        self.assertGreater(large - before, 786432 - 3072 - 1024)
        self.engine.output_until_ready("setoption name Hash value 1")
        small = virtual_kilobytes(self.engine)
        self.assertLess(small, large - 786432 + 2048)
        self.assertEqual(self.engine.output_until_ready("setoption name Hash value 131072"),
                         "info string Hash of 131072 MB could not be allocated: the table of 768 KB stays in use\n")
        self.assertLess(abs(virtual_kilobytes(self.engine) - small), 1024)
        self.assertRegex(self.engine.bestmove("position startpos", "go depth 3").splitlines()[-1], "^bestmove ")

    def test_files_and_folders_that_cannot_serve_are_refused_at_once(self):
        for option, path, reply in [
                ("PolyglotBook", "/dev/zero", "Polyglot book /dev/zero not used: it is not a regular file"),
                ("PolyglotBook", self.fifo, f"Polyglot book {self.fifo} not used: it is not a regular file"),
                ("PolyglotBook", self.folder, f"Polyglot book {self.folder} not used: it is not a regular file"),
                ("SyzygyPath", "/dev/zero", "Syzygy path /dev/zero is not a folder"),
                ("SyzygyPath", self.fifo, f"Syzygy path {self.fifo} is not a folder"),
                ("NalimovPath", "/dev/zero", "Nalimov path /dev/zero is not a folder"),
                ("NalimovPath", self.fifo, f"Nalimov path {self.fifo} is not a folder")]:
            self.assertEqual(self.engine.output_until_ready(f"setoption name {option} value {path}", timeout=2),
                             f"info string {reply}\n")
        os.mkfifo(os.path.join(self.folder, "QuorBook.bin"))
        self.assertEqual(self.start_here(f"EGTB_PATH {self.fifo}\nSYZYGY_PATH /dev/zero\nPOLYGLOT_BOOK {self.fifo}\n")
                         .banner.split(engine.engine_name())[0],
                         f"Nalimov path {self.fifo} is not a folder\nSyzygy path /dev/zero is not a folder\n"
                         "Book QuorBook.bin not used: it is not a regular file\n"
                         f"Polyglot book {self.fifo} not used: it is not a regular file\n")

    def test_paths_with_blanks_reach_the_tablebase_code_whole(self):
        syzygy, nalimov = os.path.join(self.folder, "syzygy tables"), self.nalimov_tables()
        shutil.copytree(SYZYGY_TABLES, syzygy)
        self.assertEqual(self.engine.output_until_ready(f"setoption name SyzygyPath value {syzygy}"),
                         "info string Syzygy tablebases: 4 men\n")
        started = self.start_here(f"EGTB_VERIFY 0\nEGTB_PATH {nalimov}\nSYZYGY_PATH = {syzygy}  \n")
        self.assertIn("EGTB Status: Maximum 3 piece tablebases found\n", started.banner)
        self.assertIn("Syzygy Status: Maximum 4 piece tablebases found\n", started.banner)
        started = self.start_here("EGTB_VERIFY 0\n")
        text = started.output_until_ready("debug on", f"setoption name NalimovPath value {nalimov}",
                                          "setoption name NalimovCache value 4", f"position fen {KQK}", "egtb")
        self.assertIn("Maximum 3 piece TB found\n", text)
        self.assertIn("Max 3 , Score 9806\n", text)
        xboard = self.start_here("EGTB_VERIFY 0\n")
        self.assertTrue(xboard.output_for("xboard", f"egtpath nalimov {nalimov}", f"setboard {KQK}", "egtb")
                        .startswith("Max 3 , Score 9806\n"))


if __name__ == "__main__":
    engine.main()
