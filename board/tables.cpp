// Board geometry tables, computed by the compiler.
#include "board/tables.h"

#include <array>

namespace {

constexpr int MAILBOX_DELTA[8] = {-10, +10, -1, +1, -11, +11, -9, +9};
constexpr int KNIGHT_MAILBOX_DELTA[8] = {-19, +19, -8, +8, -21, +21, -12, +12};

constexpr auto buildMailboxToSquare() {
    std::array<int8_t, 120> table{};
    for (auto &entry : table) entry = 64;
    for (int square = 0; square < 64; square++)
        table[21 + 10 * row(square) + column(square)] = int8_t(square);
    return table;
}

constexpr auto MAILBOX_TO_SQUARE = buildMailboxToSquare();

constexpr int8_t mailboxStep(int square, int delta) {
    return MAILBOX_TO_SQUARE[21 + 10 * row(square) + column(square) + delta];
}

constexpr auto buildStepSquare() {
    std::array<std::array<int8_t, 8>, 64> table{};
    for (int square = 0; square < 64; square++)
        for (Direction d = NORTH; d <= SOUTH_WEST; ++d) table[square][d] = mailboxStep(square, MAILBOX_DELTA[d]);
    return table;
}

constexpr auto STEP_SQUARE = buildStepSquare();

constexpr auto buildKnightTargets() {
    std::array<std::array<int8_t, 9>, 64> table{};
    for (int square = 0; square < 64; square++) {
        int count = 0;
        for (int delta : KNIGHT_MAILBOX_DELTA) {
            int8_t target = mailboxStep(square, delta);
            if (target < 64) table[square][count++] = target;
        }
        table[square][count] = -1;
    }
    return table;
}

// Row 64, off the board, stays empty: nothing lies beyond the edge.
constexpr auto buildRayMask() {
    std::array<std::array<uint64_t, 8>, 65> table{};
    for (int square = 0; square < 64; square++)
        for (Direction d = NORTH; d <= SOUTH_WEST; ++d)
            for (int s = STEP_SQUARE[square][d]; s < 64; s = STEP_SQUARE[s][d])
                table[square][d] |= bitOfSquare(s);
    return table;
}

constexpr auto RAY_MASK = buildRayMask();

constexpr auto buildLineDirection() {
    std::array<std::array<Direction, 64>, 64> table{};
    for (int a = 0; a < 64; a++)
        for (int b = 0; b < 64; b++) {
            table[a][b] = NO_DIRECTION;
            for (Direction d = NORTH; d <= SOUTH_WEST; ++d)
                if (RAY_MASK[a][d] & bitOfSquare(b)) table[a][b] = d;
        }
    return table;
}

constexpr int squaresIn(uint64_t mask) { return std::popcount(mask); }

// Squares seen along line `line` (0 = -9/+9, 1 = file, 2 = -7/+7, 3 = rank)
// between the blocker a (toward lower squares) and b (toward higher squares).
constexpr int8_t lineMobilityEntry(int a, int b, int line) {
    if (a < 64 && b < 64) {
        int k = a > b ? a - b : b - a;
        constexpr int STRIDE[4] = {9, 8, 7, 1};
        return int8_t(k / STRIDE[line] - 2);
    }
    if (a == 64 && b < 64) {
        switch (line) {
        case 0: return int8_t(squaresIn(RAY_MASK[b][NORTH_WEST]) - 1);
        case 1: return int8_t(row(b) - 1);
        case 2: return int8_t(squaresIn(RAY_MASK[b][NORTH_EAST]) - 1);
        default: return int8_t(column(b) - 1);
        }
    }
    if (a < 64 && b == 64) {
        switch (line) {
        case 0: return int8_t(squaresIn(RAY_MASK[a][SOUTH_EAST]) - 1);
        case 1: return int8_t(6 - row(a));
        case 2: return int8_t(squaresIn(RAY_MASK[a][SOUTH_WEST]) - 1);
        default: return int8_t(6 - column(a));
        }
    }
    constexpr int8_t BOTH_EDGES[4] = {0, 7, 0, 7};
    return BOTH_EDGES[line];
}

constexpr auto buildLineMobility() {
    std::array<std::array<std::array<int8_t, 4>, 65>, 65> table{};
    for (int a = 0; a <= 64; a++)
        for (int b = 0; b <= 64; b++)
            for (int line = 0; line < 4; line++) table[a][b][line] = lineMobilityEntry(a, b, line);
    return table;
}

constexpr auto buildDiagonalSquares() {
    std::array<std::array<uint8_t, 2>, 64> table{};
    for (int square = 0; square < 64; square++) {
        table[square][0] = uint8_t(squaresIn(RAY_MASK[square][NORTH_WEST] | RAY_MASK[square][SOUTH_EAST]));
        table[square][1] = uint8_t(squaresIn(RAY_MASK[square][NORTH_EAST] | RAY_MASK[square][SOUTH_WEST]));
    }
    return table;
}

constexpr uint64_t kingZoneMask(int king) {
    uint64_t zone = bitOfSquare(king);
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d)
        if (STEP_SQUARE[king][d] < 64) zone |= bitOfSquare(STEP_SQUARE[king][d]);
    return zone;
}

// The relation of square t to the zone of king k over directions
// firstDirection..SOUTH_WEST, in the packed form described in the header.
constexpr uint16_t kingZoneEntry(int king, int t, Direction firstDirection) {
    uint64_t zone = kingZoneMask(king);
    for (Direction d = firstDirection; d <= SOUTH_WEST; ++d) {
        if (!(RAY_MASK[t][d] & zone)) continue;
        int nearest = t;
        do nearest = STEP_SQUARE[nearest][d];
        while (!(bitOfSquare(nearest) & zone));
        return uint16_t(nearest << 8 | d << 4 | squareDistance(t, king));
    }
    return 0xFFFF;
}

constexpr auto buildKingZone(Direction firstDirection) {
    std::array<std::array<uint16_t, 64>, 64> table{};
    for (int king = 0; king < 64; king++)
        for (int t = 0; t < 64; t++) table[king][t] = kingZoneEntry(king, t, firstDirection);
    return table;
}

}  // namespace

constexpr std::array<std::array<int8_t, 8>, 64> stepSquare = STEP_SQUARE;
constexpr std::array<std::array<int8_t, 9>, 64> knightTargets = buildKnightTargets();
constexpr std::array<std::array<uint64_t, 8>, 65> rayMask = RAY_MASK;

constexpr std::array<uint64_t, 64> squareBit = [] {
    std::array<uint64_t, 64> table{};
    for (int square = 0; square < 64; square++) table[square] = bitOfSquare(square);
    return table;
}();

constexpr std::array<uint64_t, 64> squareClear = [] {
    std::array<uint64_t, 64> table{};
    for (int square = 0; square < 64; square++) table[square] = ~bitOfSquare(square);
    return table;
}();

constexpr std::array<std::array<Direction, 64>, 64> lineDirection = buildLineDirection();

constexpr std::array<int16_t, 8> pieceValue = {100, 300, 300, 500, 900, 0, 100, 100};

constexpr std::array<uint8_t, 64> rowBit = [] {
    std::array<uint8_t, 64> table{};
    for (int square = 0; square < 64; square++) table[square] = uint8_t(1 << row(square));
    return table;
}();

constexpr std::array<std::array<std::array<int8_t, 4>, 65>, 65> lineMobility = buildLineMobility();
constexpr std::array<std::array<uint8_t, 2>, 64> diagonalSquares = buildDiagonalSquares();
constexpr KingZoneTable kingZoneAny = buildKingZone(NORTH);
constexpr KingZoneTable kingZoneDiagonal = buildKingZone(NORTH_WEST);
