// The piece pass: each side's pieces one type at a time, each type in
// square order.
#include "eval/pieces.h"

#include <bit>
#include <cstdint>

#include "board/position.h"
#include "board/tables.h"
#include "eval/pst.h"

namespace {

/// The two directions of each line, the one toward lower squares first.
constexpr Direction LINE_DIRECTIONS[4][2] = {
    {NORTH_WEST, SOUTH_EAST}, {NORTH, SOUTH}, {NORTH_EAST, SOUTH_WEST}, {WEST, EAST}};

bool isRookOf(int square, int side) { return pos.board[square] == makePiece(side, ROOK); }

/// The home corners where a rook gets shut in by its own king: a1 b1 g1 h1
/// for White (a8 b8 g8 h8 for Black).
bool isRookCorner(int square, int side) {
    int relative = side == WHITE ? square : square ^ 56;
    return relative == 56 || relative == 57 || relative == 62 || relative == 63;
}

/// A bishop's terms from its side's view: table value, trapped penalty, and
/// its mobility into mobility.
int bishopTerms(int square, int side, int &mobility) {
    mobility += 2 * (lineMobilityOf(square, 0) + lineMobilityOf(square, 2));
    return pieceSquare[side][BISHOP][square] - trappedBishopPenalty(square, side);
}

/// -4 for every pawn of side with a piece on the square in front of it.
int blockedPawnPenalty(uint64_t pawns, int side) {
    // Square s is mask bit 63 - s, so the square ahead of a white pawn (s - 8) is 8 bits higher.
    uint64_t fronts = side == WHITE ? pawns << 8 : pawns >> 8;
    return -4 * std::popcount(fronts & pos.occupied);
}

/// The sum of term(square) over the squares of the mask, in ascending order.
template <typename Term>
int sumOverSquares(uint64_t mask, Term term) {
    int sum = 0;
    while (mask) {
        int square = lowestSquareOf(mask);
        mask &= squareClear[square];
        sum += term(square);
    }
    return sum;
}

/// The pass over one side's pieces (kings excluded), from its side's view.
int sideTerms(int side, int &mobility, KingThreats &threats) {
    const uint64_t *pieces = pos.typeOccupied[side];
    int score = blockedPawnPenalty(pieces[PAWN], side);
    score += sumOverSquares(pieces[KNIGHT], [&](int square) {
        countKingAttack(KNIGHT, square, side, threats);
        return pieceSquare[side][KNIGHT][square];
    });
    score += sumOverSquares(pieces[BISHOP], [&](int square) {
        countKingAttack(BISHOP, square, side, threats);
        return bishopTerms(square, side, mobility);
    });
    score += sumOverSquares(pieces[ROOK], [&](int square) {
        countKingAttack(ROOK, square, side, threats);
        mobility += lineMobilityOf(square, 1) + lineMobilityOf(square, 3);
        return rookBonus(square, side);
    });
    // In ascending order, so that of several queens the last one's guard counts.
    score += sumOverSquares(pieces[QUEEN], [&](int square) {
        countKingAttack(QUEEN, square, side, threats);
        recordQueenGuard(square, side, threats);
        return pieceSquare[side][QUEEN][square];
    });
    return score;
}

}  // namespace

int lineMobilityOf(int square, int line) {
    int lower = nearest(square, LINE_DIRECTIONS[line][0]);
    int higher = nearest(square, LINE_DIRECTIONS[line][1]);
    // The table cannot tell the length of a diagonal free to both edges.
    if (lower == NO_SQUARE && higher == NO_SQUARE && (line == 0 || line == 2)) return diagonalSquares[square][line / 2];
    return lineMobility[lower][higher][line];
}

int trappedBishopPenalty(int square, int side) {
    int enemyPawn = makePiece(side ^ 1, PAWN);
    int flip = side == WHITE ? 0 : 56;  // rows of Black's squares mirrored
    int relative = square ^ flip;
    int rank = row(relative);
    bool kingSide = column(relative) >= 4;
    int file = kingSide ? 7 - column(relative) : column(relative);  // h counts as a, g as b
    if (file > 1 || rank + file < 1 || rank + file > 4) return 0;

    // Real square of (file, rank) in the bishop's mirrored frame.
    auto squareAt = [&](int atFile, int atRank) { return (atRank * 8 + (kingSide ? 7 - atFile : atFile)) ^ flip; };
    if (pos.board[squareAt(file + 1, rank + 1)] != enemyPawn) return 0;
    int penalty = 1 << (7 - rank - file);
    int secondPawn = file == 0 ? squareAt(2, rank) : squareAt(1, rank + 2);
    return pos.board[secondPawn] == enemyPawn ? 2 * penalty : penalty;
}

int rookBonus(int square, int side) {
    int enemy = side ^ 1;
    int file = column(square);
    uint8_t ownPawns = pos.pawnFileRanks[side][file + 1];
    uint8_t enemyPawns = pos.pawnFileRanks[enemy][file + 1];
    int rankMobility = lineMobilityOf(square, 3);
    int bonus = 0;

    if (!ownPawns && !enemyPawns) {
        bonus = 15;  // open file; more when doubled with a rook in front
        if (isRookOf(nearest(square, NORTH), side)) bonus = pos.pieceCount[side][PAWN] < 5 ? 20 : 25;
    } else if (!ownPawns || !enemyPawns) {
        bonus = 10;  // half-open file
    } else if (lineMobilityOf(square, 1) + rankMobility < 3 && isRookCorner(square, side)) {
        bonus = -20;  // shut in at home behind its own pawns
    }
    if (rankMobility == 0) bonus -= 15;

    // A piece (not a pawn) pinned to, or screening, the enemy king.
    int enemyKing = pos.kingSquare[enemy];
    Direction toKing = lineDirection[square][enemyKing];
    if (toKing != NO_DIRECTION && !isDiagonal(toKing)) {
        int between = nearest(square, toKing);
        if (between != enemyKing && pieceType(pos.board[between]) != PAWN && nearest(between, toKing) == enemyKing)
            bonus += 20;
    }

    // On the 7th rank, against a king on the back two ranks, not attacked from behind.
    int relativeRow = side == WHITE ? row(square) : 7 - row(square);
    int kingRow = side == WHITE ? row(enemyKing) : 7 - row(enemyKing);
    Direction behind = side == WHITE ? SOUTH : NORTH;
    if (relativeRow == 1 && kingRow <= 1 && !isPieceOf(nearest(square, behind), enemy)) bonus += 15;

    if (isRookOf(nearest(square, NORTH), side) || isRookOf(nearest(square, WEST), side)) bonus += 5;
    return bonus;
}

int evalPieces(int &mobilityScore, KingThreats &threats) {
    resetKingThreats(threats);
    int mobility[2] = {0, 0};
    int score = sideTerms(WHITE, mobility[WHITE], threats) - sideTerms(BLACK, mobility[BLACK], threats);
    mobilityScore = mobility[WHITE] - mobility[BLACK];
    return score;
}
