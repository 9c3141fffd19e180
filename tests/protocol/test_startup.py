"""Start-up: the settings file quor.cfg in the current directory, the banner
it shapes, and the jobs of the command line."""
import os
import subprocess
import tempfile

import engine


SYZYGY_TABLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "syzygy")


def banner_text(table_kilobytes, syzygy_status="Not found"):
    return (f"{engine.engine_name()}\nby Velmar\n\n\rMemory Usage:\n"
            f"    Transposition Table: {table_kilobytes} KB\n"
            "    Pawn Hash          : 128 KB\n"
            "    Endgame Tablebase  : 0 MB\n\n"
            "EGTB Status: Not found\n\n"
            f"Syzygy Status: {syzygy_status}\n\n")


class StartUp(engine.unittest.TestCase):
    def start_in(self, settings=None, args=()):
        """An engine started in a fresh directory holding `settings` as its
        quor.cfg (none when None)."""
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        if settings is not None:
            with open(os.path.join(directory.name, "quor.cfg"), "w") as file:
                file.write(settings)
        started = engine.Engine(args=args, cwd=directory.name)
        self.addCleanup(started.stop)
        return started

    def test_banner_without_settings_file(self):
        self.assertEqual(self.start_in().output_for(), banner_text(3136))

    def test_table_size_from_the_settings_file(self):
        for settings, kilobytes in [("TT_SIZE 10\n", 3136), ("TT_SIZE 3072\n", 3136), ("TT_SIZE 3071\n", 1600),
                                    ("TT_SIZE 48\n", 112), ("TT_SIZE = 12288\r\n", 12352), ("TT_SIZE=3071\n", 3136)]:
            self.assertEqual(self.start_in(settings).output_for(), banner_text(kilobytes), settings)

    def test_syzygy_path_from_the_settings_file(self):
        # The test tables go up to four men; a missing directory is reported
        # once and leaves the tables off.
        found = self.start_in(f"SYZYGY_PATH {SYZYGY_TABLES}\n").output_for()
        self.assertEqual(found, banner_text(3136, "Maximum 4 piece tablebases found"))
        missing = self.start_in("SYZYGY_PATH /no/such/tables\n").output_for()
        self.assertEqual(missing, "Syzygy path /no/such/tables does not exist\n" + banner_text(3136))

    def run_job(self, *args):
        directory = tempfile.TemporaryDirectory()
        self.addCleanup(directory.cleanup)
        done = subprocess.run([engine.BINARY, *args], cwd=directory.name, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=120)
        self.assertEqual(done.returncode, 0, args)
        output = done.stdout.decode()
        self.assertTrue(output.startswith(banner_text(3136)), output)
        return output[len(banner_text(3136)):]

    def test_book_jobs_without_their_argument_say_what_is_missing(self):
        self.assertEqual(self.run_job("/CB"), "Please specify path to the PGN file\n")
        self.assertEqual(self.run_job("/SB"), "Please specify scoring depth\n")
        self.assertEqual(self.run_job("/MB"), "Please specify source book file\n")
        self.assertEqual(self.run_job("/MBO"), "Please specify source book file\n")

    def test_bench_counts_as_a_fresh_engine_whatever_was_set(self):
        nodes = self.run_job("bench", "5").splitlines()[0]
        self.assertRegex(nodes, r"^Nodes searched: \d+$")
        session = self.start_in()
        session.output_for("memory 64", "cores 2", "option MultiPV=4", "option Skill Level=0")
        self.assertIn(nodes + "\n", session.output_for("bench 5", timeout=120))

    def test_options_are_case_sensitive(self):
        self.assertEqual(self.run_job("/cb"), "Invalid option\n")
        self.assertEqual(self.run_job("/CBX", "games.pgn"), "Invalid option\n")
        self.assertEqual(self.run_job("-h"), "Invalid option\n")


if __name__ == "__main__":
    engine.main()
