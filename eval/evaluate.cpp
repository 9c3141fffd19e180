// The evaluation driver: material, the phase, draw damping, the lazy exit
// and the order in which the terms are added.
#include "eval/evaluate.h"

#include <algorithm>

#include "board/position.h"
#include "eval/king.h"
#include "eval/passers.h"
#include "eval/pawns.h"
#include "eval/pieces.h"

// Tags whose low 13 bits differ, so that a structure's two records fall in
// different slots of the pawn hash.
const EvalWeights middlegameWeights = {{0, 5, 10, 20, 40, 70, 120, 0, 10, 16, 8, 15, 4, 6, 300}, 0x5A3C1E0F};
const EvalWeights endgameWeights = {{0, 10, 15, 30, 50, 90, 140, 0, 12, 20, 8, 8, 8, 12, 200}, 0xC3A5F0E1};

EvalPhase evalPhase = PHASE_UNKNOWN;

namespace {


/// The bishop pair is worth less the more own pawns block the diagonals.
constexpr int8_t BISHOP_PAIR_BONUS[10] = {24, 24, 22, 22, 20, 20, 18, 14, 6, 0};

/// Material balance of the pieces other than pawns and kings.
struct PieceBalance {
    int minors;  // m: knights and bishops, White minus Black
    int queens;  // Qd
    int majors;  // M = 2 Qd + rook difference
};

PieceBalance pieceBalance() {
    const auto &count = pos.pieceCount;
    PieceBalance balance;
    balance.minors = count[WHITE][KNIGHT] + count[WHITE][BISHOP] - count[BLACK][KNIGHT] - count[BLACK][BISHOP];
    balance.queens = count[WHITE][QUEEN] - count[BLACK][QUEEN];
    balance.majors = 2 * balance.queens + count[WHITE][ROOK] - count[BLACK][ROOK];
    return balance;
}

/// Correction for trades of unequal kinds of pieces, White-relative.
int imbalance(const PieceBalance &balance) {
    int m = balance.minors;
    int major = balance.majors;
    if (m == 0) return major != 0 ? 120 * major : 60 * balance.queens;
    if (major == 0) return 120 * m;
    if (major == -1) return m == 1 ? -30 : m > 1 ? 120 : 0;  // rook against minor(s)
    if (major == 1) return m == -1 ? 30 : m < -1 ? -120 : 0;
    if (major == -2 && m > 2 && pos.pieceCount[WHITE][QUEEN] == 0) return 120;  // three minors against a queen
    if (major == 2 && m < -2 && pos.pieceCount[BLACK][QUEEN] == 0) return -120;
    return 0;
}

/// Scores inside the tablebase band or the mate range would be read as
/// tablebase results or mates: the evaluation stays below them even with many
/// promoted queens.
int16_t clampScore(int score) { return int16_t(std::clamp(score, -EVAL_LIMIT, EVAL_LIMIT)); }

/// Adds mobility scaled by the material of the side to move; with little
/// material the damping applies to the whole score afterwards.
int addMobility(int score, int mobilityScore, DrawDamping damping) {
    int material = pos.material[pos.sideToMove];
    if (material > 1600) return score + mobilityScore + (mobilityScore >> 1);
    if (material > ENDGAME_MATERIAL) return score + mobilityScore;
    return dampScore(score + (mobilityScore >> 1), damping);
}

/// The bishop pair, counted only when the two sides' bishops differ in number.
int bishopPair() {
    const auto &count = pos.pieceCount;
    if (count[WHITE][BISHOP] == count[BLACK][BISHOP]) return 0;
    int score = 0;
    if (count[WHITE][BISHOP] >= 2) score += BISHOP_PAIR_BONUS[count[WHITE][PAWN]];
    if (count[BLACK][BISHOP] >= 2) score -= BISHOP_PAIR_BONUS[count[BLACK][PAWN]];
    return score;
}

/// Pawns and pieces with the trade correction, White-relative.
int materialScore(const PieceBalance &balance) {
    int pawns = pos.pieceCount[WHITE][PAWN] - pos.pieceCount[BLACK][PAWN];
    return 100 * pawns + pos.material[WHITE] - pos.material[BLACK] + imbalance(balance);
}

/// The draw damping flags for the given balance of pieces.
DrawDamping dampingFlags(const PieceBalance &balance) {
    DrawDamping damping = {false, false};
    if (inMiddlegame()) return damping;
    const auto &count = pos.pieceCount;
    bool whitePawnless = count[WHITE][PAWN] == 0;
    bool blackPawnless = count[BLACK][PAWN] == 0;
    if (balance.majors != 0 && balance.majors + balance.minors == 0) {
        // A rook or queen against as many minor pieces.
        damping.white = whitePawnless;
        damping.black = blackPawnless;
    } else if (balance.majors == 0) {
        // A single extra minor piece (but two bishops beat a knight), or two
        // knights, rarely win without pawns.
        if (whitePawnless && balance.minors == 1 &&
            !(pos.material[WHITE] == 600 && count[WHITE][KNIGHT] == 0 && count[BLACK][KNIGHT] > 0))
            damping.white = true;
        if (blackPawnless && balance.minors == -1 &&
            !(pos.material[BLACK] == 600 && count[BLACK][KNIGHT] == 0 && count[WHITE][KNIGHT] > 0))
            damping.black = true;
        if (whitePawnless && pos.material[WHITE] == 600 && count[WHITE][BISHOP] == 0) damping.white = true;
        if (blackPawnless && pos.material[BLACK] == 600 && count[BLACK][BISHOP] == 0) damping.black = true;
    }
    return damping;
}

}  // namespace

int materialBalance() { return materialScore(pieceBalance()); }

DrawDamping drawDamping() { return dampingFlags(pieceBalance()); }

int dampScore(int score, DrawDamping damping) {
    if ((score > 0 && damping.white) || (score < 0 && damping.black)) return score / 4;
    return score;
}

int16_t evaluate(int16_t alpha, int16_t beta) {
    const auto &count = pos.pieceCount;
    // Bare kings and single minor pieces cannot win.
    if (count[WHITE][PAWN] == 0 && count[BLACK][PAWN] == 0 && pos.material[WHITE] < 500 &&
        pos.material[BLACK] < 500)
        return 0;

    const EvalWeights &w = currentWeights();
    PieceBalance balance = pieceBalance();
    DrawDamping damping = dampingFlags(balance);
    PawnHashEntry &pawns = probePawnHash(w);
    int score = materialScore(balance) + pawns.score + evalPassedPawns(pawns, w);

    // Lazy exit: far enough outside the window, the rest cannot bring it back.
    int sign = pos.sideToMove == WHITE ? 1 : -1;
    int quick = clampScore(sign * dampScore(score, damping));
    int margin = w.weight[W_LAZY_MARGIN];
    if (quick - margin >= beta || quick + margin <= alpha) return int16_t(quick);

    int mobilityScore = 0;
    KingThreats threats;
    score += evalBackwardPawns(pawns);
    score += evalPieces(mobilityScore, threats);
    score += evalKingSafety(pawns, threats);
    score += bishopPair();
    score = addMobility(score, mobilityScore, damping);
    return clampScore(sign * score);
}

bool updateEvalPhase() {
    EvalPhase phase = inMiddlegame() ? PHASE_MIDDLEGAME : PHASE_ENDGAME;
    if (phase == evalPhase) return false;
    pawnHashClear();
    evalPhase = phase;
    return true;
}
