// Commands for a person at a console, recognised in both protocols, and the
// detection of the end of a game.
#pragma once

/// Runs the console command `word` if it is one ("board", "chk", "egtb",
/// "eval", "perft", "bench") and returns true; false for any other word.
bool consoleCommand(const char *word);

/// "perft N" (and UCI "go perft N"): the number of move paths of `depth`
/// plies below each legal move, then "Nodes searched: N". Nothing while a
/// search runs or for a depth below 1.
void printPerft(int depth);

/// After a move made by the front end: prints the result line and sets
/// gameOver when the game has ended by mate, stalemate, repetition, the
/// fifty-move rule or insufficient material.
void checkGameResult();
