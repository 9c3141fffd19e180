// Syzygy tablebases (WDL ".rtbw" and DTZ ".rtbz" files), probed through the
// Fathom library: loading, the position in Fathom's form, the win/draw/loss
// probe of the search and the distance-to-zero ranking of the root moves.
#pragma once

#include <cstdint>

#include "board/types.h"

constexpr int SYZYGY_PATH_SIZE = 256;
constexpr int SYZYGY_MAX_ROOT_MOVES = 256;

/// Fathom's win/draw/loss values: 0 loss, 1 loss saved by the fifty-move
/// rule ("blessed"), 2 draw, 3 win spoilt by the fifty-move rule ("cursed"),
/// 4 win.
constexpr int SYZYGY_LOSS = 0;
constexpr int SYZYGY_DRAW = 2;
constexpr int SYZYGY_CURSED_WIN = 3;
constexpr int SYZYGY_WIN = 4;

/// The position as Fathom takes it: one bit per square with a1 = bit 0 and
/// h8 = bit 63, castling rights, the en-passant square (0 for none), the
/// fifty-move count and the side to move.
struct SyzygyPosition {
    uint64_t white, black, kings, queens, rooks, bishops, knights, pawns;
    unsigned castling;
    unsigned ep;
    unsigned rule50;
    bool whiteToMove;
};

/// The Syzygy settings and the state of the loaded tables.
struct SyzygyTables {
    char path[SYZYGY_PATH_SIZE];        // directories separated by ":"; empty = off
    char loadedPath[SYZYGY_PATH_SIZE];  // the path the tables were loaded from
    int probeLimit;                     // most men probed, at the root and below (0 to 7)
    int largest;                        // men of the largest table found, 0 = none
    // Root moves that keep the best ranked result, when rootFilter is set;
    // rootDrawn when the root itself is a plain tablebase draw, and rootWdl
    // the root's win/draw/loss value (above SYZYGY_WIN when unknown).
    bool rootFilter;
    bool rootDrawn;
    unsigned rootWdl;
    int rootMoveCount;
    Move rootMoves[SYZYGY_MAX_ROOT_MOVES];
};

extern SyzygyTables syzygy;

/// Successful probes of this thread since its search began: every search
/// thread counts its own, and the search output adds them up.
extern constinit thread_local uint64_t syzygyHits;

/// Outcome of loading the tables of syzygy.path.
enum class SyzygyLoad { Unchanged, Off, Loaded, MissingDirectory };

/// Fathom's number of one of the engine's squares (a8 = 0 becomes 56).
constexpr int fathomSquare(int square) { return square ^ 56; }

/// Converts the current position; false when Fathom must not see it (not a
/// legal position with one king a side, pawns off the end rows, and the side
/// not to move out of check).
bool syzygyPosition(SyzygyPosition *out);

/// Loads the tables of syzygy.path when it differs from the loaded path. A
/// folder that is missing or no folder leaves the tables off.
SyzygyLoad syzygyLoad();

/// Sets syzygy.path from text (leading and trailing blanks dropped; blanks
/// inside kept) and loads the tables at once when no search runs, else when
/// the next one starts. A new path naming a folder that is missing or no
/// folder is reported at once in one message.
void syzygySetPath(const char *text);

/// The score of a win/draw/loss value found at `ply`: wins and losses lie in
/// the band between the evaluation limit and the mate scores, nearer wins
/// scoring higher; cursed wins and blessed losses are draws.
int16_t syzygyScore(unsigned wdl, int ply);

/// The search probe: true with the score of the current position, from the
/// side to move's point of view, when the tables hold it. Counts a hit.
bool syzygyProbeWdl(int16_t *score);

/// The win/draw/loss value of the current position with its fifty-move count
/// and its distance to a zeroing move in plies; false when not in the tables.
bool syzygyProbeDtz(unsigned *wdl, unsigned *dtz);

/// Ranks the root moves by their distance-to-zero result and keeps those of
/// the best rank in syzygy.rootMoves, setting syzygy.rootFilter and
/// syzygy.rootDrawn; when the root is not in the tables, or has more men
/// than the probe limit, both are off.
void syzygyRankRootMoves();

/// The most men the search probes: the largest tables, at most the limit set.
inline int syzygySearchMen() { return syzygy.largest < syzygy.probeLimit ? syzygy.largest : syzygy.probeLimit; }

/// True when `move` may be searched at the root.
bool syzygyRootAllows(Move move);
