// Passed pawns against pieces and kings, and pawn races in pawn endings.
#pragma once

#include "eval/evaluate.h"
#include "eval/pawns.h"

/// Terms of the passed pawns named in entry.passedFiles that depend on the
/// pieces and kings (blockers, king distances, outside passers) and, when a
/// side has no pieces, the pawn race. White minus Black.
int evalPassedPawns(const PawnHashEntry &entry, const EvalWeights &w);
