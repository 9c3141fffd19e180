// Quiescence search: captures (and check evasions) below the main search's
// horizon, with the static exchange test that prunes losing captures.
#pragma once

#include <cstdint>

/// Fail-soft capture search of the current position; in check, all evasions.
int16_t quiesce(int16_t alpha, int16_t beta);

/// True when the side to move taking the piece on `to` with the piece on
/// `from` does not lose material by static exchange.
bool captureIsSafe(int from, int to);

/// Value of White's (Black's) next least valuable attacker of `to` in the
/// exchange begun by captureIsSafe, or SCORE_BOUND when none is left.
int nextWhiteAttacker(int from, int to);
int nextBlackAttacker(int from, int to);
