// Passed pawns: blockers, king distances, outside passers and the pawn race.
//
// Rows in this file are relative to the pawn's side (row 0 is the row it
// promotes on), so the same code serves White and Black; a relative row is
// also the number of moves a pawn needs to queen.
#include "eval/passers.h"

#include <bit>
#include <cassert>
#include <cstdlib>

#include "board/position.h"
#include "board/tables.h"

namespace {

constexpr int NO_RACE = 127;
constexpr int SLOW_PAIR = 16;  // connected passers the king cannot stop, but slow
constexpr int RACE_WON = 800;
constexpr int RACE_EDGE = 50;

/// One side's race: its fastest unstoppable passer and the passers the
/// enemy king can catch.
struct RaceState {
    int bestTime;    // moves the fastest unstoppable passer needs; NO_RACE for none
    int bestFile;
    int bestSquare;  // that pawn's square; the promotion square for a split pair
    bool blocked;    // a piece stands in front of it on its file
    bool escorted;   // unstoppable only because its own king escorts it
    bool paired;     // the best is a pair of split passers
    int candidates;  // caught passers recorded, at most 2 (the last overwrites the second)
    int candidateRow[2];
    int candidateFile[2];
    int behindRow;  // row of a passer whose enemy king stands behind it
    int tempo;      // 1 when the split pair needs the extra move
};

constexpr RaceState NEW_RACE = {NO_RACE, 0, 0, false, false, false, 0, {0, 0}, {0, 0}, 0, 0};

/// The direction a side's pawns advance in.
Direction forward(int side) { return side == WHITE ? NORTH : SOUTH; }

int relativeRow(int square, int side) { return side == WHITE ? row(square) : 7 - row(square); }

int promotionSquare(int side, int file) { return side == WHITE ? file : 56 + file; }

/// The square of a side's most advanced pawn on a file, 64 if none.
int mostAdvancedPawn(int side, int file) {
    uint8_t pawns = pos.pawnFileRanks[side][file + 1];
    if (!pawns) return 64;
    int pawnRow = side == WHITE ? std::countr_zero(pawns) : std::bit_width(pawns) - 1;
    return pawnRow * 8 + file;
}

/// A passer on a wing where the enemy has no pawns nearby draws the king
/// away from the other pawns.
bool isOutsidePasser(int file, int enemy) {
    int first, last;
    switch (file) {
    case 0: first = 0, last = 2; break;
    case 1: first = 0, last = 3; break;
    case 6: first = 4, last = 7; break;
    case 7: first = 5, last = 7; break;
    default: return false;
    }
    for (int f = first; f <= last; f++)
        if (pos.pawnFileRanks[enemy][f + 1]) return false;
    return true;
}

void addCaughtPawn(RaceState &race, int pawnRow, int file) {
    int slot = race.candidates < 2 ? race.candidates++ : 1;
    race.candidateRow[slot] = pawnRow;
    race.candidateFile[slot] = file;
}

void setBestPawn(RaceState &race, int side, int time, int square, bool escorted) {
    race.bestTime = time;
    race.bestFile = column(square);
    race.bestSquare = square;
    race.blocked = nearest(square, forward(side)) != NO_SQUARE;
    race.escorted = escorted;
    race.paired = false;
}

/// Whether a passer of side on square outruns the lone enemy king, and how
/// fast; records it as the best or as a caught candidate.
void racePawn(int side, int square, RaceState &race) {
    int enemy = side ^ 1;
    int tempo = pos.sideToMove == enemy ? 1 : 0;  // the defending king moves first
    int pawnRow = relativeRow(square, side);
    int file = column(square);
    int promotion = promotionSquare(side, file);
    int ownKing = pos.kingSquare[side];
    int enemyKing = pos.kingSquare[enemy];
    int inFront = nearest(square, forward(side));
    bool onStartRow = pawnRow == 6;  // the double step saves a move
    int time = pawnRow + (inFront != NO_SQUARE) - onStartRow;
    int enemyToPawn = squareDistance(enemyKing, square);
    int enemyToPromotion = squareDistance(enemyKing, promotion);
    int ownToPawn = squareDistance(ownKing, square);
    int ownToPromotion = squareDistance(ownKing, promotion);

    // Outside the square of the pawn.
    if (relativeRow(enemyKing, side) > pawnRow + tempo || enemyToPawn > pawnRow + tempo) {
        setBestPawn(race, side, time, square, false);
        return;
    }
    // Own king nearer to pawn and promotion square; but a rook pawn behind a
    // piece can still be held when the king stands beside that piece.
    if (ownToPawn <= enemyToPawn && ownToPromotion <= enemyToPromotion) {
        bool heldOnRookFile = inFront != NO_SQUARE && (file == 0 || file == 7) &&
                              squareDistance(enemyKing, inFront + (file == 0 ? 2 : -2)) <= tempo;
        if (heldOnRookFile)
            addCaughtPawn(race, pawnRow, file);
        else
            setBestPawn(race, side, time, square, false);
        return;
    }
    // Own king close enough to shepherd the pawn, kept off by the opposition
    // only when the kings stand on neighbouring files.
    if (ownToPawn - (1 - tempo) <= enemyToPawn && ownToPromotion - (1 - tempo) <= enemyToPromotion &&
        std::abs(column(ownKing) - column(enemyKing)) > 1) {
        setBestPawn(race, side, onStartRow ? pawnRow : pawnRow + 1, square, true);
        return;
    }
    addCaughtPawn(race, pawnRow, file);
    if (relativeRow(enemyKing, side) > pawnRow || enemyToPawn > pawnRow) race.behindRow = pawnRow;
}

/// Terms of side's passed pawns from its own view; runs the race of each
/// passer when the enemy has no pieces.
int passerTerms(int side, uint8_t passedFiles, const EvalWeights &w, RaceState &race) {
    int enemy = side ^ 1;
    int enemyMaterial = pos.material[enemy];
    int score = 0;
    for (uint8_t files = passedFiles; files; files &= uint8_t(files - 1)) {
        int file = std::countr_zero(files);
        int square = mostAdvancedPawn(side, file);
        if (square == NO_SQUARE) continue;  // no pawn: a foreign record after a key collision
        int pawnRow = relativeRow(square, side);
        int bonus = w.weight[7 - pawnRow];
        int front = square + (side == WHITE ? -8 : 8);

        if (isPieceOf(front, enemy)) {
            score -= bonus / 3;  // blockaded
            if (enemyMaterial == 0) addCaughtPawn(race, pawnRow, file);
            continue;
        }
        if (isPieceOf(front, side)) score -= bonus >> 2;
        if (enemyMaterial > 1600) continue;
        if (pawnRow < 4) {
            // An advanced passer whose own king is at least as near to the
            // promotion square as the enemy king.
            int promotion = promotionSquare(side, file);
            int enemyDistance = squareDistance(pos.kingSquare[enemy], promotion);
            int ownDistance = squareDistance(pos.kingSquare[side], promotion);
            if (enemyDistance >= ownDistance) score += (bonus >> 3) * (enemyDistance - ownDistance + 1);
        }
        if (isOutsidePasser(file, enemy)) score += enemyMaterial <= 500 ? 60 : 30;
        if (enemyMaterial == 0 && pawnRow < race.bestTime) racePawn(side, square, race);
    }
    return score;
}

/// Two caught passers far enough apart that one king cannot stop both; or
/// two connected ones that it can only hold up.
void pairUpCandidates(int side, RaceState &race) {
    if (race.candidates < 2) return;
    int enemy = side ^ 1;
    int tempo = pos.sideToMove == enemy ? 1 : 0;
    int leftRow = race.candidateRow[0], rightRow = race.candidateRow[1];
    int leftFile = race.candidateFile[0], rightFile = race.candidateFile[1];
    int slowest = std::max(leftRow, rightRow);
    int fartherFile = rightRow > leftRow ? rightFile : leftFile;
    bool equalRows = leftRow == rightRow;
    int gap = rightFile - leftFile;

    if (slowest < (equalRows ? gap : gap + 1 - tempo) && slowest < race.bestTime) {
        race.bestTime = slowest;
        race.bestFile = fartherFile;
        race.bestSquare = promotionSquare(side, fartherFile);
        race.blocked = race.escorted = false;
        race.paired = true;
        // The king between the pawns, ahead of them and to move, costs a move.
        int enemyKing = pos.kingSquare[enemy];
        if (equalRows && tempo == 1 && relativeRow(enemyKing, side) < slowest &&
            column(enemyKing) - leftFile < slowest && rightFile - column(enemyKing) < slowest) {
            race.bestTime = slowest + 1;
            race.tempo = 1;
        }
    }
    if (race.bestTime == NO_RACE && std::abs(gap) == 1 && std::abs(leftRow - rightRow) < 2)
        setBestPawn(race, side, SLOW_PAIR, mostAdvancedPawn(side, fartherFile), false);
}

/// side queens first: decisive unless the enemy king still catches the
/// pawn or stands in its way. From side's view.
int queensFirst(int side, const RaceState race[2]) {
    int enemy = side ^ 1;
    const RaceState &own = race[side];
    int promotion = promotionSquare(side, own.bestFile);
    int pawn = mostAdvancedPawn(side, own.bestFile);
    assert(pawn < 64);
    int pawnRow = relativeRow(pawn, side);
    int king = pos.kingSquare[enemy];
    if (race[enemy].behindRow > own.bestTime % SLOW_PAIR || relativeRow(king, side) > pawnRow + 1 ||
        squareDistance(king, pawn) > pawnRow + 1)
        return RACE_WON;
    Direction toPromotion = lineDirection[king][promotion];
    if (toPromotion == NO_DIRECTION) return 0;
    int blocker = nearest(king, toPromotion);
    if (blocker == NO_SQUARE) return RACE_WON;
    if (toPromotion == forward(side) && row(blocker) == row(pawn)) return RACE_WON;  // the king is behind the pawn
    return 0;
}

/// Whether side's new queen on ownQueen controls the enemy's promotion
/// square otherQueen: along the long diagonal, or down a file the enemy
/// pawn has already passed.
bool queenControls(int side, int ownQueen, int otherQueen, const RaceState &other) {
    int delta = std::abs(otherQueen - ownQueen);
    if (delta == 63 || delta == 49) return !(rayMask[ownQueen][lineDirection[ownQueen][otherQueen]] & pos.occupied);
    if (delta != 56) return false;
    int first = nearest(other.bestSquare, forward(side));
    int ownPawn = mostAdvancedPawn(side, column(ownQueen));
    return first < 64 && ownPawn < 64 && row(first) == row(ownPawn);
}

/// The enemy rook pawn is stuck behind side's king near the corner while
/// side's knight-file pawn runs.
bool cornerTrap(int side, const RaceState &own, const RaceState &other) {
    int enemy = side ^ 1;
    bool queenSide = other.bestFile == 0 && own.bestFile == 1;
    bool kingSide = other.bestFile == 7 && own.bestFile == 6;
    if (!queenSide && !kingSide) return false;
    int king = pos.kingSquare[side];
    int kingRow = relativeRow(king, enemy);
    int kingFile = queenSide ? column(king) : 7 - column(king);
    bool nearCorner = kingRow <= 3 ? kingFile <= 4 : kingRow == 4 ? kingFile <= 3 : kingRow == 5 && kingFile == 1;
    return nearCorner && nearest(own.bestSquare, forward(enemy)) == NO_SQUARE;
}

/// Both sides queen, side first: whether its new queen wins the other one
/// or its king. From side's view.
int equalRace(int side, const RaceState race[2]) {
    int enemy = side ^ 1;
    const RaceState &own = race[side];
    const RaceState &other = race[enemy];
    int ownQueen = promotionSquare(side, own.bestFile);
    int otherQueen = promotionSquare(enemy, other.bestFile);
    int enemyKing = pos.kingSquare[enemy];
    bool otherFree = !other.blocked;

    // The new queen checks the enemy king at once, on an open line.
    if (otherFree && !other.escorted && !own.escorted && !own.paired) {
        Direction toQueen = lineDirection[enemyKing][ownQueen];
        if (toQueen != NO_DIRECTION && enemyKing != otherQueen) {
            int blocker = nearest(enemyKing, toQueen);
            if (blocker == NO_SQUARE || (toQueen == forward(side) && row(blocker) == row(own.bestSquare))) {
                bool winsQueen = squareDistance(enemyKing, otherQueen) > 2 ||
                                 std::abs(column(ownQueen) - column(otherQueen)) == 1;
                return winsQueen ? RACE_WON : RACE_EDGE;
            }
        }
    }
    if (other.escorted || other.paired) return 0;
    if (queenControls(side, ownQueen, otherQueen, other)) {
        // Only the enemy king can keep the other pawn from queening.
        int kingDistance = zoneDistance(kingZoneAny[otherQueen][enemyKing]);
        if (otherFree) return kingDistance <= 1 ? 0 : kingDistance == 2 ? RACE_EDGE : RACE_WON;
        return kingDistance <= 2 ? 0 : RACE_WON;
    }
    if (otherFree) return 0;
    return cornerTrap(side, own, other) ? RACE_WON : 0;
}

/// Who queens first, and whether it decides the game. White-relative.
int resolveRace(const RaceState race[2]) {
    int whiteTime = race[WHITE].bestTime;
    int blackTime = race[BLACK].bestTime;
    if (whiteTime == NO_RACE && blackTime == NO_RACE) return 0;
    int blackToMove = pos.sideToMove == BLACK ? 1 : 0;
    if (whiteTime < blackTime + race[WHITE].tempo - blackToMove) return queensFirst(WHITE, race);
    if (blackTime < whiteTime + race[BLACK].tempo - (1 - blackToMove)) return -queensFirst(BLACK, race);
    if (blackTime == whiteTime - (1 - blackToMove)) return -equalRace(BLACK, race);
    return equalRace(WHITE, race);
}

}  // namespace

int evalPassedPawns(const PawnHashEntry &entry, const EvalWeights &w) {
    if (!(entry.passedFiles[WHITE] | entry.passedFiles[BLACK])) return 0;  // no passed pawns: nothing to score, no race
    RaceState race[2] = {NEW_RACE, NEW_RACE};
    int score = passerTerms(WHITE, entry.passedFiles[WHITE], w, race[WHITE]);
    pairUpCandidates(WHITE, race[WHITE]);
    score -= passerTerms(BLACK, entry.passedFiles[BLACK], w, race[BLACK]);
    pairUpCandidates(BLACK, race[BLACK]);
    // Slow connected passers on both sides cancel out.
    if (race[WHITE].bestTime == SLOW_PAIR && race[BLACK].bestTime == SLOW_PAIR)
        race[WHITE].bestTime = race[BLACK].bestTime = NO_RACE;
    return score + resolveRace(race);
}
