// Commands for a person at a console, recognised in both protocols, and the
// detection of the end of a game.
#pragma once

/// Runs the console command `word` if it is one ("board", "chk", "egtb",
/// "eval", "perft", "bench") and returns true; false for any other word.
bool consoleCommand(const char *word);

/// After a move made by the front end: prints the result line and sets
/// gameOver when the game has ended by mate, stalemate, repetition, the
/// fifty-move rule or insufficient material.
void checkGameResult();
