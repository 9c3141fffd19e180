// Polyglot opening books: the ".bin" files that interfaces and book tools
// write. A book is a file of 16-byte entries (position key, move, weight,
// learn value; all big-endian) sorted by key. The engine keeps the file open
// and looks positions up by binary search; only moves that are legal in the
// position are offered.
#pragma once

#include <cstdint>
#include <cstdio>

#include "board/types.h"

/// Size of one book entry in the file.
constexpr int POLYGLOT_ENTRY_SIZE = 16;

/// More candidates than any position has legal moves.
constexpr int POLYGLOT_MAX_CANDIDATES = 256;

/// One entry of the file, decoded from its big-endian bytes.
struct PolyglotEntry {
    uint64_t key;
    uint16_t move;  // bits 0-2 to file, 3-5 to row, 6-8 from file, 9-11 from row, 12-14 promotion
    uint16_t weight;
};

/// A legal move of the position found in the book, with the entry's weight.
struct PolyglotCandidate {
    Move move;
    uint16_t weight;
};

/// The open book: the file and the number of entries it holds.
struct PolyglotBook {
    FILE *file;  // nullptr while no book is in use
    uint64_t entryCount;
};

extern PolyglotBook polyglotBook;

/// The Polyglot key of the current position.
uint64_t polyglotKey();

/// Opens the book at `path` (closing any book in use) and checks the whole
/// file, reading it once: the file last found sound is not read again while
/// it is unchanged. What is not a regular file is refused without reading.
/// Returns nullptr when the book is in use, otherwise a one-line message
/// that names the file and why it is not used (a static buffer).
const char *polyglotOpen(const char *path);

/// Stops using the book.
void polyglotClose();

/// The legal moves of the current position that the book holds, heaviest
/// first (equal weights in the book's order); entries that are not legal
/// moves, and repeated entries of one move, are skipped. Returns the count.
int polyglotCandidates(PolyglotCandidate *candidates);

/// A weighted random choice with rand(): each candidate is chosen with
/// probability weight / total weight. 0 when no candidate has a weight.
Move polyglotChoose(const PolyglotCandidate *candidates, int count);
