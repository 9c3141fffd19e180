"""Whole games of the engine against itself at the console, with one, two
and four threads: "go" makes it play the side to move, again and again,
until the game ends; every move must be legal and none late."""
import engine

RESULTS = {"1-0 {White wins}", "0-1 {Black wins}", "1-0 {Computer wins}", "0-1 {Computer wins}", "1-0 {You win}",
           "0-1 {You win}", "1/2-1/2 {Stalemate}", "1/2-1/2 {Draw by repetition}",
           "1/2-1/2 {Draw by fifty move rule}", "1/2-1/2 {Insufficient material}",
           "ERROR (maximum number of moves reached): main"}
SAN = r"^move (O-O(-O)?|[NBRQK][a-h1-8]*x?[a-h][1-8]|[a-h](x[a-h])?[1-8](=[NBRQ])?)\+?$"


class SelfPlay(engine.EngineTest):
    def test_games_are_played_to_their_end(self):
        # Three seconds for the whole game on the tiny clock: every move must still come.
        for setup, result in [(["cores 1", "sd 3", "force", "e2e4", "c7c5"], None),
                              (["cores 2", "sd 4", "force", "e2e4", "c7c5"], None),
                              (["cores 1", "level 0 0:03 0", "force", "d2d4", "g8f6", "c2c4"], None),
                              (["cores 4", "level 0 0:03 0", "force", "d2d4", "g8f6", "c2c4"], None),
                              (["cores 1", "sd 5", "setboard 8/8/8/4k3/8/8/8/R3K3 w - -"], "1-0 {Computer wins}"),
                              (["cores 2", "sd 5", "setboard 8/8/8/4k3/8/8/8/R3K3 w - -"], "1-0 {Computer wins}")]:
            with self.subTest(setup=setup):
                self.engine.output_for("new", *setup)
                moves, after = 0, ""
                while not after and moves < 800:
                    self.engine.send("go")
                    line = self.engine.read_until(lambda l: l.startswith(("move ", "resign", "ERROR", "Illegal")), 30)
                    self.assertRegex(line.splitlines()[-1], SAN)
                    moves, after = moves + 1, self.engine.output_for().strip()
                self.assertIn(after, RESULTS)
                if result:
                    self.assertEqual(after, result)
                else:
                    self.assertGreater(moves, 10)


if __name__ == "__main__":
    engine.main()
