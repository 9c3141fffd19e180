// King safety: pawn shelter and storm, and the king term with its attackers
// and the queens' distances.
#include "eval/king.h"

#include "eval_fixture.h"

namespace {

class KingSafety : public EvalTest {};

TEST_F(KingSafety, ShelterStormAndTheKingTerm) {
    // The king's table value less its shelter and storm penalty, by side.
    expectValues([](int side) { return side == WHITE ? whiteKingShelter(pawnRecord()) : blackKingShelter(pawnRecord()); },
                 // g1 behind f2 g2 h2, no Black pawn on f, g or h: 0 + 0 + 0 + 15 x 3.
                 {{"rn1q2k1/ppp5/8/8/8/8/5PPP/RN1Q2K1 w - -", 0 - 45, WHITE},
                  // Storming pawns f4 and g3: f-file 10 - 5 (f4 on the 4th rank, no
                  // e-pawn), g-file storm table at index 1 (the f4 pawn) = 15, h-file
                  // open 15.
                  {"rn1q2k1/ppp5/8/8/5p2/6p1/5PPP/RN1Q2K1 w - -", 0 - 35, WHITE},
                  // Mirror image for Black: f5 on the 5th rank (-5 from 10), g6 on the
                  // 6th with the f5 pawn giving index 4 of Black's table = 15.
                  {"rn1q2k1/5ppp/6P1/5P2/8/8/8/RN1Q2K1 w - -", 0 - 35, BLACK},
                  // Queen-side: b1 behind a2, b3 (12) and c2: storm 15 x 3; b1's value 0.
                  {"4k3/8/8/8/8/1P6/P1P5/1K6 w - -", -(0 + 12 + 0 + 45), WHITE}});
    expectValues([](int) { KingThreats threats = piecePass().threats; return evalKingSafety(pawnRecord(), threats); },
                 // Black queen h4 hits h2 in the zone of the g1 king: one attacker.
                 // Shelter 0, so K = 0 + (5 x (0 - 42)) >> 5 = -7; the white queen
                 // on d1 guards its king (0).
                 {{"rn4k1/5ppp/8/8/7q/8/5PPP/RN1Q2K1 w - -", -7},
                  // The white queen away on a4 (guard 4, farther than the black
                  // queen's reach 3): the danger grows by half, -7 + (-7 / 2).
                  {"rn4k1/5ppp/8/8/Q6q/8/5PPP/RN4K1 w - -", -10},
                  // Each side has a rook (500): the centre table replaces the
                  // shelter. White a1 is worth 0, Black e5 (seen as e4) 30.
                  {"7r/8/8/4k3/8/8/8/K6R w - -", 0 - 30}});
}

}  // namespace
