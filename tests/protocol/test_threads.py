"""The search threads as the interfaces set them: the UCI option "Threads"
and the xboard command "cores", while idle and during a search."""
import time

import engine


def thread_count(process, expected=None, seconds=3.0):
    """The number of threads the engine process runs (Linux /proc), once it
    equals `expected` or after `seconds`."""
    deadline = time.monotonic() + (seconds if expected else 0)
    while True:
        with open(f"/proc/{process.pid}/status") as status:
            count = int(next(line for line in status if line.startswith("Threads:")).split()[1])
        if count == expected or time.monotonic() >= deadline:
            return count
        time.sleep(0.02)


def is_deeper(depth):
    """A thinking line of xboard's analysis at `depth`."""
    return lambda line: line.startswith(f"{depth:2d} ")


class Threads(engine.EngineTest):
    def test_uci_threads_set_while_idle_and_during_a_search_apply_to_the_next_search(self):
        process = self.engine.process
        self.engine.output_until_ready("uci", "setoption name Threads value 2")
        self.assertEqual(thread_count(process), 1)  # no helper waits between searches
        self.engine.send("position startpos", "go infinite")
        self.assertEqual(thread_count(process, 2), 2)
        self.engine.output_until_ready("setoption name Threads value 4")
        self.engine.read_until(lambda line: line.startswith("info score"))
        self.assertEqual(thread_count(process), 2)  # the running search keeps its threads
        self.assertRegex(self.engine.bestmove("stop").splitlines()[-1], f"^bestmove {engine.UCI_MOVE}")
        self.assertEqual(thread_count(process, 1), 1)
        self.engine.send("go infinite")
        self.assertEqual(thread_count(process, 4), 4)
        self.engine.bestmove("stop")
        self.assertEqual(thread_count(process, 1), 1)

    def test_xboard_cores_during_analysis_apply_to_the_next_search(self):
        # No ping while the analysis runs: it would end the analysis.
        process = self.engine.process
        self.engine.output_for("xboard", "protover 2", "cores 2", "post")
        self.engine.send("analyze")
        self.engine.read_until(is_deeper(5))
        self.assertEqual(thread_count(process, 2), 2)
        self.engine.send("cores 1")
        self.engine.read_until(is_deeper(6))
        self.assertEqual(thread_count(process), 2)  # the running analysis keeps its threads
        self.engine.output_for("exit")
        self.assertEqual(thread_count(process, 1), 1)
        self.engine.send("analyze")
        self.engine.read_until(is_deeper(6))
        self.assertEqual(thread_count(process), 1)
        self.engine.output_for("exit")


if __name__ == "__main__":
    engine.main()
