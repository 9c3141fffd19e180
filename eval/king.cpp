// King safety: attack counting during the piece pass, the queen's distance
// to both kings, pawn shelter and storm, and the king term of the driver.
#include "eval/king.h"

#include <algorithm>

#include "board/position.h"
#include "board/tables.h"
#include "eval/pst.h"

const int16_t kingAttackWeight[16] = {0, 5, 15, 30, 50, 75, 105, 140, 180, 225, 275, 330, 390, 455, 525, 600};

namespace {

constexpr uint16_t NO_ZONE_LINE = 0xFFFF;
constexpr int8_t NO_QUEEN = 127;

/// Penalty for enemy pawns storming the king's wing, indexed by the pawn
/// rows of the file next to the stormed one (toward the centre). The second
/// half repeats the first: the highest index bit never matters.
constexpr int8_t KING_STORM_PENALTY[2][16] = {
    {10, 15, 20, 22, 20, 22, 25, 26, 10, 15, 20, 22, 20, 22, 25, 26},
    {10, 20, 20, 25, 15, 22, 22, 26, 10, 20, 20, 25, 15, 22, 22, 26},
};

/// Own pawn one step up from the king's rank, by file: a3 and h3 still
/// cover well, b3 and g3 leave holes.
constexpr int8_t ADVANCED_SHELTER_PAWN[8] = {4, 12, 8, 0, 0, 8, 12, 4};

/// The square as White would see it: Black's squares mirrored top to bottom.
int relativeSquare(int square, int side) { return side == WHITE ? square : square ^ 56; }

/// The squares where a White king is tucked away: a1 b1 c1 g1 h1 a2 b2 h2.
bool isCastledSquare(int square) {
    switch (square) {
    case 56: case 57: case 58: case 62: case 63: case 48: case 49: case 55: return true;
    default: return false;
    }
}

/// Whether the piece behind a slider (looking away from the king) doubles
/// its attack: a queen behind a bishop, a rook or queen behind a rook, and
/// behind a queen a queen or a slider of the line's kind.
bool isBatteryPartner(int type, Direction direction, int behind, int side) {
    if (!isPieceOf(behind, side)) return false;  // also false for 64, the edge
    int partner = pieceType(pos.board[behind]);
    if (partner == QUEEN) return true;
    if (type == ROOK) return partner == ROOK;
    if (type == QUEEN) return partner == sliderType(direction);
    return false;
}

/// Attacks of a slider along the line that reaches the king's zone: 1 when
/// nothing stands between it and the zone, 2 with a battery partner behind.
int sliderAttacks(int type, int square, int side, uint16_t zoneLine) {
    if (zoneLine == NO_ZONE_LINE) return 0;
    int zoneEntry = zoneSquare(zoneLine);
    Direction direction = zoneDirection(zoneLine);
    int blocker = nearest(square, direction);
    if (blocker < 64 && squareDistance(square, blocker) < squareDistance(square, zoneEntry)) return 0;
    if (zoneDistance(zoneLine) >= 2 && isBatteryPartner(type, direction, nearest(square, opposite(direction)), side))
        return 2;
    return 1;
}

/// Penalty for one file of a wing shelter: own pawn cover plus enemy storm.
int wingFilePenalty(int side, int file) {
    int enemy = side ^ 1;
    uint8_t own = pos.pawnFileRanks[side][file + 1];
    uint8_t storm = pos.pawnFileRanks[enemy][file + 1];
    int coverRow = side == WHITE ? 6 : 1;  // the 2nd rank for White, the 7th for Black
    int advancedRow = side == WHITE ? 5 : 2;
    int penalty = own >> coverRow & 1 ? 0 : own >> advancedRow & 1 ? ADVANCED_SHELTER_PAWN[file] : own ? 20 : 25;

    if (!storm) return penalty + 15;  // a half-open file toward the king
    int inward = file < 4 ? file + 1 : file - 1;
    uint8_t inwardPawns = pos.pawnFileRanks[enemy][inward + 1];
    const int8_t *stormTable = KING_STORM_PENALTY[side];
    // Pawns never stand on their own first rank, so the indices stay below
    // 16; the masks only keep the reads in bounds.
    if (side == WHITE) {
        if (storm >> 5 & 1) return penalty + stormTable[(inwardPawns >> 4) & 15];
        if (storm >> 4 & 1) return penalty + stormTable[(inwardPawns >> 3) & 15] - 5;
    } else {
        if (storm >> 2 & 1) return penalty + stormTable[(inwardPawns & 31) >> 1];
        if (storm >> 3 & 1) return penalty + stormTable[(inwardPawns & 31) >> 2] - 5;
    }
    return penalty;
}

/// Penalty for a king in the centre: open and half-open files around it.
int centreShelterPenalty(int side, int kingFile) {
    static constexpr int8_t NEIGHBOUR_FILE[4] = {12, 6, 4, 0};  // none, enemy only, own only, both
    static constexpr int8_t KING_FILE[4] = {20, 10, 8, 0};
    int penalty = 0;
    for (int file = kingFile - 1; file <= kingFile + 1; file++) {
        int kind = (pos.pawnFileRanks[side][file + 1] ? 2 : 0) + (pos.pawnFileRanks[side ^ 1][file + 1] ? 1 : 0);
        penalty += file == kingFile ? KING_FILE[kind] : NEIGHBOUR_FILE[kind];
    }
    return penalty;
}

/// The king's middlegame table value minus its shelter penalty, which is
/// read from (or computed into) the pawn hash record.
int kingShelter(int side, PawnHashEntry &entry) {
    int king = pos.kingSquare[side];
    int kingFile = column(king);
    uint8_t *cache = entry.shelterCache + 3 * side;
    int penalty;
    if (kingFile <= 2 || kingFile >= 5) {
        uint8_t &wing = cache[kingFile <= 2 ? 1 : 0];
        int firstFile = kingFile <= 2 ? 0 : 5;
        if (wing == SHELTER_UNKNOWN)
            wing = uint8_t(wingFilePenalty(side, firstFile) + wingFilePenalty(side, firstFile + 1) +
                           wingFilePenalty(side, firstFile + 2));
        penalty = wing;
    } else {
        // One byte serves both centre files: bit 7 says which one it holds.
        uint8_t &centre = cache[2];
        uint8_t fileTag = kingFile == 3 ? 0x80 : 0;
        if (centre == SHELTER_UNKNOWN || (centre & 0x80) != fileTag)
            centre = uint8_t(fileTag | centreShelterPenalty(side, kingFile));
        penalty = centre & 0x7F;
    }
    return pieceSquare[side][KING][king] - penalty;
}

/// King term of one side, from its own point of view.
int kingTerm(int side, PawnHashEntry &entry, const KingThreats &threats) {
    int enemy = side ^ 1;
    int danger = kingAttackWeight[std::min(threats.attackerCount[enemy], 15)];
    int king = pos.kingSquare[side];
    int score = 0;
    int term;
    if (pos.material[enemy] <= 1400) {
        // Little enemy material: the king belongs in the centre.
        score += kingEndgameTable[relativeSquare(king, side)];
        term = -danger;
    } else {
        if (pos.material[enemy] > 1600 && !isCastledSquare(relativeSquare(king, side))) score -= 30;
        int shelter = side == WHITE ? whiteKingShelter(entry) : blackKingShelter(entry);
        term = shelter + ((danger * ((shelter >> 1) - 42)) >> 5);
    }
    // The enemy queen is nearer to this king than this side's queen is.
    if (threats.queenGuard[enemy].reach < threats.queenGuard[side].guard) term += term / 2;
    return score + term;
}

}  // namespace

void resetKingThreats(KingThreats &threats) {
    for (int side = WHITE; side <= BLACK; side++) {
        threats.attackerCount[side] = 0;
        threats.queenGuard[side] = {NO_QUEEN, NO_QUEEN};
    }
}

void countKingAttack(int type, int square, int side, KingThreats &threats) {
    int king = pos.kingSquare[side ^ 1];
    uint16_t zoneLine = kingZoneAny[king][square];
    int count = 0;
    switch (type) {
    case KNIGHT: count = zoneDistance(zoneLine) <= 3; break;
    case BISHOP: count = sliderAttacks(BISHOP, square, side, kingZoneDiagonal[king][square]); break;
    case ROOK:
        if (zoneLine != NO_ZONE_LINE && !isDiagonal(zoneDirection(zoneLine)))
            count = sliderAttacks(ROOK, square, side, zoneLine);
        break;
    case QUEEN: count = sliderAttacks(QUEEN, square, side, zoneLine); break;
    }
    threats.attackerCount[side] += count;
}

void recordQueenGuard(int square, int side, KingThreats &threats) {
    int ownKing = pos.kingSquare[side];
    QueenGuard &queenGuard = threats.queenGuard[side];
    queenGuard.reach = int8_t(zoneDistance(kingZoneAny[pos.kingSquare[side ^ 1]][square]));
    uint16_t homeLine = kingZoneAny[ownKing][square];
    if (homeLine == NO_ZONE_LINE) {
        queenGuard.guard = 4;
        return;
    }
    int first = nearest(square, zoneDirection(homeLine));
    queenGuard.guard = int8_t(first == NO_SQUARE ? 0 : zoneDistance(kingZoneAny[ownKing][first]));
}

int whiteKingShelter(PawnHashEntry &entry) { return kingShelter(WHITE, entry); }

int blackKingShelter(PawnHashEntry &entry) { return kingShelter(BLACK, entry); }

int evalKingSafety(PawnHashEntry &entry, const KingThreats &threats) {
    return kingTerm(WHITE, entry, threats) - kingTerm(BLACK, entry, threats);
}
