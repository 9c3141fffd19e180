// The table registry and the index functions: names and order, flags, the
// material lookup, and the three properties of an index (below the recorded
// count; one index for positions the board's symmetries or an exchange of
// identical men make equal; different indices for all other positions).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "egtb/nalimov.h"

namespace {

int tableNumber(const char *name) {
    for (int t = 0; t < TB_TABLES; t++)
        if (!std::strcmp(tbTables[t].name, name)) return t;
    return -1;
}

class NalimovRegistry : public ::testing::Test {
protected:
    void SetUp() override { nalimovSetup(); }
};

TEST_F(NalimovRegistry, TablesStandInTheDocumentedOrder) {
    struct Case {
        int number;
        const char *name;
    };
    const Case cases[] = {{0, "kk"},       {1, "kpk"},      {5, "kqk"},     {6, "kpkp"},     {7, "knkp"},
                          {8, "knkn"},     {9, "kbkp"},     {20, "kqkq"},   {21, "kppk"},    {22, "knpk"},
                          {23, "knnk"},    {35, "kqqk"},    {36, "kppkp"},  {40, "kppkq"},   {41, "knpkp"},
                          {110, "kqqkq"},  {111, "kpppk"},  {112, "knppk"}, {113, "knnpk"},  {114, "knnnk"},
                          {115, "kbppk"},  {145, "kqqqk"},  {146, "knnknn"}, {151, "krnknn"}, {178, "kqqkqq"}};
    for (const Case &c : cases) EXPECT_STREQ(tbTables[c.number].name, c.name) << c.number;
    for (int a = 0; a < TB_TABLES; a++)
        for (int b = a + 1; b < TB_TABLES; b++) EXPECT_STRNE(tbTables[a].name, tbTables[b].name);
}

TEST_F(NalimovRegistry, FlagsMarkTheSymmetricAndTheSixteenBitTables) {
    const char *symmetric[] = {"kk", "knkn", "kbkb", "krkr", "kqkq", "knnknn", "kbbkbb", "krrkrr", "kqqkqq"};
    const char *wide[] = {"krnknn", "krnkbb", "krbknn", "kqnkrr"};
    int symmetricCount = 0, wideCount = 0;
    for (int t = 0; t < TB_TABLES; t++) {
        symmetricCount += tbTables[t].flags & TB_SYMMETRIC ? 1 : 0;
        wideCount += tbTables[t].flags & TB_16BIT ? 1 : 0;
    }
    EXPECT_EQ(symmetricCount, 9);
    EXPECT_EQ(wideCount, 4);
    for (const char *name : symmetric) EXPECT_TRUE(tbTables[tableNumber(name)].flags & TB_SYMMETRIC) << name;
    for (const char *name : wide) EXPECT_TRUE(tbTables[tableNumber(name)].flags & TB_16BIT) << name;
}

TEST_F(NalimovRegistry, MaterialLookupFindsTheTableAndTheColourOrder) {
    struct Case {
        uint8_t counts[10];  // white P N B R Q, black P N B R Q
        const char *table;
        int sign;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, "kqk", 1},      {{0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "kqk", -1},
        {{1, 0, 0, 0, 0, 0, 1, 0, 0, 0}, "knkp", -1},    {{0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, "knkp", 1},
        {{0, 1, 0, 0, 0, 0, 1, 0, 0, 0}, "knkn", 1},     {{2, 0, 0, 0, 0, 1, 0, 0, 0, 0}, "kppkp", 1},
        {{1, 0, 0, 0, 0, 2, 0, 0, 0, 0}, "kppkp", -1},   {{0, 0, 0, 1, 1, 0, 0, 0, 2, 0}, "kqrkrr", 1},
        {{0, 0, 0, 0, 0, 0, 1, 1, 0, 0}, "kbnk", -1},    {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0}, "kpkp", 1},    {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "kk", 1},
    };
    for (const Case &c : cases) EXPECT_EQ(nalimovTableFor(c.counts), c.sign * tableNumber(c.table)) << c.table;
    const uint8_t noTable[][10] = {
        {0, 0, 2, 0, 0, 1, 1, 0, 0, 0},  // kbbknp: no six-man table with pawns
        {4, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // four pawns
        {0, 0, 0, 0, 2, 0, 0, 0, 0, 3},  // seven men
    };
    for (const auto &counts : noTable) EXPECT_EQ(nalimovTableFor(counts), 0);
}

TEST_F(NalimovRegistry, RecordedCountsAreTheRangesOfTheIndexFunctions) {
    for (int t = 1; t < TB_TABLES; t++)
        for (int side = 0; side < 2; side++) EXPECT_EQ(tbTables[t].count[side], nalimovIndexRange(t, side)) << t;
    // Four ways to place a king pair (the 462 of the pawnless tables) and a
    // queen on one of the 62 free squares.
    EXPECT_EQ(tbTables[tableNumber("kqk")].count[1], 28644u);
    EXPECT_EQ(tbTables[tableNumber("kqk")].count[0], 28644u);
}

// ---------------------------------------------------------------------------
// Index properties. A placement lists the squares (a1 = 0) of the
// first-named side's king, the other king, then the men in table order.

struct Shape {
    int table;
    int menTypes[2][6];  // per side, the types of its men besides the king
    int menCount[2];
    bool pawns;
};

Shape shapeOf(int table) {
    Shape s{};
    s.table = table;
    for (int side = 0; side < 2; side++)
        for (int type = 0; type < 5; type++)
            for (int i = 0; i < tbTables[table].men[side][type]; i++) s.menTypes[side][s.menCount[side]++] = type;
    s.pawns = tbTables[table].men[0][0] + tbTables[table].men[1][0] > 0;
    return s;
}

/// The image of a square under one of the eight board symmetries: bit 0
/// mirrors the files, bit 1 the ranks, bit 2 swaps files and ranks.
struct SymmetryTable {
    uint8_t image[8][64];
    SymmetryTable() {
        for (int symmetry = 0; symmetry < 8; symmetry++)
            for (int square = 0; square < 64; square++) {
                int file = square & 7, rank = square >> 3;
                if (symmetry & 1) file = 7 - file;
                if (symmetry & 2) rank = 7 - rank;
                if (symmetry & 4) std::swap(file, rank);
                image[symmetry][square] = uint8_t(rank * 8 + file);
            }
    }
};
const SymmetryTable symmetries;

int symmetryImage(int symmetry, int square) { return symmetries.image[symmetry][square]; }

/// A key that is the same for every placement the scheme calls equal:
/// the smallest, over the allowed symmetries, of the squares in order with
/// identical men sorted.
uint64_t canonicalKey(const Shape &s, const int *squares) {
    uint64_t best = ~uint64_t(0);
    int total = 2 + s.menCount[0] + s.menCount[1];
    for (int symmetry = 0; symmetry < (s.pawns ? 2 : 8); symmetry++) {
        int image[8];
        for (int i = 0; i < total; i++) image[i] = symmetryImage(symmetry, squares[i]);
        // Men of one side and type stand next to each other: sort each run.
        for (int side = 0, at = 2; side < 2; at += s.menCount[side], side++)
            for (int i = 0, run; i < s.menCount[side]; i += run) {
                for (run = 1; i + run < s.menCount[side] && s.menTypes[side][i + run] == s.menTypes[side][i];) run++;
                for (int x = at + i + 1; x < at + i + run; x++)
                    for (int y = x; y > at + i && image[y - 1] > image[y]; y--) std::swap(image[y - 1], image[y]);
            }
        uint64_t key = 0;
        for (int i = 0; i < total; i++) key = key * 64 + uint64_t(image[i]);
        best = std::min(best, key);
    }
    return best;
}

uint64_t indexOf(const Shape &s, const int *squares, int epSquare = TB_NO_EP) {
    TbPieceList lists[2];
    for (int side = 0; side < 2; side++) {
        lists[side][15] = squares[side];
        int used[5] = {0, 0, 0, 0, 0};
        for (int i = 0; i < s.menCount[side]; i++) {
            int type = s.menTypes[side][i];
            lists[side][type * 3 + used[type]++] = squares[2 + (side ? s.menCount[0] : 0) + i];
        }
    }
    return nalimovIndex(s.table, 0, lists[0], lists[1], epSquare, false);
}

bool placementAllowed(const Shape &s, const int *squares) {
    int total = 2 + s.menCount[0] + s.menCount[1];
    for (int i = 0; i < total; i++)
        for (int j = 0; j < i; j++)
            if (squares[i] == squares[j]) return false;
    int fileGap = std::abs((squares[0] & 7) - (squares[1] & 7)), rankGap = std::abs((squares[0] >> 3) - (squares[1] >> 3));
    if (std::max(fileGap, rankGap) <= 1) return false;
    for (int side = 0, at = 2; side < 2; side++)
        for (int i = 0; i < s.menCount[side]; i++, at++)
            if (s.menTypes[side][i] == 0 && (squares[at] < 8 || squares[at] >= 56)) return false;
    return true;
}

#ifdef __SANITIZE_ADDRESS__
// Under the sanitizers the four-man checks would take minutes: there the
// first king stands only on the squares of a few whole symmetry classes
// (corners, b1 and its images, the centre; for pawn tables files a, d, e,
// h), which keeps every class of equal placements complete.
constexpr bool EVERY_FIRST_KING_SQUARE = false;
#else
constexpr bool EVERY_FIRST_KING_SQUARE = true;
#endif

bool firstKingSquareChecked(const Shape &s, int square) {
    if (EVERY_FIRST_KING_SQUARE) return true;
    if (s.pawns) return (square & 7) == 0 || (square & 7) == 3 || (square & 7) == 4 || (square & 7) == 7;
    int smallest = 64;
    for (int symmetry = 0; symmetry < 8; symmetry++) smallest = std::min(smallest, symmetryImage(symmetry, square));
    return smallest == 0 || smallest == 1 || smallest == 27;
}

/// Checks every placement of a table: indices below the count, and index
/// classes that are exactly the classes of equal placements.
void checkExhaustively(int table) {
    Shape s = shapeOf(table);
    uint64_t count = tbTables[table].count[0];
    std::vector<uint64_t> keyAtIndex(count, ~uint64_t(0));
    uint64_t classes = 0, indicesUsed = 0;
    int total = 2 + s.menCount[0] + s.menCount[1];
    int squares[8] = {};
    uint64_t placements = uint64_t(1) << (6 * total);
    for (uint64_t code = 0; code < placements; code++) {
        for (int i = 0; i < total; i++) squares[i] = int(code >> (6 * i) & 63);
        if (!placementAllowed(s, squares) || !firstKingSquareChecked(s, squares[0])) continue;
        uint64_t index = indexOf(s, squares);
        ASSERT_LT(index, count) << tbTables[table].name;
        uint64_t key = canonicalKey(s, squares);
        if (keyAtIndex[index] == ~uint64_t(0)) keyAtIndex[index] = key, indicesUsed++;
        else ASSERT_EQ(keyAtIndex[index], key) << tbTables[table].name << ": two different positions share index " << index;
        uint64_t own = 0;
        for (int i = 0; i < total; i++) own = own * 64 + uint64_t(squares[i]);
        if (own == key) classes++;
    }
    // Each class of equal placements met exactly one index.
    EXPECT_EQ(indicesUsed, classes) << tbTables[table].name;
}

TEST_F(NalimovRegistry, EveryThreeManTableIndexesEachPositionOnce) {
    for (const char *name : {"kpk", "knk", "kbk", "krk", "kqk"}) checkExhaustively(tableNumber(name));
}

// The index depends only on where pawns, kings and groups of identical men
// stand, not on the piece letters, so one table of each four-man layout
// covers them all: pawnless with two single men or with a pair, a pawn of
// the second side, pawns on both sides, a pawn pair, a pawn with a piece.
TEST_F(NalimovRegistry, FourManPawnlessSingleMen) { checkExhaustively(tableNumber("kqkr")); }
TEST_F(NalimovRegistry, FourManPawnlessPair) { checkExhaustively(tableNumber("kqqk")); }
TEST_F(NalimovRegistry, FourManPawnOfTheSecondSide) { checkExhaustively(tableNumber("kqkp")); }
TEST_F(NalimovRegistry, FourManPawnsOnBothSides) { checkExhaustively(tableNumber("kpkp")); }
TEST_F(NalimovRegistry, FourManPawnPair) { checkExhaustively(tableNumber("kppk")); }
TEST_F(NalimovRegistry, FourManPawnAndPiece) { checkExhaustively(tableNumber("kqpk")); }

TEST_F(NalimovRegistry, TablesOfOneLayoutShareTheirCounts) {
    EXPECT_EQ(tbTables[tableNumber("kbkn")].count[0], tbTables[tableNumber("kqkr")].count[0]);
    EXPECT_EQ(tbTables[tableNumber("krrk")].count[0], tbTables[tableNumber("kqqk")].count[0]);
    EXPECT_EQ(tbTables[tableNumber("knkp")].count[0], tbTables[tableNumber("kqkp")].count[0]);
    EXPECT_EQ(tbTables[tableNumber("kbpk")].count[0], tbTables[tableNumber("kqpk")].count[0]);
}

/// Five-man tables on samples: random placements, each compared with its
/// images under the symmetries and exchanges of identical men, and all
/// sampled classes checked for distinct indices.
TEST_F(NalimovRegistry, FiveManTablesOnSamples) {
    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1664525u + 1013904223u;
        return state >> 10;
    };
    for (const char *name : {"kppkp", "kqrkr", "kqqqk", "kbnkp", "krppk", "knnkn"}) {
        int table = tableNumber(name);
        Shape s = shapeOf(table);
        int total = 2 + s.menCount[0] + s.menCount[1];
        std::unordered_map<uint64_t, uint64_t> indexOfKey, keyOfIndex;
        for (int sample = 0; sample < 20000; sample++) {
            int squares[8];
            do
                for (int i = 0; i < total; i++) squares[i] = int(next() % 64);
            while (!placementAllowed(s, squares));
            uint64_t index = indexOf(s, squares), key = canonicalKey(s, squares);
            ASSERT_LT(index, tbTables[table].count[0]) << name;
            auto known = indexOfKey.emplace(key, index);
            ASSERT_EQ(known.first->second, index) << name << ": equal positions with two indices";
            auto owner = keyOfIndex.emplace(index, key);
            ASSERT_EQ(owner.first->second, key) << name << ": different positions with one index";
            for (int symmetry = 1; symmetry < (s.pawns ? 2 : 8); symmetry++) {
                int image[8];
                for (int i = 0; i < total; i++) image[i] = symmetryImage(symmetry, squares[i]);
                ASSERT_EQ(indexOf(s, image), index) << name << " symmetry " << symmetry;
            }
            for (int i = 2; i + 1 < total; i++) {
                int a = i - 2, b = i - 1;
                int side = a >= s.menCount[0] ? 1 : 0;
                if ((b >= s.menCount[0]) != side) continue;
                int offset = side ? s.menCount[0] : 0;
                if (s.menTypes[side][a - offset] != s.menTypes[side][b - offset]) continue;
                int swapped[8];
                std::copy(squares, squares + total, swapped);
                std::swap(swapped[i], swapped[i + 1]);
                ASSERT_EQ(indexOf(s, swapped), index) << name << ": identical men exchanged";
            }
        }
    }
}

TEST_F(NalimovRegistry, EnPassantPositionsTakeTheirOwnRange) {
    int table = tableNumber("kpkp");
    Shape s = shapeOf(table);
    // White king a1, black king h8, white pawn e4, black pawn d4.
    int squares[4] = {0, 63, 28, 27};
    uint64_t plain = indexOf(s, squares), open = indexOf(s, squares, 20);
    EXPECT_EQ(open, plain + tbTables[table].count[0] / 2);
    // Pawn tables with pawns on one side have no such range.
    EXPECT_EQ(tbTables[tableNumber("kpk")].count[0], 24u * 3612u);
}

TEST_F(NalimovRegistry, AdjacentKingsAndEdgePawnsHaveNoIndex) {
    Shape kqk = shapeOf(tableNumber("kqk")), kpk = shapeOf(tableNumber("kpk"));
    int touching[3] = {0, 9, 40}, edgePawn[3] = {0, 63, 60};
    EXPECT_EQ(indexOf(kqk, touching), TB_NO_INDEX);
    EXPECT_EQ(indexOf(kpk, edgePawn), TB_NO_INDEX);
}

}  // namespace
