"""Start-up, settings and books through the binary: the banner and options that
quor.cfg shapes, the command-line jobs (the book jobs among them), the console
commands perft, bench, egtb and bk, a hash size and files refused at once, paths
with blanks reaching the tables whole, and the own and Polyglot books played."""
import os
import shutil
import struct
import subprocess
import tempfile

import engine

SYZYGY_TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")
# Six games won by White: the four positions of 1.e4 e5 2.Nf3 Nc6 are in
# the book six times each.
GAMES = "".join(f'[Event "{i}"]\n[Result "1-0"]\n\n1. e4 e5 2. Nf3 Nc6 1-0\n\n' for i in range(6))
START_KEY = 0x463B96181691FC9C  # the published key of the start position
KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"  # 97862 paths of three plies


def banner_text(table_kilobytes=3136, syzygy_status="Not found"):
    return (f"{engine.engine_name()}\nby Velmar\n\n\rMemory Usage:\n    Transposition Table: {table_kilobytes} KB\n"
            "    Pawn Hash          : 128 KB\n    Endgame Tablebase  : 0 MB\n\nEGTB Status: Not found\n\n"
            f"Syzygy Status: {syzygy_status}\n\n")


class Settings(engine.EngineTest):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quor settings ")  # a path with a blank
        self.addCleanup(shutil.rmtree, self.folder)

    def start_here(self, settings=None, uci=False):
        """An engine in the test's folder with `settings` as its quor.cfg."""
        if settings is not None:
            with open(os.path.join(self.folder, "quor.cfg"), "w") as file:
                file.write(settings)
        return self.start(cwd=self.folder, uci=uci)

    def run_job(self, *args):
        """What a command-line job prints after the banner."""
        done = subprocess.run([engine.BINARY, *args], cwd=self.folder, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120)
        self.assertEqual(done.returncode, 0, args)
        self.assertTrue(done.stdout.decode().startswith(banner_text()), done.stdout)
        return done.stdout.decode()[len(banner_text()):]

    def test_banner_shows_the_settings_file(self):
        self.assertEqual(self.start_here().banner, banner_text())  # no settings file
        # The test tables go up to four men; a missing folder is reported once.
        for settings, prefix, kilobytes, syzygy in [
                ("TT_SIZE 3071\n", "", 1600, "Not found"), ("TT_SIZE = 12288\r\n", "", 12352, "Not found"),
                (f"SYZYGY_PATH {SYZYGY_TABLES}\n", "", 3136, "Maximum 4 piece tablebases found"),
                ("SYZYGY_PATH /no/such/tables\n", "Syzygy path /no/such/tables does not exist\n", 3136, "Not found")]:
            self.assertEqual(self.start_here(settings).banner, prefix + banner_text(kilobytes, syzygy), settings)

    def test_command_line_jobs_without_their_argument_or_misspelt(self):
        for args, reply in [(["/CB"], "Please specify path to the PGN file\n"),
                            (["/SB"], "Please specify scoring depth\n"),
                            (["/MB"], "Please specify source book file\n"),
                            (["/MBO"], "Please specify source book file\n"),
                            (["/cb"], "Invalid option\n"), (["/CBX", "games.pgn"], "Invalid option\n")]:
            self.assertEqual(self.run_job(*args), reply, args)

    def test_console_bench_counts_as_a_fresh_engine_and_perft_refuses_too_many_plies(self):
        nodes = self.run_job("bench", "5").splitlines()[0]
        self.assertRegex(nodes, r"^Nodes searched: \d+$")
        session = self.start_here()
        session.output_for("memory 64", "cores 2", "option MultiPV=4", "option Skill Level=0")
        self.assertIn(nodes + "\n", session.output_for("bench 5", timeout=120))
        text = session.output_for("setboard " + KIWIPETE, "perft 3", timeout=60)
        self.assertTrue(text.endswith("\nNodes searched: 97862\n"), text[-80:])
        self.assertEqual(session.output_for("egtb"), "EGTB not found\n")
        text = session.output_for("perft 200", "perft -8446751571892", "perft 1")
        self.assertTrue(text.endswith("\nNodes searched: 48\n"), text[-80:])

    def test_hash_that_cannot_be_had_keeps_the_old_table(self):
        # 1 MB hold 2^14 buckets of 48 bytes (768 KB).
        uci = self.start_here(uci=True)
        self.assertEqual(uci.output_until_ready("setoption name Hash value 1", "setoption name Hash value 131072"),
                         "info string Hash of 131072 MB could not be allocated: the table of 768 KB stays in use\n")
        self.assertRegex(uci.bestmove("position startpos", "go depth 3").splitlines()[-1], "^bestmove ")

    def test_files_and_folders_that_cannot_serve_are_refused_at_once(self):
        fifo, missing = os.path.join(self.folder, "fifo"), os.path.join(self.folder, "no.bin")
        truncated, unsorted = os.path.join(self.folder, "cut.bin"), os.path.join(self.folder, "sort.bin")
        os.mkfifo(fifo)
        with open(truncated, "wb") as file:
            file.write(struct.pack(">QHHI", START_KEY, 0x31C, 1, 0)[:-3])
        with open(unsorted, "wb") as file:
            file.write(struct.pack(">QHHIQHHI", 2, 0x31C, 1, 0, 1, 0x2DB, 1, 0))
        uci = self.start_here(uci=True)
        for option, path, reply in [
                ("PolyglotBook", fifo, f"Polyglot book {fifo} not used: it is not a regular file"),
                ("PolyglotBook", missing, f"Polyglot book {missing} not used: it cannot be opened"),
                ("PolyglotBook", truncated,
                 f"Polyglot book {truncated} not used: its length is not a multiple of 16 bytes"),
                ("PolyglotBook", unsorted, f"Polyglot book {unsorted} not used: its entries are not sorted by key"),
                ("SyzygyPath", "/dev/zero", "Syzygy path /dev/zero is not a folder"),
                ("NalimovPath", fifo, f"Nalimov path {fifo} is not a folder")]:
            self.assertEqual(uci.output_until_ready(f"setoption name {option} value {path}", timeout=2),
                             f"info string {reply}\n")
        os.mkfifo(os.path.join(self.folder, "QuorBook.bin"))
        self.assertEqual(self.start_here(f"EGTB_PATH {fifo}\nSYZYGY_PATH /dev/zero\nPOLYGLOT_BOOK {fifo}\n")
                         .banner.split(engine.engine_name())[0],
                         f"Nalimov path {fifo} is not a folder\nSyzygy path /dev/zero is not a folder\n"
                         "Book QuorBook.bin not used: it is not a regular file\n"
                         f"Polyglot book {fifo} not used: it is not a regular file\n")

    def test_settings_file_values_are_announced_and_paths_with_blanks_reach_the_tables_whole(self):
        # "kqk" for White to move, every byte 30: a win scored 9806 at the
        # root, when EGTB_VERIFY 0 leaves the engine's own mates unchecked.
        syzygy, nalimov = os.path.join(self.folder, "syzygy tables"), os.path.join(self.folder, "nalimov tables")
        shutil.copytree(SYZYGY_TABLES, syzygy)
        os.mkdir(nalimov)
        with open(os.path.join(nalimov, "kqk.nbw"), "wb") as file:
            file.write(bytes([30]) * 28644)
        started = self.start_here(f"EGTB_VERIFY 0\nEGTB_PATH {nalimov}\nSYZYGY_PATH = {syzygy}  \nPONDER 1\n"
                                  "THREADS 2\nEGTB_CACHE_SIZE 3\n", uci=True)
        self.assertIn("EGTB Status: Maximum 3 piece tablebases found\n", started.banner)
        self.assertIn("Syzygy Status: Maximum 4 piece tablebases found\n", started.banner)
        self.assertIn("\noption name Threads type spin default 2 ", started.identification)
        self.assertIn("\noption name NalimovCache type spin default 3 ", started.identification)
        # Pondering is on: the answer names the move to ponder on.
        self.assertRegex(started.bestmove("position startpos moves e2e4", "go depth 4").splitlines()[-1],
                         "^bestmove " + engine.UCI_MOVE + " ponder " + engine.UCI_MOVE + "$")
        started = self.start_here("EGTB_VERIFY 0\n", uci=True)
        self.assertEqual(started.output_until_ready(f"setoption name SyzygyPath value {syzygy}"),
                         "info string Syzygy tablebases: 4 men\n")
        text = started.output_until_ready("debug on", f"setoption name NalimovPath value {nalimov}",
                                          "setoption name NalimovCache value 4",
                                          "position fen 8/8/8/8/8/8/Q7/K1k5 w - -", "egtb")
        self.assertIn("Maximum 3 piece TB found\n", text)
        self.assertIn("Max 3 , Score 9806\n", text)

    def test_book_jobs_and_the_created_book_played_without_search(self):
        with open(os.path.join(self.folder, "games.pgn"), "w") as file:
            file.write(GAMES)
        self.assertEqual(self.run_job("/SB", "2"), "Cannot score the book!\n")  # no book here
        self.assertEqual(self.run_job("/CB", "games.pgn"),
                         "".join(f"\rProcessing game: {n} ... " for n in range(1, 7))
                         + "Done!\nCreating QuorBook.bin ... Done!\n")
        self.assertEqual(self.start_here().output_for("bk"),
                         " Move\t[Weight, Frequency, Win/Loss, Learned]\n e4\t[360, 6, 6, 0]\n \n\n")
        self.assertEqual(self.start_here(uci=True).bestmove("position startpos", "go wtime 300000 btime 300000"),
                         "bestmove e2e4\n")
        self.assertEqual(self.run_job("/SB", "2"), "".join(f"\rScoring {n} out of 4" for n in range(1, 5)))
        self.assertEqual(self.run_job("/SB", "2"), "")  # scored already
        self.assertEqual(self.run_job("/MB", "other.bin"), "Cannot open source file 'other.bin'\n")
        self.assertEqual(self.run_job("/CB", "missing.pgn"), "Cannot open PGN file 'missing.pgn'\n")

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
        started = self.start_here(uci=True)
        started.output_until_ready(f"setoption name PolyglotBook value {book}")
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
