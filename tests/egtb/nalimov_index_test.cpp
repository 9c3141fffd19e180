// The table registry and the index functions: the material lookup, the
// recorded counts, and the three properties of an index (below the recorded
// count; one index for positions the board's symmetries or an exchange of
// identical men make equal; different indices for all other positions).
#include <gtest/gtest.h>

#include <algorithm>
#include <unordered_map>

#include "egtb/nalimov.h"

namespace {

class NalimovRegistry : public ::testing::Test {
protected:
    void SetUp() override { nalimovSetup(); }
};

TEST_F(NalimovRegistry, MaterialLookupAndRecordedCounts) {
    // The counts of white P N B R Q, black P N B R Q; the table (nullptr:
    // none) and whether the colours are exchanged.
    struct Case { uint8_t counts[10]; const char *table; int sign; };
    const Case cases[] = {
        {{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}, "kqk", 1},    {{0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "kqk", -1},
        {{1, 0, 0, 0, 0, 0, 1, 0, 0, 0}, "knkp", -1},  {{2, 0, 0, 0, 0, 1, 0, 0, 0, 0}, "kppkp", 1},
        {{0, 0, 0, 1, 1, 0, 0, 0, 2, 0}, "kqrkrr", 1},
        {{0, 0, 2, 0, 0, 1, 1, 0, 0, 0}, nullptr, 0},  // kbbknp: no six-man table with pawns
        {{4, 0, 0, 0, 0, 0, 0, 0, 0, 0}, nullptr, 0},  // four pawns
    };
    for (const Case &c : cases)
        EXPECT_EQ(nalimovTableFor(c.counts), c.table ? c.sign * nalimovTableNumber(c.table) : 0) << c.table;
    // Pawnless tables place the kings in one of 462 pairs, pawn tables in
    // one of 3612 (all non-adjacent pairs of distinct squares) with the
    // leading pawn on one of 24 squares (files a-d, ranks 2-7); every other
    // man takes one of the squares still free.
    const std::pair<const char *, uint64_t> counts[] = {{"kqk", 462 * 62}, {"kpk", 24 * 3612}, {"kqkp", 24 * 3612 * 61}};
    for (const auto &[table, count] : counts)
        for (int side = 0; side < 2; side++)
            EXPECT_EQ(tbTables[nalimovTableNumber(table)].count[side], count) << table << " side " << side;
}

// ---------------------------------------------------------------------------
// Index properties. A placement lists the squares (a1 = 0) of the
// first-named side's king, the other king, then the men in table order.

struct Shape {
    int table, total;
    int kind[8];           // of the men from index 2 on: side * 5 + type (pawn 0 to queen 4)
    int symmetries;        // all eight without pawns, else none and the mirror of the files
};

Shape shapeOf(const char *name) {
    int table = nalimovTableNumber(name);
    Shape s{table, 2, {}, tbTables[table].men[0][0] + tbTables[table].men[1][0] > 0 ? 2 : 8};
    for (int side = 0; side < 2; side++)
        for (int type = 0; type < 5; type++)
            for (int i = 0; i < tbTables[table].men[side][type]; i++) s.kind[s.total++] = side * 5 + type;
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

/// Sorts the squares of each group of identical men (they stand together).
void sortGroups(const Shape &s, int *squares) {
    for (int i = 3; i < s.total; i++)
        for (int k = i; k > 2 && s.kind[k - 1] == s.kind[k] && squares[k - 1] > squares[k]; k--)
            std::swap(squares[k - 1], squares[k]);
}

/// Steps the squares to the next order of the men inside each group of
/// identical men (groups begin sorted); false once every order was given.
bool nextOrder(const Shape &s, int *squares) {
    for (int i = 2, j; i < s.total; i = j) {
        for (j = i + 1; j < s.total && s.kind[j] == s.kind[i]; j++) {}
        if (std::next_permutation(squares + i, squares + j)) return true;
    }
    return false;
}

/// The same for every placement the scheme calls equal: the smallest, over
/// the allowed symmetries, of the squares with identical men sorted.
uint64_t canonicalKey(const Shape &s, const int *squares) {
    uint64_t best = ~uint64_t(0);
    for (int symmetry = 0; symmetry < s.symmetries; symmetry++) {
        int moved[8];
        for (int i = 0; i < s.total; i++) moved[i] = image(symmetry, squares[i]);
        sortGroups(s, moved);
        uint64_t key = 0;
        for (int i = 0; i < s.total; i++) key = key * 64 + uint64_t(moved[i]);
        best = std::min(best, key);
    }
    return best;
}

uint64_t indexOf(const Shape &s, const int *squares) {
    TbPieceList lists[2];
    int used[10] = {};
    lists[0][15] = squares[0], lists[1][15] = squares[1];
    for (int i = 2; i < s.total; i++) lists[s.kind[i] / 5][s.kind[i] % 5 * 3 + used[s.kind[i]]++] = squares[i];
    return nalimovIndex(s.table, 0, lists[0], lists[1], TB_NO_EP, false);
}

bool placementAllowed(const Shape &s, const int *squares) {
    for (int i = 0; i < s.total; i++)
        for (int j = 0; j < i; j++)
            if (squares[i] == squares[j]) return false;
    if (std::abs((squares[0] & 7) - (squares[1] & 7)) <= 1 && std::abs((squares[0] >> 3) - (squares[1] >> 3)) <= 1)
        return false;
    for (int i = 2; i < s.total; i++)
        if (s.kind[i] % 5 == 0 && (squares[i] < 8 || squares[i] >= 56)) return false;
    return true;
}

// The index depends only on where pawns, kings and groups of identical men
// stand, not on the piece letters, so one table of each layout covers them
// all. On random placements: the index is below the count, every equal
// placement (each symmetry, each order of identical men) shares it, and no
// other sampled placement has it.
TEST_F(NalimovRegistry, EveryLayoutIndexesEachPositionOnce) {
    uint32_t state = 12345;
    for (const char *name : {"kpk", "kqk", "kqkr", "kqqk", "kqkp", "kpkp", "kppk", "kqpk", "kppkp", "kqrkr", "kqqqk",
                             "kbnkp", "krppk", "knnkn"}) {
        Shape s = shapeOf(name);
        std::unordered_map<uint64_t, uint64_t> keyOfIndex;
        for (int sample = 0; sample < 20000 && !HasFatalFailure(); sample++) {
            int squares[8], moved[8];
            do
                for (int i = 0; i < s.total; i++) squares[i] = int((state = state * 1664525u + 1013904223u) >> 10) % 64;
            while (!placementAllowed(s, squares));
            uint64_t index = indexOf(s, squares), key = canonicalKey(s, squares);
            ASSERT_LT(index, tbTables[s.table].count[0]) << name;
            ASSERT_EQ(keyOfIndex.emplace(index, key).first->second, key) << name << ": different positions with one index";
            for (int symmetry = 0; symmetry < s.symmetries; symmetry++) {
                for (int i = 0; i < s.total; i++) moved[i] = image(symmetry, squares[i]);
                sortGroups(s, moved);
                do ASSERT_EQ(indexOf(s, moved), index) << name << " symmetry " << symmetry;
                while (nextOrder(s, moved));
            }
        }
    }
    // Touching kings and pawns on the end ranks have no index.
    int touching[3] = {0, 9, 40}, edgePawn[3] = {0, 63, 60};
    EXPECT_EQ(indexOf(shapeOf("kqk"), touching), TB_NO_INDEX);
    EXPECT_EQ(indexOf(shapeOf("kpk"), edgePawn), TB_NO_INDEX);
}

}  // namespace
