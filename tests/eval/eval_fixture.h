// Common set-up of the evaluation tests: positional tables filled and an
// empty pawn hash before every test; tables of positions with the value a
// term takes in each, every position also compared with its mirror image.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <sstream>
#include <string>

#include "eval/evaluate.h"
#include "eval/king.h"
#include "eval/passers.h"
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

    /// The same position with the colours swapped: the board turned top to
    /// bottom, every letter in the other case, the other side to move and
    /// the en-passant square on the mirrored rank.
    static std::string mirroredFen(const std::string &fen) {
        auto swapCase = [](std::string text) {
            for (char &c : text) c = std::islower(c) ? char(std::toupper(c)) : char(std::tolower(c));
            return text;
        };
        std::istringstream fields(fen), rows(fen.substr(0, fen.find(' ')));
        std::string placement, side, castling = "KQkq", ep = "-", mirrored;
        fields >> placement >> side >> castling >> ep;
        for (std::string row; std::getline(rows, row, '/');)
            mirrored = swapCase(row) + (mirrored.empty() ? "" : "/") + mirrored;
        if (ep != "-") ep[1] = char('9' - (ep[1] - '0'));
        return mirrored + (side == "w" ? " b " : " w ") + swapCase(castling) + " " + ep;
    }

    /// The White-relative terms of the evaluation but the king's: material,
    /// pawns, passers, backward pawns, pieces and mobility.
    static std::array<int, 6> termsButKing() {
        PawnHashEntry &pawns = pawnRecord();
        PiecePass pass = piecePass();
        return {materialBalance(), pawns.score, evalPassedPawns(pawns, currentWeights()), evalBackwardPawns(pawns),
                pass.score, pass.mobility};
    }

    /// Each of those terms is the opposite in the mirror image. (The king
    /// term is not: its attack counts take the first line toward the king's
    /// zone in a direction order that the mirror does not keep; and the
    /// mobility the sum halves is White's minus Black's, rounded down.)
    static void expectMirrorOpposite(const std::string &fen) {
        setFen(fen.c_str());
        std::array<int, 6> terms = termsButKing();
        for (int &term : terms) term = -term;
        setFen(mirroredFen(fen).c_str());
        EXPECT_EQ(termsButKing(), terms) << fen << " mirrored " << mirroredFen(fen);
    }

    struct Row {
        const char *fen;
        int expected;
        int arg = 0;  // a square or a side, for the terms that take one
    };

    /// Sets up each position and compares measure(arg) with the expected
    /// value, and the terms with those of the mirror image.
    static void expectValues(int (*measure)(int arg), std::initializer_list<Row> rows) {
        for (const Row &row : rows) {
            setFen(row.fen);
            EXPECT_EQ(measure(row.arg), row.expected) << row.fen;
            expectMirrorOpposite(row.fen);
        }
    }
};
