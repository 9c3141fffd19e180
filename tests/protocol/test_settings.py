"""Settings through the binary: the hash size (UCI Hash, xboard memory),
Clear Hash, files and folders that cannot serve refused at once, paths with
blanks reaching the book and tablebase code whole, and xboard's settings
dialog: its option commands and MultiPV analysis; both option lists against
the README's table."""
import os
import re
import shutil
import tempfile

import engine

HERE = os.path.dirname(os.path.abspath(__file__))
SYZYGY_TABLES = os.path.join(HERE, "..", "data", "syzygy")
README = os.path.join(HERE, "..", "..", "README.md")
UCI_OPTION = re.compile(r"option name (.+?) type (\w+)(?: default ?(.*?))?(?: min (\d+) max (\d+))?$")
MIDDLEGAME = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -"
KQK = "8/8/8/8/8/8/Q7/K1k5 w - - 0 1"


def virtual_kilobytes(started):
    """The engine process's virtual memory size."""
    with open(f"/proc/{started.process.pid}/status") as status:
        return int(re.search(r"^VmSize:\s+(\d+) kB", status.read(), re.M).group(1))


class Folder:
    """A temporary folder with a blank in its name."""

    def __init__(self, test):
        self.path = tempfile.mkdtemp(prefix="quor settings ")
        test.addCleanup(shutil.rmtree, self.path)

    def join(self, *names):
        return os.path.join(self.path, *names)

    def fifo(self, name):
        os.mkfifo(self.join(name))
        return self.join(name)

    def write(self, name, data):
        with open(self.join(name), "wb" if isinstance(data, bytes) else "w") as file:
            file.write(data)

    def engine(self):
        started = engine.Engine(cwd=self.path)
        started.banner = started.output_for(timeout=2)
        return started

    def nalimov_tables(self):
        """A folder holding "kqk" for White to move, every byte 30: a win
        the engine scores 9806 at the root (the file is not checked against
        the engine's own mates: EGTB_VERIFY 0 in the engine's folder)."""
        tables = self.join("nalimov tables")
        os.mkdir(tables)
        with open(os.path.join(tables, "kqk.nbw"), "wb") as file:
            file.write(bytes([30]) * 28644)
        self.write("quor.cfg", "EGTB_VERIFY 0\n")
        return tables


def readme_settings():
    """The README's settings table: for each UCI option its xboard cell and
    the option line or xboard feature its values (default) cell stands for."""
    with open(README) as readme:
        table = readme.read().split("\n| UCI option |")[1].split("\n\n")[0]
    rows = {}
    for row in table.splitlines()[2:]:
        name, xboard, values = [cell.strip() for cell in row.strip("|").split("|")][:3]
        check = re.fullmatch(r"on/off \((on|off)\)", values)
        spin = re.fullmatch(r"(\d+) to (\d+)(?: \w+)? \((\d+)\)", values)
        if check:
            kind, default = "check", {"on": "true", "off": "false"}[check.group(1)]
        elif spin:
            kind, default = "spin", spin.group(3) + " min " + spin.group(1) + " max " + spin.group(2)
        elif values == "button":
            kind, default = "button", None
        else:
            kind, default = "file" if values.startswith("file") else "string", ""
        rows[name.strip("`")] = (xboard, kind, default)
    return rows


class UciSettings(engine.UciEngineTest):
    def test_option_lists_agree_with_the_readme_and_show_the_values_in_effect(self):
        lines = self.identification.splitlines()
        self.assertEqual(lines[:2] + lines[-1:], [f"id name {engine.engine_name()}", "id author Velmar", "uciok"])
        announced = {}
        for line in lines[2:-1]:
            name, kind, default, low, high = UCI_OPTION.fullmatch(line).groups()
            announced[name] = (kind, default if low is None else f"{default} min {low} max {high}")
        rows = readme_settings()
        self.assertEqual(sorted(announced), sorted(rows))
        del announced["UCI_Opponent"]  # a string the interface fills in, with no value of its own
        for name, (kind, default) in announced.items():
            readme_kind = rows[name][1].replace("file", "string")
            self.assertEqual((kind, default), (readme_kind, rows[name][2]), name)
        # xboard's dialog offers the settings the README names with "option".
        features = re.findall(r'^feature option="(.+?) -(\w+) ?(.*)"$', self.engine.output_for("xboard", "protover 2"),
                              re.M)
        self.assertEqual(sorted(name for name, _, _ in features),
                         sorted(name for name, (xboard, _, _) in rows.items() if xboard.startswith("`option ")))
        for name, kind, values in features:
            _, readme_kind, default = rows[name]
            shown = {"check": "1" if default == "true" else "0", "spin": " ".join((default or "").split()[::2])}
            self.assertEqual((kind, values), (readme_kind, shown.get(kind, "")), name)

    def test_option_list_shows_the_settings_file_and_a_search_uses_them(self):
        folder = Folder(self)
        folder.write("quor.cfg", "PONDER 1\nLEARN 1\nRESIGN 1\nTT_SIZE 12288\nTHREADS 2\n")
        started = folder.engine()
        self.addCleanup(started.stop)
        started.send("uci")
        text = started.read_until("uciok")
        for line in ("Hash type spin default 12 ", "Ponder type check default true\n", "Threads type spin default 2 ",
                     "EnableBookLearning type check default true\n", "CanResign type check default true\n"):
            self.assertIn(f"\noption name {line}", text)
        # Pondering is on: the answer names the move to ponder on.
        started.send("position startpos moves e2e4", "go depth 4")
        self.assertRegex(started.read_until(engine.is_bestmove, timeout=20).splitlines()[-1],
                         "^bestmove " + engine.UCI_MOVE + " ponder " + engine.UCI_MOVE + "$")

    def bestmove(self, *lines):
        self.engine.send(*lines)
        return self.engine.read_until(engine.is_bestmove, timeout=20)

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
        self.assertRegex(self.bestmove("position startpos", "go depth 3").splitlines()[-1], "^bestmove ")

    def test_clear_hash_makes_a_repeated_search_search_the_same_nodes(self):
        def counts():
            # A ponder search ended by "stop" leaves the score and the table
            # age as they were, so that only the tables differ between runs.
            self.engine.send("go ponder depth 5")
            text = self.engine.read_until(lambda line: " depth 5 " in line and line.startswith("info score"))
            text += self.engine.quiet_for(0.5)
            self.engine.send("stop")
            text += self.engine.read_until(engine.is_bestmove)
            return re.findall(r"^info score .* depth (\d+) .* nodes (\d+) ", text, re.M)
        self.engine.send("position startpos moves e2e4 e7e5")
        first = counts()
        warm = counts()
        self.assertLess(int(warm[-1][1]), int(first[-1][1]))  # the table holds the first search's results
        self.engine.send("setoption name Clear Hash")
        cleared = counts()
        self.engine.send("setoption name Clear Hash")
        self.assertEqual(counts(), cleared)
        self.assertNotEqual(cleared, warm)

    def test_files_and_folders_that_cannot_serve_are_refused_at_once(self):
        folder = Folder(self)
        fifo = folder.fifo("fifo")
        for path in ("/dev/zero", fifo, folder.path):
            self.assertEqual(self.engine.output_until_ready(f"setoption name PolyglotBook value {path}", timeout=2),
                             f"info string Polyglot book {path} not used: it is not a regular file\n")
        for option, kind in (("SyzygyPath", "Syzygy"), ("NalimovPath", "Nalimov")):
            for path in ("/dev/zero", fifo):
                self.assertEqual(self.engine.output_until_ready(f"setoption name {option} value {path}", timeout=2),
                                 f"info string {kind} path {path} is not a folder\n")

    def test_paths_with_blanks_reach_the_tablebase_code_whole(self):
        folder = Folder(self)
        syzygy = folder.join("syzygy tables")
        shutil.copytree(SYZYGY_TABLES, syzygy)
        self.assertEqual(self.engine.output_until_ready(f"setoption name SyzygyPath value {syzygy}"),
                         "info string Syzygy tablebases: 4 men\n")
        nalimov = folder.nalimov_tables()
        started = engine.Engine(cwd=folder.path)
        self.addCleanup(started.stop)
        started.send("uci", "debug on")
        text = started.output_until_ready(f"setoption name NalimovPath value {nalimov}",
                                          "setoption name NalimovCache value 4", f"position fen {KQK}", "egtb")
        self.assertIn("Maximum 3 piece TB found\n", text)
        self.assertIn("Max 3 , Score 9806\n", text)


class StartUpSettings(engine.unittest.TestCase):
    def test_settings_file_paths_keep_their_blanks_and_files_that_cannot_serve_are_refused(self):
        folder = Folder(self)
        nalimov = folder.nalimov_tables()
        syzygy = folder.join("syzygy tables")
        shutil.copytree(SYZYGY_TABLES, syzygy)
        folder.write("quor.cfg", f"EGTB_VERIFY 0\nEGTB_PATH {nalimov}\nSYZYGY_PATH = {syzygy}  \n")
        started = folder.engine()
        self.addCleanup(started.stop)
        self.assertIn("EGTB Status: Maximum 3 piece tablebases found\n", started.banner)
        self.assertIn("Syzygy Status: Maximum 4 piece tablebases found\n", started.banner)
        fifo = folder.fifo("fifo")
        folder.fifo("QuorBook.bin")
        folder.write("quor.cfg", f"EGTB_PATH {fifo}\nSYZYGY_PATH /dev/zero\nPOLYGLOT_BOOK {fifo}\n")
        started = folder.engine()
        self.addCleanup(started.stop)
        self.assertEqual(started.banner.split(engine.engine_name())[0],
                         f"Nalimov path {fifo} is not a folder\n"
                         "Syzygy path /dev/zero is not a folder\n"
                         "Book QuorBook.bin not used: it is not a regular file\n"
                         f"Polyglot book {fifo} not used: it is not a regular file\n")
        folder.write("quor.cfg", "POLYGLOT_BOOK /dev/zero\n")
        started = folder.engine()
        self.addCleanup(started.stop)
        self.assertIn("Polyglot book /dev/zero not used: it is not a regular file\n", started.banner)


class XboardSettings(engine.EngineTest):
    def test_egtpath_with_blanks_reaches_the_tablebase_code_whole(self):
        folder = Folder(self)
        nalimov = folder.nalimov_tables()
        started = folder.engine()
        self.addCleanup(started.stop)
        text = started.output_for(f"egtpath nalimov {nalimov}", f"setboard {KQK}", "egtb")
        self.assertTrue(text.startswith("Max 3 , Score 9806\n"), text)

    def lines_per_depth(self, last_depth):
        """The number of thinking lines of each depth of an analysis up to
        `last_depth`, read up to the first line of the next depth."""
        text = self.engine.read_until(lambda line: re.match(rf"^ *{last_depth + 1} ", line) is not None, timeout=30)
        return [len(re.findall(rf"^ *{depth} ", text, re.M)) for depth in range(1, last_depth + 1)]

    def test_multipv_analysis_shows_that_many_lines_per_depth(self):
        self.engine.send("post", "option MultiPV=3", f"setboard {MIDDLEGAME}", "analyze")
        self.assertEqual(self.lines_per_depth(5), [3] * 5)
        # A new number of lines starts the analysis again.
        self.engine.send("option MultiPV=2")
        self.engine.read_until(lambda line: re.match(r"^ *1 ", line) is not None, timeout=10)
        self.assertEqual(self.lines_per_depth(4), [1, 2, 2, 2])
        self.engine.output_for("exit")

if __name__ == "__main__":
    engine.main()
