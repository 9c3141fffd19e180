// The table registry and the index functions: the material lookup, and
// the three properties of an index (below the recorded
// count; one index for positions the board's symmetries or an exchange of
// identical men make equal; different indices for all other positions).
#include <gtest/gtest.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "egtb/nalimov.h"

namespace {

class NalimovRegistry : public ::testing::Test {
protected:
    void SetUp() override { nalimovSetup(); }
};

TEST_F(NalimovRegistry, MaterialLookupFindsTheTableAndTheColourOrder) {
    struct Case {
        uint8_t counts[10];  // white P N B R Q, black P N B R Q
        const char *table;
        int sign;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, "kqk", 1},    {{0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "kqk", -1},
        {{1, 0, 0, 0, 0, 0, 1, 0, 0, 0}, "knkp", -1},  {{0, 1, 0, 0, 0, 1, 0, 0, 0, 0}, "knkp", 1},
        {{2, 0, 0, 0, 0, 1, 0, 0, 0, 0}, "kppkp", 1},  {{1, 0, 0, 0, 0, 2, 0, 0, 0, 0}, "kppkp", -1},
        {{0, 0, 0, 1, 1, 0, 0, 0, 2, 0}, "kqrkrr", 1},
    };
    for (const Case &c : cases) EXPECT_EQ(nalimovTableFor(c.counts), c.sign * nalimovTableNumber(c.table)) << c.table;
    const uint8_t noTable[][10] = {
        {0, 0, 2, 0, 0, 1, 1, 0, 0, 0},  // kbbknp: no six-man table with pawns
        {4, 0, 0, 0, 0, 0, 0, 0, 0, 0},  // four pawns
        {0, 0, 0, 0, 2, 0, 0, 0, 0, 3},  // seven men
    };
    for (const auto &counts : noTable) EXPECT_EQ(nalimovTableFor(counts), 0);
}

TEST_F(NalimovRegistry, RecordedCountsFollowFromTheKingPairsAndTheFreeSquares) {
    // Pawnless tables place the kings in one of 462 pairs, pawn tables in
    // one of 3612 (all non-adjacent pairs of distinct squares) with the
    // leading pawn on one of 24 squares (files a-d, ranks 2-7); every other
    // man takes one of the squares still free.
    const struct {
        const char *table;
        uint64_t count;
    } cases[] = {
        {"kqk", 462 * 62},         // 28644
        {"kpk", 24 * 3612},        // 86688
        {"kqkr", 462 * 62 * 61},   // 1747284
        {"kqkp", 24 * 3612 * 61},  // 5287968
    };
    for (const auto &c : cases)
        for (int side = 0; side < 2; side++)
            EXPECT_EQ(tbTables[nalimovTableNumber(c.table)].count[side], c.count) << c.table << " side " << side;
}

// ---------------------------------------------------------------------------
// Index properties. A placement lists the squares (a1 = 0) of the
// first-named side's king, the other king, then the men in table order.

struct Shape {
    int table, total;
    int side[8], type[8];  // of the men from index 2 on
    bool pawns;
};

Shape shapeOf(int table) {
    Shape s{table, 2, {}, {}, tbTables[table].men[0][0] + tbTables[table].men[1][0] > 0};
    for (int side = 0; side < 2; side++)
        for (int type = 0; type < 5; type++)
            for (int i = 0; i < tbTables[table].men[side][type]; i++) s.side[s.total] = side, s.type[s.total++] = type;
    return s;
}

/// The image of a square under one of the eight board symmetries: bit 0
/// mirrors the files, bit 1 the ranks, bit 2 swaps files and ranks.
int image(int symmetry, int square) {
    int file = square & 7, rank = square >> 3;
    if (symmetry & 1) file = 7 - file;
    if (symmetry & 2) rank = 7 - rank;
    if (symmetry & 4) std::swap(file, rank);
    return rank * 8 + file;
}

/// The same for every placement the scheme calls equal: the smallest, over
/// the allowed symmetries, of the squares with identical men sorted.
uint64_t canonicalKey(const Shape &s, const int *squares) {
    uint64_t best = ~uint64_t(0);
    for (int symmetry = 0; symmetry < (s.pawns ? 2 : 8); symmetry++) {
        int moved[8];
        for (int i = 0; i < s.total; i++) moved[i] = image(symmetry, squares[i]);
        for (int i = 3; i < s.total; i++)  // identical men stand together: sort each group
            for (int k = i; k > 2 && s.side[k - 1] == s.side[k] && s.type[k - 1] == s.type[k] && moved[k - 1] > moved[k]; k--)
                std::swap(moved[k - 1], moved[k]);
        uint64_t key = 0;
        for (int i = 0; i < s.total; i++) key = key * 64 + uint64_t(moved[i]);
        best = std::min(best, key);
    }
    return best;
}

uint64_t indexOf(const Shape &s, const int *squares) {
    TbPieceList lists[2];
    int used[2][5] = {};
    lists[0][15] = squares[0], lists[1][15] = squares[1];
    for (int i = 2; i < s.total; i++) lists[s.side[i]][s.type[i] * 3 + used[s.side[i]][s.type[i]]++] = squares[i];
    return nalimovIndex(s.table, 0, lists[0], lists[1], TB_NO_EP, false);
}

bool placementAllowed(const Shape &s, const int *squares) {
    for (int i = 0; i < s.total; i++)
        for (int j = 0; j < i; j++)
            if (squares[i] == squares[j]) return false;
    if (std::abs((squares[0] & 7) - (squares[1] & 7)) <= 1 && std::abs((squares[0] >> 3) - (squares[1] >> 3)) <= 1)
        return false;
    for (int i = 2; i < s.total; i++)
        if (s.type[i] == 0 && (squares[i] < 8 || squares[i] >= 56)) return false;
    return true;
}

/// Under the sanitizers the four-man checks would take minutes: there the
/// first king stands only on the squares of a few whole symmetry classes
/// (corners, b1 and its images, the centre; for pawn tables files a, d, e,
/// h), which keeps every class of equal placements complete.
#ifdef __SANITIZE_ADDRESS__
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif

bool firstKingSquareChecked(const Shape &s, int square) {
    if (!SANITIZED) return true;
    if (s.pawns) return (square & 7) == 0 || (square & 7) == 3 || (square & 7) == 4 || (square & 7) == 7;
    int smallest = 64;
    for (int symmetry = 0; symmetry < 8; symmetry++) smallest = std::min(smallest, image(symmetry, square));
    return smallest == 0 || smallest == 1 || smallest == 27;
}

/// Checks every placement of a table: indices below the count, and index
/// classes that are exactly the classes of equal placements.
void checkExhaustively(int table) {
    Shape s = shapeOf(table);
    uint64_t count = tbTables[table].count[0];
    std::vector<uint64_t> keyAtIndex(count, ~uint64_t(0));
    uint64_t classes = 0, indicesUsed = 0;
    int squares[8] = {};
    for (uint64_t code = 0; code < uint64_t(1) << (6 * s.total); code++) {
        uint64_t own = 0;
        for (int i = 0; i < s.total; i++) squares[i] = int(code >> (6 * i) & 63), own = own * 64 + uint64_t(squares[i]);
        if (!placementAllowed(s, squares) || !firstKingSquareChecked(s, squares[0])) continue;
        uint64_t index = indexOf(s, squares), key = canonicalKey(s, squares);
        ASSERT_LT(index, count) << tbTables[table].name;
        if (keyAtIndex[index] == ~uint64_t(0)) keyAtIndex[index] = key, indicesUsed++;
        ASSERT_EQ(keyAtIndex[index], key) << tbTables[table].name << ": two different positions share index " << index;
        if (own == key) classes++;
    }
    // Each class of equal placements met exactly one index.
    EXPECT_EQ(indicesUsed, classes) << tbTables[table].name;
}

// The index depends only on where pawns, kings and groups of identical men
// stand, not on the piece letters, so one table of each four-man layout
// covers them all.
TEST_F(NalimovRegistry, EveryThreeAndFourManLayoutIndexesEachPositionOnce) {
    for (const char *name : {"kpk", "knk", "kbk", "krk", "kqk", "kqkr", "kqqk", "kqkp", "kpkp", "kppk", "kqpk"})
        checkExhaustively(nalimovTableNumber(name));
}

/// Five-man tables on samples: random placements, each compared with its
/// images under the symmetries and exchanges of identical men, and all
/// sampled classes checked for distinct indices.
TEST_F(NalimovRegistry, FiveManTablesOnSamples) {
    uint32_t state = 12345;
    for (const char *name : {"kppkp", "kqrkr", "kqqqk", "kbnkp", "krppk", "knnkn"}) {
        Shape s = shapeOf(nalimovTableNumber(name));
        std::unordered_map<uint64_t, uint64_t> keyOfIndex;
        for (int sample = 0; sample < 20000; sample++) {
            int squares[8], moved[8];
            do
                for (int i = 0; i < s.total; i++) squares[i] = int((state = state * 1664525u + 1013904223u) >> 10) % 64;
            while (!placementAllowed(s, squares));
            uint64_t index = indexOf(s, squares);
            ASSERT_LT(index, tbTables[s.table].count[0]) << name;
            ASSERT_EQ(keyOfIndex.emplace(index, canonicalKey(s, squares)).first->second, canonicalKey(s, squares))
                << name << ": different positions with one index";
            for (int symmetry = 1; symmetry < (s.pawns ? 2 : 8); symmetry++) {
                for (int i = 0; i < s.total; i++) moved[i] = image(symmetry, squares[i]);
                ASSERT_EQ(indexOf(s, moved), index) << name << " symmetry " << symmetry;
            }
            for (int i = 2; i + 1 < s.total; i++) {
                if (s.side[i] != s.side[i + 1] || s.type[i] != s.type[i + 1]) continue;
                std::copy(squares, squares + s.total, moved);
                std::swap(moved[i], moved[i + 1]);
                ASSERT_EQ(indexOf(s, moved), index) << name << ": identical men exchanged";
            }
        }
    }
}

TEST_F(NalimovRegistry, AdjacentKingsAndEdgePawnsHaveNoIndex) {
    int touching[3] = {0, 9, 40}, edgePawn[3] = {0, 63, 60};
    EXPECT_EQ(indexOf(shapeOf(nalimovTableNumber("kqk")), touching), TB_NO_INDEX);
    EXPECT_EQ(indexOf(shapeOf(nalimovTableNumber("kpk")), edgePawn), TB_NO_INDEX);
}

}  // namespace
