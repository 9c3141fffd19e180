// Pawn structure: isolated, backward, doubled, duo and passed pawns and wing
// majorities, kept in the pawn hash; and the piece play against backward
// pawns, which depends on the pieces and so is computed on every call.
#include "eval/pawns.h"

#include <bit>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "board/position.h"
#include "eval/pst.h"

constinit thread_local PawnHashEntry *pawnHash = nullptr;

namespace {

/// Counts gathered while walking the pawns, per side and wing (0 = files a
/// to d, 1 = files e to h).
struct PawnWalk {
    int wingPawns[2][2];
    int freePawns[2][2];  // pawns with no enemy pawn on their file
    uint8_t weakFiles[2];
    uint8_t passedFiles[2];
};

/// Row mask of a side's pawns on a file; empty beyond the board edge.
uint8_t pawnsOnFile(int side, int file) { return file < 0 || file > 7 ? 0 : pos.pawnFileRanks[side][file + 1]; }

bool pawnAt(int side, int file, int row) { return row >= 0 && row <= 7 && (pawnsOnFile(side, file) >> row & 1); }

/// Rows ahead of `row` for a pawn of side (toward the enemy).
uint8_t rowsAhead(int side, int row) { return side == WHITE ? uint8_t((1 << row) - 1) : uint8_t(0xFF << (row + 1)); }

/// Rows strictly behind `row` for a pawn of side.
uint8_t rowsBehind(int side, int row) { return side == WHITE ? uint8_t(0xFF << (row + 1)) : uint8_t((1 << row) - 1); }

/// Whether the neighbour file g (with h the file beyond it) can bring a pawn
/// up beside-and-behind the pawn on (file, row), to defend it.
bool neighbourCanSupport(int side, int file, int row, int g, int h) {
    int enemy = side ^ 1;
    int back = side == WHITE ? 1 : -1;
    // Own pawns that would defend the square (g, row + back) once a pawn
    // steps onto it; an enemy pawn on (h, row) attacks that square.
    int defenders = pawnAt(side, h, row + 2 * back) + pawnAt(side, file, row + 2 * back);
    bool attacked = pawnAt(enemy, h, row);
    // An enemy pawn on the square: one of ours can capture onto it.
    if (pawnAt(enemy, g, row + back)) return attacked ? defenders == 2 : defenders >= 1;
    // A pawn one step further back can advance to it.
    if (pawnAt(side, g, row + 2 * back)) return !attacked || defenders >= 1;
    // A pawn on its starting row can get there with a double step, when
    // nothing blocks the way and no enemy pawn can take it en passant.
    int doubleStepRow = side == WHITE ? 3 : 4;
    if (row == doubleStepRow && pawnAt(side, g, row + 3 * back) && !pawnAt(enemy, g, row + 2 * back) &&
        !pawnAt(enemy, h, row + back) && !pawnAt(enemy, file, row + back))
        return !attacked || defenders >= 1;
    return false;
}

/// Score of one pawn from its own side's view; fills the walk's counts.
int scorePawn(int side, int file, int row, const EvalWeights &w, PawnWalk &walk) {
    const int16_t *weight = w.weight;
    int enemy = side ^ 1;
    int square = row * 8 + file;
    int relativeRank = side == WHITE ? 8 - row : row + 1;
    assert(relativeRank >= 2 && relativeRank <= 7);
    uint8_t ahead = rowsAhead(side, row);
    uint8_t neighbours = pawnsOnFile(side, file - 1) | pawnsOnFile(side, file + 1);
    int value = pieceSquare[side][PAWN][square];

    if (!neighbours) {
        value -= weight[W_ISOLATED];
    } else if (!(neighbours & ~ahead)) {
        value -= weight[W_BACKWARD];
        walk.weakFiles[side] |= uint8_t(1 << file);
    } else if (!(neighbours & ~rowsBehind(side, row))) {
        if (pawnCannotBeSupported(side, file, row)) value -= weight[W_UNSUPPORTABLE];
    } else if ((pawnsOnFile(side, file + 1) >> row & 1) && relativeRank >= 4) {
        value += weight[W_DUO];
    }

    int wing = file < 4 ? 0 : 1;
    walk.wingPawns[side][wing]++;
    if (pawnsOnFile(side, file) & ahead) return value - weight[W_DOUBLED];  // the rear pawn of a doubled pair
    if (!pawnsOnFile(enemy, file)) walk.freePawns[side][wing]++;

    uint8_t enemyInFront = pawnsOnFile(enemy, file - 1) | pawnsOnFile(enemy, file) | pawnsOnFile(enemy, file + 1);
    if (!(enemyInFront & ahead)) {
        value += weight[relativeRank - 1];
        int back = side == WHITE ? 1 : -1;
        if (neighbours >> row & 1)
            value += weight[relativeRank - 1] / 3;  // a connected passer beside it
        else if (pawnAt(side, file - 1, row + back) || pawnAt(side, file + 1, row + back))
            value += weight[relativeRank - 2] / 3;  // a passer defended from behind
        walk.passedFiles[side] |= uint8_t(1 << file);
    }
    return value;
}

/// A wing where one side has more free pawns and more pawns in all can make
/// a passed pawn there.
int wingMajority(const PawnWalk &walk, const EvalWeights &w) {
    int score = 0;
    for (int wing = 0; wing < 2; wing++) {
        int lead = walk.freePawns[WHITE][wing] - walk.freePawns[BLACK][wing];
        if (lead < 0 && walk.wingPawns[WHITE][wing] < walk.wingPawns[BLACK][wing])
            score += (2 * lead + 1) * w.weight[W_WING_MAJORITY];
        if (lead > 0 && walk.wingPawns[BLACK][wing] < walk.wingPawns[WHITE][wing])
            score += (2 * lead - 1) * w.weight[W_WING_MAJORITY];
    }
    return score;
}

/// What the enemy pieces make of side's backward pawns, from side's view.
int backwardPawnPenalty(int side, uint8_t weakFiles) {
    int enemy = side ^ 1;
    int score = 0;
    for (uint8_t files = weakFiles; files; files &= uint8_t(files - 1)) {
        int file = std::countr_zero(files);
        uint8_t pawns = pawnsOnFile(side, file);
        if (!pawns) continue;  // no pawn: a foreign record after a key collision
        if (!pawnsOnFile(enemy, file) && pos.pieceCount[enemy][ROOK] > 0) score -= 15;
        int frontRow = side == WHITE ? std::countr_zero(pawns) - 1 : std::bit_width(pawns);
        assert(frontRow >= 0 && frontRow <= 7);
        uint8_t blocker = pos.board[frontRow * 8 + file];
        if (blocker == makePiece(enemy, KNIGHT)) score -= 12;
        if (blocker == makePiece(enemy, BISHOP)) score -= 8;
    }
    return score;
}

}  // namespace

bool pawnHashAllocate() {
    if (!pawnHash) pawnHash = static_cast<PawnHashEntry *>(std::calloc(PAWN_HASH_ENTRIES, sizeof(PawnHashEntry)));
    return pawnHash != nullptr;
}

void pawnHashRelease() {
    std::free(pawnHash);
    pawnHash = nullptr;
}

void pawnHashClear() {
    if (pawnHash) std::memset(pawnHash, 0, PAWN_HASH_ENTRIES * sizeof(PawnHashEntry));
}

bool pawnCannotBeSupported(int side, int file, int row) {
    int back = side == WHITE ? 1 : -1;
    if (pawnAt(side, file - 1, row + back) || pawnAt(side, file + 1, row + back)) return false;  // defended now
    if (file > 0 && neighbourCanSupport(side, file, row, file - 1, file - 2)) return false;
    if (file < 7 && neighbourCanSupport(side, file, row, file + 1, file + 2)) return false;
    return true;
}

void scorePawnStructure(const EvalWeights &w, PawnHashEntry &entry) {
    PawnWalk walk{};
    int score = 0;
    for (int side = WHITE; side <= BLACK; side++) {
        int sign = side == WHITE ? 1 : -1;
        for (int file = 0; file < 8; file++)
            for (uint8_t rows = pawnsOnFile(side, file); rows; rows &= uint8_t(rows - 1))
                score += sign * scorePawn(side, file, std::countr_zero(rows), w, walk);
    }
    entry.score = int16_t(score + wingMajority(walk, w));
    std::memcpy(entry.weakFiles, walk.weakFiles, sizeof entry.weakFiles);
    std::memcpy(entry.passedFiles, walk.passedFiles, sizeof entry.passedFiles);
}

PawnHashEntry &probePawnHash(const EvalWeights &w) {
    assert(pawnHash);
    uint32_t key = pos.pawnKey ^ w.pawnTag;
    PawnHashEntry &entry = pawnHash[key & (PAWN_HASH_ENTRIES - 1)];
    if (entry.key != key) {
        entry.key = key;
        std::memset(entry.shelterCache, SHELTER_UNKNOWN, sizeof entry.shelterCache);
        scorePawnStructure(w, entry);
    }
    return entry;
}

int evalBackwardPawns(const PawnHashEntry &entry) {
    return backwardPawnPenalty(WHITE, entry.weakFiles[WHITE]) - backwardPawnPenalty(BLACK, entry.weakFiles[BLACK]);
}
