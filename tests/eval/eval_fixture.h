// Common set-up of the evaluation tests: positional tables filled and an
// empty pawn hash before every test; tables of positions with the value a
// term takes in each.
#pragma once

#include <gtest/gtest.h>

#include "eval/evaluate.h"
#include "eval/king.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
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

    /// The piece pass: its score, the mobility it counts and what it finds
    /// out about the kings.
    struct PiecePass {
        int score, mobility = 0;
        KingThreats threats{};
    };
    static PiecePass piecePass() {
        PiecePass pass;
        pass.score = evalPieces(pass.mobility, pass.threats);
        return pass;
    }

    struct Row {
        const char *fen;
        int expected;
        int arg = 0;  // a square or a side, for the terms that take one
    };

    /// Sets up each position and compares measure(arg) with the expected value.
    static void expectValues(int (*measure)(int arg), std::initializer_list<Row> rows) {
        for (const Row &row : rows) {
            setFen(row.fen);
            EXPECT_EQ(measure(row.arg), row.expected) << row.fen;
        }
    }
};
