"""Whole games of the engine against itself at the console: "go" makes it
play the side to move, again and again, until the game ends."""
import re

import engine

RESULTS = {
    "1-0 {White wins}", "0-1 {Black wins}", "1-0 {Computer wins}", "0-1 {Computer wins}",
    "1-0 {You win}", "0-1 {You win}", "1/2-1/2 {Stalemate}", "1/2-1/2 {Draw by repetition}",
    "1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Insufficient material}",
}
SAN = re.compile(r"^move (O-O(-O)?|[NBRQK][a-h1-8]*x?[a-h][1-8]|[a-h](x[a-h])?[1-8](=[NBRQ])?)\+?$")


class SelfPlay(engine.EngineTest):
    def play_out(self, *setup, timeout=30):
        """Plays the game to its end; returns (moves, result line)."""
        self.engine.output_for(*setup)
        moves = []
        while len(moves) < 800:
            self.engine.send("go")
            line = self.engine.read_until(lambda l: l.startswith(("move ", "resign", "ERROR", "Illegal")),
                                          timeout=timeout).splitlines()[-1]
            self.assertRegex(line, SAN)
            moves.append(line[5:])
            after = self.engine.output_for().strip()
            if after:
                self.assertIn(after, RESULTS | {"ERROR (maximum number of moves reached): main"})
                return moves, after
        self.fail("the game did not end")

    def test_depth_limited_game_from_the_start(self):
        moves, result = self.play_out("new", "sd 3", "force", "e2e4", "c7c5")
        self.assertGreater(len(moves), 10)

    def test_game_on_a_tiny_clock(self):
        # Three seconds for the whole game: every move must still come.
        moves, result = self.play_out("new", "level 0 0:03 0", "force", "d2d4", "g8f6", "c2c4")
        self.assertGreater(len(moves), 10)

    def test_endgame_is_played_to_mate(self):
        moves, result = self.play_out("new", "sd 5", "setboard 8/8/8/4k3/8/8/8/R3K3 w - -")
        self.assertEqual(result, "1-0 {Computer wins}")


if __name__ == "__main__":
    engine.main()
