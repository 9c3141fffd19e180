// Changing an open book in place: learning from the engine's games, scores
// from searches of the book positions, and merging another book's findings.
#pragma once

#include <cstdint>

/// After a game: the engine's book moves gain learned value after a good
/// result and lose it, and get blocked for some probes, after a bad one.
/// `bookExitPly` is the game ply of the engine's last book move,
/// `earlyScores` the scores of its first five searched moves after it,
/// `result` +1 (White won), -1 (Black won) or 0. Only slow games from the
/// initial position that went on at least five plies past the book count.
/// The board ends at the game's final position again.
void learnFromGame(int bookExitPly, const int16_t earlyScores[5], int result);

/// Searches every book position reachable from the current position to
/// `depth` and stores the scores; positions already scored at that depth
/// are skipped. False when no book is open, it holds no records, or memory
/// is short.
bool scoreBook(uint8_t depth);

/// Copies search scores and learned values from the book file at `path`
/// into the open book: only where the open book has less (a shallower
/// score, nothing learned), or everywhere with `overwrite`.
void mergeBook(const char *path, bool overwrite);
