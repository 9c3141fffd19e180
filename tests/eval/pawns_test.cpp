// Pawn structure terms and the pawn hash. Expected scores are worked out by
// hand from the pawn table and the weight sets; the comments show the sums.
#include "eval/pawns.h"

#include "eval_fixture.h"

namespace {

class PawnStructure : public EvalTest {
protected:
    /// The pawns of the current position scored under w, outside the table.
    static PawnHashEntry scored(const EvalWeights &w) {
        PawnHashEntry entry{};
        scorePawnStructure(w, entry);
        return entry;
    }
};

TEST_F(PawnStructure, PassedAndBackwardPawnsAndThePiecesPressingThem) {
    expectValues([](int) { return int(scored(middlegameWeights).score); },
                 // Doubled isolated a-pawns: (1 - 16 + 10) + (0 - 16 - 10) + 6.
                 {{"4k3/8/8/8/8/P7/P7/4K3 w - -", -25},
                  // d7: 20 + 4 duo (e7 to its right) + 120 passed + 40 beside; e7: 20 +
                  // 120 + 40; each wing has a free pawn against none: +6 twice.
                  {"k7/3PP3/8/8/8/8/8/4K3 w - -", (20 + 4 + 120 + 40) + (20 + 120 + 40) + 12}});
    expectValues([](int) { return int(scored(endgameWeights).score); },
                 // a3 = 1 - 20 isolated + 15 passed; a2 = 0 - 20 isolated - 12 doubled
                 // (not free, not passed); queen-side majority of one free pawn +12.
                 {{"4k3/8/8/8/8/P7/P7/4K3 w - -", (1 - 20 + 15) + (0 - 20 - 12) + 12},
                  // Duo 8, passed 140 + 46, wings 12 each.
                  {"k7/3PP3/8/8/8/8/8/4K3 w - -", (20 + 8 + 140 + 46) + (20 + 140 + 46) + 24},
                  // e5: 12 - 20 + 50; d5: 8 - 20 + 30; f5: 6 - 20 + 30; Black's free
                  // queen-side pawn against none: -12.
                  {"4k3/8/8/3pPp2/8/8/8/4K3 w - -", 42 - 18 - 16 - 12},
                  // d3: -8 - 8 backward + 15 passed; c4 and e4 (defended by d3): 6 and 8,
                  // + 30 passed + 5 for the defender behind; majorities 36 and 12.
                  {"4k3/8/8/8/2P1P3/3P4/8/4K3 w - -", (-8 - 8 + 15) + (6 + 35) + (8 + 35) + 36 + 12}});
    // d3 is backward; Black has a rook and no d-pawn (-15) and a knight on d4
    // in front of it (-12), or a bishop there (-8); then the mirror image for
    // Black's backward d6 against a White knight on d5.
    expectValues([](int) { return evalBackwardPawns(pawnRecord()); },
                 {{"r3k3/8/8/8/2PnP3/3P4/8/4K3 w - -", -27}, {"r3k3/8/8/8/2PbP3/3P4/8/4K3 w - -", -23},
                  {"4k3/8/3p4/2pNp3/8/8/8/R3K3 w - -", 27}});
}

class PawnHash : public EvalTest {};

TEST_F(PawnHash, HitsAndTheShelterCache) {
    // A symmetric structure scores 0; only a hit brings back a changed score.
    setFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    int before = fullEval();
    PawnHashEntry &start = pawnRecord();
    EXPECT_EQ(start.score, 0);
    start.score = 1000;
    EXPECT_EQ(fullEval(), before + 1000);

    // The shelters are filled in on first use and read back after.
    setFen("rn1q2k1/ppp5/8/8/8/8/5PPP/RN1Q2K1 w - -");
    fullEval();
    PawnHashEntry &entry = pawnRecord();
    EXPECT_EQ(entry.shelterCache[0], 45);  // White king-side: no storm pawns, 15 x 3
    EXPECT_EQ(entry.shelterCache[3], 75);  // Black king-side: no pawns at all, 25 x 3
    entry.shelterCache[0] = 5;
    EXPECT_EQ(whiteKingShelter(entry), -5);
}

}  // namespace
