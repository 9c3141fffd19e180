#!/usr/bin/env python3
"""Checks match_summary.py on excerpts of real xboard 4.9 PGN and debug files.

Usage: python3 scripts/match_summary_test.py
"""
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import match_summary  # noqa: E402

QUOR, FAIRY = "Quor 1.5", "Fairy-Max 5.0b"


def game(number, white, black, result, movetext):
    """One game in the layout xboard writes."""
    return (f'[Event "Computer Chess Game"]\n[Round "{number}"]\n[White "{white}"]\n[Black "{black}"]\n'
            f'[Result "{result}"]\n[TimeControl "60+1"]\n\n{movetext}\n\n')


# A mate found by xboard, then a resignation and a draw (from a fairymax
# self-play match).
MATE = game(1, QUOR, FAIRY, "1-0", """\
1. Nf3 {+0.24/7} h5 {+0.07/8 1.5} 2. c3 {+0.09/8 1.4} d6 {+0.17/8 1.5} 3.
e3 {+0.05/8 2.1} e5 {+0.04/8 2.3} 4. Qa4+ {+0.11/8 1.9} Nc6 {-0.02/8 1.2} 5.
Qe4 {+0.37/8 0.8} Nf6 {-0.40/8 0.7} 6. Qxe5+ {+1000.01/28 0.1}
{Xboard adjudication: Checkmate} 1-0""")
RESIGNATION = game(2, FAIRY, QUOR, "0-1", """\
1. f3 {-0.10/8} e5 {+0.12/8 1.1} 2. g4 {-9.99/8 0.9} Qh4# {+1000.01/9 0.2}
{White resigns} 0-1""")
REPETITION = game(3, QUOR, FAIRY, "1/2-1/2", """\
1. Nf3 {+0.14/8} c5 {+0.18/7 1.0} 2. Ng1 {+0.15/8 1.5} Nc6 {+0.15/8 1.3} 3.
Nf3 {+0.13/8 2.1} Nb8 {+0.15/7 1.6} 4. Ng1 {-0.01/8 2.3} Nc6 {+0.10/8 2.4}
{Draw by repetition} 1/2-1/2""")
# The opponent's replies to commands it does not know are no fault.
DEBUG_CLEAN = """\
GameEnds(0, (null), 2)
New game (1): Quor 1.5-Fairy-Max 5.0b (w)
330 <second: Error (unknown command): computer
124943 <first : move Qxe5+
GameEnds(26, Xboard adjudication: Checkmate, 4)
124943 >first : result 1-0 {Xboard adjudication: Checkmate}
125038 <second: Error (unknown command): result
GameEnds(0, (null), 2)
New game (2): Quor 1.5-Fairy-Max 5.0b (b)
GameEnds(27, White resigns, 5)
New game (3): Quor 1.5-Fairy-Max 5.0b (w)
GameEnds(28, Draw by repetition, 5)
GameEnds(28, Draw by repetition, 2)
"""
FAULTY = (game(1, QUOR, FAIRY, "0-1", "1. e4 Nc6 {+0.08/6 0.2} 2. d4 h5 {+0.05/6 0.2}\n"
               "{Xboard: Forfeit due to invalid move: h1h5 (h1h5 via `0, `0) res=24} 0-1")
          + game(2, FAIRY, QUOR, "1-0", "1. e4 {+0.12/6 0.2}\n{White wins on time} 1-0")
          + game(3, QUOR, FAIRY, "0-1", "1. e4 Nc6 2. d4\n{False win claim: 'White mates'} 0-1"))
DEBUG_FAULTY = """\
New game (1): Quor 1.5-Fairy-Max 5.0b (w)
GameEnds(27, Xboard: Forfeit due to invalid move: h1h5 (h1h5 via `0, `0) res=24, 4)
New game (2): Quor 1.5-Fairy-Max 5.0b (b)
GameEnds(26, White wins on time, 4)
GameEnds(26, Error writing to first chess program, 2)
New game (3): Quor 1.5-Fairy-Max 5.0b (w)
GameEnds(26, White mates, 5)
"""
# The first game ended normally, but Quor refused a move it was sent and
# reported an error of its own; the second game never started.
DEBUG_COMPLAINTS = (DEBUG_CLEAN.split("GameEnds(0, (null), 2)\nNew game (2)")[0]
                    + "90 <first : Illegal move: e7e5\n91 <first : ERROR (no legal moves): think\n")
NEVER_STARTED = "GameEnds(0, (null), 2)\nGameEnds(27, Error writing to first chess program, 2)\n"


class SummaryTest(unittest.TestCase):
    def test_games_are_scored_for_the_first_engine_and_faults_flagged(self):
        # Printed lines from the first; the score is the last, "..." stands for the start of a line.
        for pgn, debug, games, flagged, lines in [
                (MATE + RESIGNATION + REPETITION, DEBUG_CLEAN, 3, 0, [
                    "Game 1: Quor 1.5 - Fairy-Max 5.0b  1-0  {Xboard adjudication: Checkmate}  moves 6 (11 plies)",
                    "Game 2: Fairy-Max 5.0b - Quor 1.5  0-1  {White resigns}  moves 2 (4 plies)",
                    "Game 3: Quor 1.5 - Fairy-Max 5.0b  1/2-1/2  {Draw by repetition}  moves 4 (8 plies)",
                    "Score of Quor 1.5: 2.5/3 (+2 -0 =1), 3 games saved, 0 flagged"]),
                (FAULTY, DEBUG_FAULTY, 3, 3, [
                    "...moves 2 (4 plies)  FLAGGED: illegal move", "...FLAGGED: engine crash, time forfeit",
                    "    xboard: Error writing to first chess program", "...FLAGGED: protocol error",
                    "Score of Quor 1.5: 0/3 (+0 -3 =0), 3 games saved, 3 flagged"]),
                (MATE, DEBUG_COMPLAINTS, 2, 2, [
                    "...FLAGGED: illegal move, protocol error", "    first engine: Illegal move: e7e5",
                    "    first engine: ERROR (no legal moves): think", "Game 2: not saved  FLAGGED: missing"]),
                ("", NEVER_STARTED, 1, 2, [
                    "Before the first game: xboard: Error writing to first chess program  FLAGGED: engine crash",
                    "Score of first engine: 0/0 (+0 -0 =0), 0 games saved, 2 flagged"]),
                (game(1, QUOR, FAIRY, "*", "1. e4 e5 2. Nf3 *"), "", 1, 1, [
                    "Game 1: Quor 1.5 - Fairy-Max 5.0b  *  {no reason recorded}  moves 2 (3 plies)"
                    "  FLAGGED: unfinished"])]:
            with self.subTest(lines[0]), tempfile.TemporaryDirectory() as folder:
                for name, text in (("games.pgn", pgn), ("xboard.debug", debug)):
                    with open(os.path.join(folder, name), "w") as file:
                        file.write(text)
                out = io.StringIO()
                self.assertEqual(match_summary.summarise(os.path.join(folder, "games.pgn"),
                                                         os.path.join(folder, "xboard.debug"), games, out), flagged)
                printed = out.getvalue().splitlines()
                for index, line in enumerate(lines):
                    shown = printed[-1] if line.startswith("Score") else printed[index]
                    self.assertTrue(shown.endswith(line[3:]) if line.startswith("...") else shown == line,
                                    (shown, line))

    def test_ply_count_skips_comments_variations_and_annotations(self):
        text = "1. e4 {best (by test)} e5 (1... c5 2. Nf3 (2. c3 d5)) 2. Nf3 $1 Nc6 ; line\n3. Bb5 1-0"
        self.assertEqual(match_summary.count_plies(text), 5)
        self.assertEqual(match_summary.count_plies("12... Kxh7 13. Qh5+ *"), 2)


if __name__ == "__main__":
    unittest.main()
