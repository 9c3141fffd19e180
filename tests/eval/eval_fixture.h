// Common set-up of the evaluation tests: positional tables filled and an
// empty pawn hash before every test.
#pragma once

#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/pawns.h"
#include "eval/pst.h"
#include "tests/support/board_helpers.h"

class EvalTest : public ::testing::Test {
protected:
    void SetUp() override {
        initPieceSquareTables();
        ASSERT_TRUE(pawnHashAllocate());
        pawnHashClear();
    }

    /// The full evaluation for the side to move.
    static int fullEval() { return evaluate(-10000, 10000); }

    /// The pawn hash record of the current pawns under the current weights.
    static PawnHashEntry &pawnRecord() { return probePawnHash(currentWeights()); }

    /// The pawns of the current position scored under w, outside the table.
    static PawnHashEntry scoredPawns(const EvalWeights &w) {
        PawnHashEntry entry{};
        scorePawnStructure(w, entry);
        return entry;
    }
};
