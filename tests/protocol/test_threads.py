"""The search threads as the interfaces set them: the UCI option "Threads"
and the xboard command "cores", while idle and during a search, and searches
with helpers that must stop at once."""
import time

import engine
import test_selfplay
from engine import UCI_MOVE, is_bestmove


def thread_count(process):
    """The number of threads the engine process runs (Linux /proc)."""
    with open(f"/proc/{process.pid}/status") as status:
        for line in status:
            if line.startswith("Threads:"):
                return int(line.split()[1])
    raise AssertionError("no thread count")


def settled_thread_count(process, expected, seconds=3.0):
    """The thread count once it equals `expected`, or the last one seen."""
    deadline = time.monotonic() + seconds
    count = thread_count(process)
    while count != expected and time.monotonic() < deadline:
        time.sleep(0.02)
        count = thread_count(process)
    return count


class UciThreads(engine.UciEngineTest):
    def test_threads_set_while_idle_and_during_a_search_apply_to_the_next_search(self):
        process = self.engine.process
        self.engine.output_until_ready("setoption name Threads value 2")
        self.assertEqual(thread_count(process), 1)  # no helper waits between searches
        self.engine.send("position startpos", "go infinite")
        self.assertEqual(settled_thread_count(process, 2), 2)
        self.engine.output_until_ready("setoption name Threads value 4")
        time.sleep(0.2)
        self.assertEqual(thread_count(process), 2)  # the running search keeps its threads
        self.engine.send("stop")
        self.assertRegex(self.engine.read_until(is_bestmove, timeout=2).splitlines()[-1], f"^bestmove {UCI_MOVE}")
        self.assertEqual(settled_thread_count(process, 1), 1)
        self.engine.send("go infinite")
        self.assertEqual(settled_thread_count(process, 4), 4)
        self.engine.send("stop")
        self.engine.read_until(is_bestmove, timeout=2)
        self.assertEqual(settled_thread_count(process, 1), 1)

    def test_stop_and_the_clock_end_a_search_with_helpers_at_once(self):
        self.engine.output_until_ready("setoption name Threads value 4", "position startpos moves e2e4 e7e5")
        self.engine.send("go infinite")
        time.sleep(0.5)
        started = time.monotonic()
        self.engine.send("stop")
        self.engine.read_until(is_bestmove, timeout=2)
        self.assertLess(time.monotonic() - started, 1.0)
        started = time.monotonic()
        self.engine.send("go movetime 300")
        self.assertRegex(self.engine.read_until(is_bestmove, timeout=3).splitlines()[-1], f"^bestmove {UCI_MOVE}")
        self.assertLess(time.monotonic() - started, 1.5)

    def test_end_of_input_during_a_search_with_helpers_ends_the_engine(self):
        self.engine.send("setoption name Threads value 4", "position startpos", "go infinite")
        time.sleep(0.3)
        self.engine.close_input()
        self.assertEqual(self.engine.wait(5), 0)

    def test_quit_during_a_search_with_helpers_ends_the_engine(self):
        self.engine.send("setoption name Threads value 2", "position startpos", "go infinite")
        time.sleep(0.3)
        self.engine.send("quit")
        self.assertEqual(self.engine.wait(5), 0)


class XboardThreads(engine.EngineTest):
    def test_cores_during_analysis_apply_to_the_next_search(self):
        # No ping while the analysis runs: it would end the analysis.
        process = self.engine.process
        self.engine.output_for("xboard", "protover 2", "cores 2", "post")
        self.engine.send("analyze")
        self.engine.read_until(lambda line: line.startswith(" 5 "))
        self.assertEqual(settled_thread_count(process, 2), 2)
        self.engine.send("cores 1")
        time.sleep(0.3)
        self.assertEqual(thread_count(process), 2)  # the running analysis keeps its threads
        self.engine.output_for("exit")
        self.assertEqual(settled_thread_count(process, 1), 1)
        self.engine.send("analyze")
        self.engine.read_until(lambda line: line.startswith(" 5 "))
        time.sleep(0.3)
        self.assertEqual(thread_count(process), 1)
        self.engine.output_for("exit")

    def test_move_now_with_helpers_plays_at_once(self):
        self.engine.output_for("xboard", "cores 2", "new", "st 30")
        self.engine.send("go")
        time.sleep(0.5)
        started = time.monotonic()
        self.engine.send("?")
        self.assertRegex(self.engine.read_until(lambda l: l.startswith("move "), timeout=2).splitlines()[-1],
                         r"^move [a-hNBRQKO]")
        self.assertLess(time.monotonic() - started, 1.0)


class SelfPlayWithHelpers(test_selfplay.SelfPlay):
    """Whole games with two and four threads: every move legal, none late."""

    def test_depth_limited_game_from_the_start(self):
        moves, result = self.play_out("new", "cores 2", "sd 4", "force", "e2e4", "c7c5")
        self.assertGreater(len(moves), 10)

    def test_game_on_a_tiny_clock(self):
        moves, result = self.play_out("new", "cores 4", "level 0 0:03 0", "force", "d2d4", "g8f6", "c2c4")
        self.assertGreater(len(moves), 10)

    def test_endgame_is_played_to_mate(self):
        moves, result = self.play_out("new", "cores 2", "sd 5", "setboard 8/8/8/4k3/8/8/8/R3K3 w - -")
        self.assertEqual(result, "1-0 {Computer wins}")


if __name__ == "__main__":
    engine.main()
