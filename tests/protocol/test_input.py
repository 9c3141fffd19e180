"""Command lines as an interface or a pipe may deliver them."""
import time

import engine


class InputLines(engine.EngineTest):
    def test_two_lines_in_one_read_are_both_handled(self):
        self.engine.write("ping 1\nping 2\n")
        self.assertEqual(self.engine.read_until("pong 2"), "pong 1\npong 2\n")

    def test_carriage_return_before_the_line_feed_is_dropped(self):
        self.engine.write("ping 3\r\n")
        self.assertEqual(self.engine.read_until(lambda line: line.startswith("pong")), "pong 3\n")

    def test_partial_line_waits_for_its_end(self):
        self.engine.write("pi")
        self.assertEqual(self.engine.quiet_for(0.3), "")
        self.engine.write("ng 4\n")
        self.assertEqual(self.engine.read_until("pong 4"), "pong 4\n")

    def test_overlong_line_is_cut_and_its_rest_dropped(self):
        self.engine.write("ping 5 " + "y" * 5000 + " ping 6\nping 7\n")
        self.assertEqual(self.engine.read_until("pong 7"), "pong 5\npong 7\n")

    def test_command_words_ignore_case_but_not_a_leading_tab(self):
        self.assertEqual(self.engine.output_for("PING 8"), "pong 8\n")
        self.assertEqual(self.engine.output_for("\tping 9"), "")
        board = self.engine.output_for("BoArD")
        self.assertTrue(board.startswith("r n b q k b n r\n"))

    def test_blank_lines_do_nothing(self):
        self.assertEqual(self.engine.output_for("", "   ", "ping 10"), "pong 10\n")

    def test_end_of_input_ends_the_engine(self):
        self.engine.close_input()
        self.assertEqual(self.engine.wait(10), 0)

    def test_last_line_without_line_end_is_read_at_end_of_input(self):
        self.engine.write("ping 11")
        self.engine.close_input()
        self.assertEqual(self.engine.read_until("pong 11"), "pong 11\n")
        self.assertEqual(self.engine.wait(10), 0)


if __name__ == "__main__":
    engine.main()
