// King safety: attack counting, pawn shelter and storm, the king term.
#include "eval/king.h"

#include "eval/pieces.h"
#include "eval_fixture.h"

namespace {

class KingSafety : public EvalTest {
protected:
    int mobility = 0;
    KingThreats threats{};
    void pass() { evalPieces(mobility, threats); }
};

TEST_F(KingSafety, AttackersOfTheKingZone) {
    struct Case { const char *fen; int count; };
    for (Case c : {Case{"6k1/8/8/3N4/8/8/8/4K3 w - -", 1},     // a knight three squares from g8
                   Case{"6k1/8/8/8/3N4/8/8/4K3 w - -", 0},     // and four
                   // Rook g3 up the g-file to the pawn g7 in the zone, with the queen behind
                   // it, which does not count itself, doubles it.
                   Case{"6k1/6p1/8/8/8/6R1/6Q1/4K3 w - -", 2}, Case{"6k1/6p1/8/8/8/6R1/8/4K3 w - -", 1},
                   Case{"6k1/5p2/8/8/2B5/1Q6/8/4K3 w - -", 2},   // bishop c4 toward f7, queen behind
                   Case{"6k1/5p2/4p3/8/2B5/1Q6/8/4K3 w - -", 0}}) {  // e6 closes the line
        setFen(c.fen);
        pass();
        EXPECT_EQ(threats.attackerCount[WHITE], c.count) << c.fen;
    }
}

TEST_F(KingSafety, WingShelterAndStorm) {
    // g1 behind f2 g2 h2, no Black pawn on f, g or h: 0 + 0 + 0 + 15 x 3.
    setFen("rn1q2k1/ppp5/8/8/8/8/5PPP/RN1Q2K1 w - -");
    EXPECT_EQ(whiteKingShelter(pawnRecord()), 0 - 45);
    // Storming pawns f4 and g3: f-file 10 - 5 (f4 on the 4th rank, no e-pawn),
    // g-file storm table at index 1 (the f4 pawn) = 15, h-file open 15.
    setFen("rn1q2k1/ppp5/8/8/5p2/6p1/5PPP/RN1Q2K1 w - -");
    EXPECT_EQ(whiteKingShelter(pawnRecord()), 0 - 35);
    // Mirror image for Black: f5 on the 5th rank (-5 from 10), g6 on the
    // 6th with the f5 pawn giving index 4 of Black's table = 15.
    setFen("rn1q2k1/5ppp/6P1/5P2/8/8/8/RN1Q2K1 w - -");
    EXPECT_EQ(blackKingShelter(pawnRecord()), 0 - 35);
    // Queen-side: b1 behind a2, b3 (12) and c2: storm 15 x 3; b1's value 0.
    setFen("4k3/8/8/8/8/1P6/P1P5/1K6 w - -");
    EXPECT_EQ(whiteKingShelter(pawnRecord()), -(0 + 12 + 0 + 45));
}

TEST_F(KingSafety, AttackedKingAndQueenProximity) {
    // Black queen h4 hits h2 in the zone of the g1 king: one attacker.
    // Shelter 0, so K = 0 + (5 x (0 - 42)) >> 5 = -7. The white queen on d1
    // sees its king along the first rank (guard 0): no extra.
    setFen("rn4k1/5ppp/8/8/7q/8/5PPP/RN1Q2K1 w - -");
    PawnHashEntry &entry = pawnRecord();
    pass();
    EXPECT_EQ(threats.attackerCount[BLACK], 1);
    EXPECT_EQ(threats.queenGuard[BLACK].reach, 3);
    EXPECT_EQ(threats.queenGuard[WHITE].guard, 0);
    EXPECT_EQ(evalKingSafety(entry, threats), -7);
    // The white queen away on a4 (guard 4, farther than the black queen's
    // reach 3): the danger grows by half, -7 + (-7 / 2) = -10.
    setFen("rn4k1/5ppp/8/8/Q6q/8/5PPP/RN4K1 w - -");
    pass();
    EXPECT_EQ(threats.queenGuard[WHITE].guard, 4);
    EXPECT_EQ(evalKingSafety(pawnRecord(), threats), -10);
}

TEST_F(KingSafety, WithLittleEnemyMaterialTheKingCentralises) {
    // Each side has a rook (500): the centre table replaces the shelter,
    // which stays uncomputed. White a1 is worth 0, Black e5 (seen as e4) 30.
    setFen("7r/8/8/4k3/8/8/8/K6R w - -");
    PawnHashEntry &entry = pawnRecord();
    pass();
    EXPECT_EQ(evalKingSafety(entry, threats), 0 - 30);
    for (uint8_t shelter : entry.shelterCache) EXPECT_EQ(shelter, SHELTER_UNKNOWN);
}

}  // namespace
