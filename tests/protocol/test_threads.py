"""The search threads as the UCI option "Threads" sets them during a search,
and whole games of the engine against itself with xboard's "cores"."""
import time

import engine

RESULTS = {"1-0 {White wins}", "0-1 {Black wins}", "1-0 {Computer wins}", "0-1 {Computer wins}", "1-0 {You win}",
           "0-1 {You win}", "1/2-1/2 {Stalemate}", "1/2-1/2 {Draw by repetition}",
           "1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Insufficient material}",
           "ERROR (maximum number of moves reached): main"}


def thread_count(process, expected=None, seconds=3.0):
    """The engine's number of threads (Linux /proc), once it is `expected` or after `seconds`."""
    deadline = time.monotonic() + (seconds if expected else 0)
    while True:
        with open(f"/proc/{process.pid}/status") as status:
            count = int(next(line for line in status if line.startswith("Threads:")).split()[1])
        if count == expected or time.monotonic() >= deadline:
            return count
        time.sleep(0.02)


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

    def test_games_are_played_to_their_end(self):
        # Three seconds for the whole game on the tiny clock: every move must still come.
        for setup, result in [(["cores 2", "sd 4", "force", "e2e4", "c7c5"], None),
                              (["cores 4", "level 0 0:03 0", "force", "d2d4", "g8f6", "c2c4"], None),
                              (["cores 1", "sd 5", "setboard 8/8/8/4k3/8/8/8/R3K3 w - -"], "1-0 {Computer wins}")]:
            with self.subTest(setup=setup):
                self.engine.output_for("new", *setup)
                moves, after = 0, ""
                while not after and moves < 800:
                    self.engine.send("go")
                    line = self.engine.read_until(lambda l: l.startswith(("move ", "resign", "ERROR", "Illegal")), 30)
                    self.assertRegex(line.splitlines()[-1], engine.SAN_MOVE)
                    moves, after = moves + 1, self.engine.output_for().strip()
                self.assertIn(after, RESULTS)
                self.assertTrue(after == result if result else moves > 10, (after, moves))


if __name__ == "__main__":
    engine.main()
