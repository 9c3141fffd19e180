// Pawn structure, cached per pawn structure and weight set in the pawn hash.
#pragma once

#include <cstdint>

#include "eval/evaluate.h"

/// One pawn hash record (16 bytes).
struct PawnHashEntry {
    uint32_t key;   // pawnKey XOR the weight set's tag
    int16_t score;  // pawn structure, White minus Black
    // King shelter penalties, 255 until first computed:
    // [0] White king-side, [1] White queen-side, [2] White centre,
    // [3] Black king-side, [4] Black queen-side, [5] Black centre.
    // A centre byte has bit 7 set when it was computed for the d-file.
    uint8_t shelterCache[6];
    uint8_t weakFiles[2];    // per side, bit f: a backward pawn on file f
    uint8_t passedFiles[2];  // per side, bit f: a passed pawn on file f
};
static_assert(sizeof(PawnHashEntry) == 16);

constexpr int PAWN_HASH_ENTRIES = 8192;
constexpr uint8_t SHELTER_UNKNOWN = 255;

/// The pawn hash table of this thread; null until pawnHashAllocate. Every
/// search thread keeps its own.
extern constinit thread_local PawnHashEntry *pawnHash;

/// Allocates the zero-filled pawn hash (once); false when memory is short.
bool pawnHashAllocate();

/// Releases the pawn hash.
void pawnHashRelease();

/// Zero-fills the whole pawn hash.
void pawnHashClear();

/// The record of the current pawns under weight set w: found in the table,
/// or computed and stored in its slot.
PawnHashEntry &probePawnHash(const EvalWeights &w);

/// Starts loading the record that the next evaluation of the current
/// position reads first, while other work goes on.
inline void prefetchPawnRecord() {
    __builtin_prefetch(pawnHash + ((pos.pawnKey ^ currentWeights().pawnTag) & (PAWN_HASH_ENTRIES - 1)));
}

/// Scores the current pawns under w into entry: score, weakFiles and
/// passedFiles (the key and the shelter bytes are left alone).
void scorePawnStructure(const EvalWeights &w, PawnHashEntry &entry);

/// Whether a pawn of side on (file, row), whose neighbours all stand behind
/// it, can never be defended by a neighbour coming up.
bool pawnCannotBeSupported(int side, int file, int row);

/// How the pieces exploit backward pawns: rooks against them on half-open
/// files, knights and bishops on the squares in front. White minus Black.
int evalBackwardPawns(const PawnHashEntry &entry);
