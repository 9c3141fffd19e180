// Pawn structure terms and the pawn hash. Expected scores are worked out by
// hand from the pawn table and the weight sets; the comments show the sums.
#include "eval/pawns.h"

#include "board/position.h"
#include "eval/king.h"
#include "eval_fixture.h"

namespace {

class PawnStructure : public EvalTest {};

TEST_F(PawnStructure, DoubledIsolatedPawnsBothPayAndOnlyTheFrontOneIsPassed) {
    setFen("4k3/8/8/8/8/P7/P7/4K3 w - -");
    // Endgame: a3 = 1 - 20 isolated + 15 passed; a2 = 0 - 20 isolated - 12
    // doubled (not free, not passed); queen-side majority of one free pawn +12.
    PawnHashEntry endgame = scoredPawns(endgameWeights);
    EXPECT_EQ(endgame.score, (1 - 20 + 15) + (0 - 20 - 12) + 12);
    EXPECT_EQ(endgame.passedFiles[WHITE], 0x01);
    // Middlegame: (1 - 16 + 10) + (0 - 16 - 10) + 6.
    EXPECT_EQ(scoredPawns(middlegameWeights).score, -25);
}

TEST_F(PawnStructure, PasserBesideAPasserOnTheSeventhGetsAThirdMore) {
    setFen("k7/3PP3/8/8/8/8/8/4K3 w - -");
    // d7: 20 + 4 duo (e7 to its right) + 120 passed + 40 beside; e7: 20 +
    // 120 + 40; each wing has a free pawn against none: +6 twice.
    EXPECT_EQ(scoredPawns(middlegameWeights).score, (20 + 4 + 120 + 40) + (20 + 120 + 40) + 12);
    // Endgame: duo 8, passed 140 + 46, wing 12.
    EXPECT_EQ(scoredPawns(endgameWeights).score, (20 + 8 + 140 + 46) + (20 + 140 + 46) + 24);
}

TEST_F(PawnStructure, PawnsOnTheSameRowDoNotStopAPasser) {
    setFen("4k3/8/8/3pPp2/8/8/8/4K3 w - -");
    PawnHashEntry entry = scoredPawns(endgameWeights);
    EXPECT_EQ(entry.passedFiles[WHITE], 0x10);  // e5
    EXPECT_EQ(entry.passedFiles[BLACK], 0x28);  // d5 and f5
    // e5: 12 - 20 + 50; d5: 8 - 20 + 30; f5: 6 - 20 + 30; Black's free
    // queen-side pawn against none: -12.
    EXPECT_EQ(entry.score, 42 - 18 - 16 - 12);
}

TEST_F(PawnStructure, BackwardPawnIsMarkedWeak) {
    setFen("4k3/8/8/8/2P1P3/3P4/8/4K3 w - -");
    PawnHashEntry entry = scoredPawns(endgameWeights);
    EXPECT_EQ(entry.weakFiles[WHITE], 0x08);
    EXPECT_EQ(entry.weakFiles[BLACK], 0x00);
    // d3: -8 - 8 backward + 15 passed; c4 and e4 (defended by d3): 6 and 8,
    // + 30 passed + 5 for the defender behind; majorities 36 and 12.
    EXPECT_EQ(entry.score, (-8 - 8 + 15) + (6 + 35) + (8 + 35) + 36 + 12);
}

TEST_F(PawnStructure, PawnWhoseNeighboursCannotComeUp) {
    struct Case { const char *fen; int side, file, rank; bool unsupported; };
    for (Case c : {// d5 with only c2 behind it: c2-c4 defends it unless b5 (or an en-passant
                   // capturer on b4) covers c4 and nothing defends c4.
                   Case{"4k3/8/8/3P4/8/8/2P5/4K3 w - -", WHITE, 3, 3, false},
                   Case{"4k3/8/8/1p1P4/8/8/2P5/4K3 w - -", WHITE, 3, 3, true},
                   Case{"4k3/8/8/1p1P4/8/1P6/2P5/4K3 w - -", WHITE, 3, 3, false},
                   Case{"4k3/8/8/3P4/1p6/8/2P5/4K3 w - -", WHITE, 3, 3, true},
                   // d4 with e2 behind: e3 is covered by f4, but b2xc3 brings a defender.
                   Case{"4k3/8/8/8/3P1p2/2p5/1P2P3/4K3 w - -", WHITE, 3, 4, false},
                   Case{"4k3/8/8/8/3P1p2/2p5/4P3/4K3 w - -", WHITE, 3, 4, true},
                   // The same double step for Black: c7-c5 defends d4, unless b4 covers c5.
                   Case{"4k3/2p5/8/8/3p4/8/8/4K3 w - -", BLACK, 3, 4, false},
                   Case{"4k3/2p5/8/8/1P1p4/8/8/4K3 w - -", BLACK, 3, 4, true}}) {
        setFen(c.fen);
        EXPECT_EQ(pawnCannotBeSupported(c.side, c.file, c.rank), c.unsupported) << c.fen;
    }
}

TEST_F(PawnStructure, PiecesPressingABackwardPawn) {
    struct Case { const char *fen; int score; };
    // d3 is backward; Black has a rook and no d-pawn (-15) and a knight on d4
    // in front of it (-12), or a bishop there (-8); then the mirror image for
    // Black's backward d6 against a White knight on d5.
    for (Case c : {Case{"r3k3/8/8/8/2PnP3/3P4/8/4K3 w - -", -27}, Case{"r3k3/8/8/8/2PbP3/3P4/8/4K3 w - -", -23},
                   Case{"4k3/8/3p4/2pNp3/8/8/8/R3K3 w - -", 27}}) {
        setFen(c.fen);
        EXPECT_EQ(evalBackwardPawns(pawnRecord()), c.score) << c.fen;
    }
}

class PawnHash : public EvalTest {};

TEST_F(PawnHash, MiddlegameAndEndgameKeepSeparateRecords) {
    setFen("q6k/3PP3/8/8/8/8/8/1Q2K1R1 w - -");  // White has 1400: middlegame
    uint32_t pawnKey = pos.pawnKey;
    fullEval();
    setFen("7k/3PP3/8/8/8/8/8/4K3 w - -");  // same pawns, no pieces: endgame
    ASSERT_EQ(pos.pawnKey, pawnKey);
    fullEval();

    uint32_t middlegameKey = pawnKey ^ middlegameWeights.pawnTag;
    uint32_t endgameKey = pawnKey ^ endgameWeights.pawnTag;
    const PawnHashEntry &middlegame = pawnHash[middlegameKey % PAWN_HASH_ENTRIES];
    const PawnHashEntry &endgame = pawnHash[endgameKey % PAWN_HASH_ENTRIES];
    ASSERT_NE(&middlegame, &endgame);
    EXPECT_EQ(middlegame.key, middlegameKey);
    EXPECT_EQ(middlegame.score, 376);  // the d7/e7 sums of the test above
    EXPECT_EQ(endgame.key, endgameKey);
    EXPECT_EQ(endgame.score, 444);
}

TEST_F(PawnHash, HitReturnsTheStoredScore) {
    setFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    int before = fullEval();
    PawnHashEntry &entry = pawnRecord();
    EXPECT_EQ(entry.score, 0);  // a symmetric structure
    entry.score = 1000;         // only a hit can bring this back
    EXPECT_EQ(fullEval(), before + 1000);
}

TEST_F(PawnHash, ShelterCacheIsFilledOnFirstUseAndReused) {
    setFen("rn1q2k1/ppp5/8/8/8/8/5PPP/RN1Q2K1 w - -");
    PawnHashEntry &entry = pawnRecord();
    for (uint8_t shelter : entry.shelterCache) EXPECT_EQ(shelter, SHELTER_UNKNOWN);
    fullEval();
    EXPECT_EQ(entry.shelterCache[0], 45);  // White king-side: no storm pawns, 15 x 3
    EXPECT_EQ(entry.shelterCache[3], 75);  // Black king-side: no pawns at all, 25 x 3
    EXPECT_EQ(entry.shelterCache[1], SHELTER_UNKNOWN);
    EXPECT_EQ(entry.shelterCache[2], SHELTER_UNKNOWN);
    entry.shelterCache[0] = 5;  // a recomputation would give 45 again
    EXPECT_EQ(whiteKingShelter(entry), -5);
}

}  // namespace
