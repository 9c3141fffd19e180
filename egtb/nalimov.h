// The Nalimov table registry: the 179 table descriptors, the material
// lookup and the index functions that turn a position into a table index.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int TB_TABLES = 179;
constexpr int TB_SYMMETRIC = 1;  // one ".nbw" file serves both sides to move
constexpr int TB_16BIT = 2;      // two bytes per position
constexpr int TB_NO_EP = 127;    // en-passant square argument: none
constexpr uint64_t TB_NO_INDEX = ~uint64_t(0);

/// The men of one side as the probe hands them over: three slots each for
/// pawns, knights, bishops, rooks and queens (slots 0-14), the king in slot
/// 15. Squares are numbered a1 = 0, b1 = 1, ..., h8 = 63.
using TbPieceList = int[16];

/// One table: its fixed description and, per side to move, the run-time
/// state of its file.
struct TbDescriptor {
    const char *name;
    uint8_t flags;
    uint8_t men[2][5];   // pawn..queen counts of the first-named and second side
    uint64_t count[2];   // recorded position count, white and black to move
    char fileName[2][256];  // empty: the side is not registered
    FILE *file[2];
    int32_t chainHead[2][32];
};

extern TbDescriptor tbTables[TB_TABLES];

/// Fills names, flags, piece counts and recorded counts, builds the material
/// lookup and the index tables. Runs its work once; later calls do nothing.
void nalimovSetup();

/// The number of the table with this name ("kqk"), -1 when there is none.
int nalimovTableNumber(const char *name);

/// The signed table number for the ten piece counts (white pawn, knight,
/// bishop, rook, queen, then black): positive when white is the first-named
/// side, negative when colours are exchanged, 0 when there is no table.
int nalimovTableFor(const uint8_t counts[10]);

/// The index of a position in table `table` with `side` to move (side of the
/// table, after any colour exchange). `first` holds the first-named side's
/// men, `second` the other's; `epSquare` is the en-passant target or
/// TB_NO_EP; with `invert`, the lists describe real black and white pieces
/// seen from the other side of the board. TB_NO_INDEX for a placement the
/// scheme does not cover (kings adjacent, a pawn on the edge ranks).
uint64_t nalimovIndex(int table, int side, const TbPieceList first, const TbPieceList second, int epSquare,
                      bool invert);

/// The index range the functions give for table `table` with `side` to
/// move, computed from the scheme itself (the recorded counts come from it).
uint64_t nalimovIndexRange(int table, int side);
