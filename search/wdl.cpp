// The win/draw/loss model. Its numbers are fitted by scripts/wdl_fit.py on
// the counts in scripts/wdl/, which came from Quor's games against itself
// (the score each side reported, the material on the board, and the game's
// result).
#include "search/wdl.h"

#include <algorithm>
#include <cmath>

#include "board/position.h"
#include "egtb/syzygy.h"
#include "search/state.h"

// With x = material / WDL_FULL_MATERIAL, the score at which a win is as likely
// as not is a(x) = A[0] + A[1] x + A[2] x^2 centipawns, and b(x) = B[0] + B[1] x
// + B[2] x^2 is how many centipawns change the odds by a factor of e. A loss
// is the win of the negated score. Fitted on 2389 games at 30000 nodes a move
// (226483 positions); on 597 games held out, the expected score it predicts
// is within 4 percentage points of the one observed in every band of 50
// centipawns.
constexpr double WDL_FULL_MATERIAL = 78;
constexpr double WDL_A[3] = {249.3, -455.5, 291.7};
constexpr double WDL_B[3] = {100.8, 0.1, 53.1};

int wdlMaterial() {
    int total = 0;
    for (int side : {WHITE, BLACK})
        total += pos.pieceCount[side][PAWN] + 3 * (pos.pieceCount[side][KNIGHT] + pos.pieceCount[side][BISHOP]) +
                 5 * pos.pieceCount[side][ROOK] + 9 * pos.pieceCount[side][QUEEN];
    return total;
}

/// The chance that a score wins, given the model's two curves.
static double winChance(double score, double evenScore, double scale) {
    return 1 / (1 + std::exp((evenScore - score) / scale));
}

Wdl wdlOfScore(int score, int material) {
    double x = std::clamp(material / WDL_FULL_MATERIAL, 0.0, 1.0);
    double evenScore = WDL_A[0] + (WDL_A[1] + WDL_A[2] * x) * x;
    double scale = WDL_B[0] + (WDL_B[1] + WDL_B[2] * x) * x;
    int win = int(std::lround(1000 * winChance(score, evenScore, scale)));
    int loss = std::min(1000 - win, int(std::lround(1000 * winChance(-score, evenScore, scale))));
    return {win, 1000 - win - loss, loss};
}

Wdl lineWdl(int score, Move rootMove) {
    constexpr Wdl WON = {1000, 0, 0}, DRAWN = {0, 1000, 0}, LOST = {0, 0, 1000};
    if (score > MATE_REPORT) return WON;
    if (score < -MATE_REPORT) return LOST;
    if (syzygy.rootFilter && syzygy.rootWdl <= SYZYGY_WIN && syzygyRootAllows(rootMove))
        return syzygy.rootWdl == SYZYGY_WIN ? WON : syzygy.rootWdl == SYZYGY_LOSS ? LOST : DRAWN;
    if (mainThread.tbLimit == TB_LIMIT_DRAWN_ROOT) return DRAWN;  // only drawing moves are searched below a drawn root
    if (score > EVAL_LIMIT) return WON;          // a tablebase win found in the tree
    if (score < -EVAL_LIMIT) return LOST;
    return wdlOfScore(score, wdlMaterial());
}
