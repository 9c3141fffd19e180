"""Start-up: the banner that quor.cfg in the current folder shapes, the jobs
of the command line, and the console commands perft, bench and egtb."""
import os
import subprocess
import tempfile

import engine

SYZYGY_TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")
PERFT = [("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 5, 4865609),
         ("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 4, 4085603),
         ("8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 5, 674624),
         ("r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 4, 422333),
         ("rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", 4, 2103487),
         ("r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", 4, 3894594)]


def banner_text(table_kilobytes=3136, syzygy_status="Not found"):
    return (f"{engine.engine_name()}\nby Velmar\n\n\rMemory Usage:\n    Transposition Table: {table_kilobytes} KB\n"
            "    Pawn Hash          : 128 KB\n    Endgame Tablebase  : 0 MB\n\nEGTB Status: Not found\n\n"
            f"Syzygy Status: {syzygy_status}\n\n")


class StartUp(engine.EngineTest):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def banner_with(self, settings):
        with open(os.path.join(self.folder.name, "quor.cfg"), "w") as file:
            file.write(settings)
        return self.start(cwd=self.folder.name).banner

    def test_banner_shows_the_settings_file(self):
        self.assertEqual(self.start(cwd=self.folder.name).banner, banner_text())  # no settings file
        # The test tables go up to four men; a missing folder is reported once.
        for settings, prefix, kilobytes, syzygy in [
                ("TT_SIZE 10\n", "", 3136, "Not found"), ("TT_SIZE 3072\n", "", 3136, "Not found"),
                ("TT_SIZE 3071\n", "", 1600, "Not found"), ("TT_SIZE 48\n", "", 112, "Not found"),
                ("TT_SIZE = 12288\r\n", "", 12352, "Not found"), ("TT_SIZE=3071\n", "", 3136, "Not found"),
                (f"SYZYGY_PATH {SYZYGY_TABLES}\n", "", 3136, "Maximum 4 piece tablebases found"),
                ("SYZYGY_PATH /no/such/tables\n", "Syzygy path /no/such/tables does not exist\n", 3136, "Not found")]:
            self.assertEqual(self.banner_with(settings), prefix + banner_text(kilobytes, syzygy), settings)

    def run_job(self, *args):
        done = subprocess.run([engine.BINARY, *args], cwd=self.folder.name, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120)
        self.assertEqual(done.returncode, 0, args)
        output = done.stdout.decode()
        self.assertTrue(output.startswith(banner_text()), output)
        return output[len(banner_text()):]

    def test_command_line_jobs_without_their_argument_or_misspelt(self):
        for args, reply in [(["/CB"], "Please specify path to the PGN file\n"),
                            (["/SB"], "Please specify scoring depth\n"),
                            (["/MB"], "Please specify source book file\n"),
                            (["/MBO"], "Please specify source book file\n"),
                            (["/cb"], "Invalid option\n"), (["/CBX", "games.pgn"], "Invalid option\n"),
                            (["-h"], "Invalid option\n")]:
            self.assertEqual(self.run_job(*args), reply, args)

    def test_bench_counts_as_a_fresh_engine_whatever_was_set(self):
        nodes = self.run_job("bench", "5").splitlines()[0]
        self.assertRegex(nodes, r"^Nodes searched: \d+$")
        session = self.start(cwd=self.folder.name)
        session.output_for("memory 64", "cores 2", "option MultiPV=4", "option Skill Level=0")
        self.assertIn(nodes + "\n", session.output_for("bench 5", timeout=120))

    def test_perft_totals_of_reference_positions_and_egtb_without_tables(self):
        started = self.start()
        for fen, depth, nodes in PERFT:
            text = started.output_for("setboard " + fen, f"perft {depth}", timeout=300)
            self.assertTrue(text.endswith(f"\nNodes searched: {nodes}\n"), (fen, text[-80:]))
        self.assertEqual(started.output_for("egtb"), "EGTB not found\n")
        # Deeper than the engine's plies: refused, not a crash.
        text = started.output_for("setboard " + PERFT[0][0], "perft 200", "perft -8446751571892", "perft 1")
        self.assertTrue(text.endswith("\nNodes searched: 20\n"), text[-80:])


if __name__ == "__main__":
    engine.main()
