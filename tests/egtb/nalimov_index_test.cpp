// The table registry and the index functions: the material lookup, the
// recorded counts, and the three properties of an index (below the recorded
// count; one index for positions the board's symmetries or an exchange of
// identical men make equal; different indices for all other positions).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

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

/// The image of a square under one of the eight board symmetries: bit 0
/// mirrors the files, bit 1 the ranks, bit 2 swaps files and ranks.
int image(int symmetry, int square) {
    int file = square & 7, rank = square >> 3;
    if (symmetry & 1) file = 7 - file;
    if (symmetry & 2) rank = 7 - rank;
    if (symmetry & 4) std::swap(file, rank);
    return rank * 8 + file;
}

// Tables whose men beyond the two kings are alike (queens or pawns of the
// first side). Two placements are equal when a board symmetry (all eight
// without pawns, the file mirror with pawns) and an order of the men make
// them one; equal placements share an index below the recorded count, and
// no other sampled placement has it.
TEST_F(NalimovRegistry, IndexIsSharedByEqualPlacementsOnly) {
    uint32_t state = 12345;
    for (const char *name : {"kqk", "kpk", "kqqk", "kppk", "kqqqk"}) {
        int table = nalimovTableNumber(name), total = int(std::strlen(name)), type = name[1] == 'p' ? 0 : 4;
        auto indexOf = [&](const int *squares) {
            TbPieceList lists[2];
            lists[0][15] = squares[0], lists[1][15] = squares[1];
            for (int i = 2; i < total; i++) lists[0][type * 3 + i - 2] = squares[i];
            return nalimovIndex(table, 0, lists[0], lists[1], TB_NO_EP, false);
        };
        std::unordered_map<uint64_t, uint64_t> keyOfIndex;
        for (int sample = 0; sample < 20000 && !HasFatalFailure(); sample++) {
            int squares[5];
            std::vector<int> moved(size_t(total), 0);
            auto allowed = [&] {
                for (int i = 0; i < total; i++)
                    for (int j = 0; j < i; j++)
                        if (squares[i] == squares[j]) return false;
                for (int i = 2; i < total; i++)
                    if (type == 0 && (squares[i] < 8 || squares[i] >= 56)) return false;
                return std::abs((squares[0] & 7) - (squares[1] & 7)) > 1 || std::abs((squares[0] >> 3) - (squares[1] >> 3)) > 1;
            };
            do
                for (int i = 0; i < total; i++) squares[i] = int((state = state * 1664525u + 1013904223u) >> 10) % 64;
            while (!allowed());
            uint64_t index = indexOf(squares), key = ~uint64_t(0);
            for (int symmetry = 0; symmetry < (type == 0 ? 2 : 8); symmetry++) {
                for (int i = 0; i < total; i++) moved[i] = image(symmetry, squares[i]);
                std::reverse(moved.begin() + 2, moved.end());  // another order of the alike men
                ASSERT_EQ(indexOf(moved.data()), index) << name << " symmetry " << symmetry;
                std::sort(moved.begin() + 2, moved.end());
                uint64_t packed = 0;
                for (int i = 0; i < total; i++) packed = packed * 64 + uint64_t(moved[i]);
                key = std::min(key, packed);
            }
            ASSERT_LT(index, tbTables[table].count[0]) << name;
            ASSERT_EQ(keyOfIndex.emplace(index, key).first->second, key) << name << ": different positions with one index";
        }
    }
}

}  // namespace
