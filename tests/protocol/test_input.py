"""Command lines as an interface or a pipe may deliver them, and UCI
commands that no interface should send."""
import engine
from engine import board_of_fen


class InputLines(engine.EngineTest):
    def test_lines_as_they_arrive_in_one_read(self):
        # The rest of an overlong line is dropped; a leading tab is no command.
        for data, replies in [("ping 1\nping 2\n", "pong 1\npong 2\n"), ("ping 3\r\n", "pong 3\n"),
                              ("ping 5 " + "y" * 5000 + " ping 6\nping 7\n", "pong 5\npong 7\n"),
                              ("PING 8\n\tping 9\n\n   \nping 10\n", "pong 8\npong 10\n")]:
            self.engine.write(data)
            self.assertEqual(self.engine.read_until(replies.splitlines()[-1]), replies, data[:20])
        self.assertTrue(self.engine.output_for("BoArD").startswith("r n b q k b n r\n"))

    def test_partial_line_waits_for_its_end_and_the_last_one_for_the_end_of_input(self):
        self.engine.write("pi")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.engine.write("ng 4\nping 11")
        self.engine.close_input()
        self.assertEqual(self.engine.read_until("pong 11"), "pong 4\npong 11\n")
        self.assertEqual(self.engine.wait(10), 0)


class UciBadInput(engine.EngineTest):
    uci = True

    def test_bad_fen_starts_from_the_initial_position_and_bare_commands_do_nothing(self):
        after_e4 = board_of_fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR")
        for fen in ("garbage here", "8/8/8/8/8/8/8/8 w - -"):
            self.engine.output_until_ready(f"position fen {fen} moves e2e4")
            self.assertEqual(self.engine.board(uci=True), after_e4, fen)
        self.assertEqual(self.engine.output_until_ready("setoption", "setoption name", "setoption name Hash value",
                                                        "setoption name MultiPV", "debug", "position startpos moves"),
                         "")


if __name__ == "__main__":
    engine.main()
