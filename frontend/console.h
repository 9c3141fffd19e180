// Commands for a person at a console, recognised in both protocols, and the
// detection of the end of a game.
#pragma once

#include "board/position.h"

/// Runs the console command `word` if it is one ("board", "chk", "egtb",
/// "eval", "perft", "bench") and returns true; false for any other word.
bool consoleCommand(const char *word);

/// The deepest move-path count the engine makes: one ply short of its
/// move lists' and undo stack's MAX_PLY.
constexpr int PERFT_MAX_DEPTH = MAX_PLY - 1;

/// "perft N" (and UCI "go perft N"): the number of move paths of `depth`
/// plies below each legal move, then "Nodes searched: N". Nothing while a
/// search runs or for a depth below 1 or beyond PERFT_MAX_DEPTH.
void printPerft(int depth);

/// After a move made by the front end: prints the result line and sets
/// gameOver when the game has ended by mate, stalemate, repetition, the
/// fifty-move rule or insufficient material.
void checkGameResult();
