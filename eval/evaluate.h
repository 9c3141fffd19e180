// The static evaluation: the score of the current position for the side to
// move, in centipawns.
#pragma once

#include <cstdint>

#include "board/position.h"

/// One set of phase-dependent weights. weight[0..7] is the passed-pawn bonus
/// by relative rank 1..8; the other entries are named by the W_* indices.
/// pawnTag is mixed into the pawn hash key, so that the pawn scores of the
/// two sets never mix.
struct EvalWeights {
    int16_t weight[15];
    uint32_t pawnTag;
};

constexpr int W_DOUBLED = 8;
constexpr int W_ISOLATED = 9;
constexpr int W_BACKWARD = 10;       // neighbours all ahead of the pawn
constexpr int W_UNSUPPORTABLE = 11;  // neighbours all behind, none can come up
constexpr int W_DUO = 12;
constexpr int W_WING_MAJORITY = 13;
constexpr int W_LAZY_MARGIN = 14;

extern const EvalWeights middlegameWeights;
extern const EvalWeights endgameWeights;

/// Above this much material (knights to queens) a side still plays the
/// middlegame.
constexpr int ENDGAME_MATERIAL = 1200;

/// The weight set the stored scores were made with.
enum EvalPhase : uint8_t { PHASE_MIDDLEGAME = 1, PHASE_ENDGAME = 2, PHASE_UNKNOWN = 255 };

/// The phase the search last ran in; PHASE_UNKNOWN after the piece-square
/// tables were filled, so that the next search starts from empty tables.
extern EvalPhase evalPhase;

/// Static score of the position for the side to move. alpha and beta only
/// steer the lazy exit: with (-10000, 10000) the full evaluation always runs.
int16_t evaluate(int16_t alpha, int16_t beta);

/// Stores the phase of the current position in evalPhase. When it differs
/// from the one stored, the pawn hash, whose scores were made with the other
/// weights, is cleared and true returned: the caller then clears its own
/// tables of scores.
bool updateEvalPhase();

/// Either side still has more than the endgame's share of material.
inline bool inMiddlegame() {
    return pos.material[WHITE] > ENDGAME_MATERIAL || pos.material[BLACK] > ENDGAME_MATERIAL;
}

/// The weight set of the current position: middlegame while either side has
/// more than 1200 of material, endgame otherwise.
inline const EvalWeights &currentWeights() { return inMiddlegame() ? middlegameWeights : endgameWeights; }

/// Pawns and pieces, White minus Black, with the correction for unequal
/// trades (minor pieces against rooks and queens).
int materialBalance();

/// Flags for material that rarely wins: a side's advantage shrinks to a
/// quarter when its flag is set.
struct DrawDamping {
    bool white;
    bool black;
};

/// The damping flags of the current position (both clear unless both sides
/// have at most 1200 of material).
DrawDamping drawDamping();

/// A White-relative score divided by 4 (toward zero) when it favours a side
/// whose damping flag is set.
int dampScore(int score, DrawDamping damping);
