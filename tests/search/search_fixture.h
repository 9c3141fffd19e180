// Set-up shared by the search tests: engine tables, a fresh game, output
// captured (tests/support/capture.h), and a pipe on standard input through which a test can
// send commands to a running search.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/notation.h"
#include "board/position.h"
#include "engine/output.h"
#include "tests/support/board_helpers.h"
#include "tests/support/capture.h"

/// A quiet middlegame in which a search reaches its eighth iteration only
/// after a million nodes.
constexpr const char *MIDDLEGAME_POSITION = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -";

/// Resets the engine as a new game does, with one thread, thinking output
/// off, no clock, and every hash table cleared.
void resetEngine();

/// Sends a command line to the engine's standard input.
void sendInput(const char *line);

/// Runs think to a fixed depth with no time limit.
void thinkToDepth(int depth);

/// Sets a position from FEN and prepares a search at ply 0.
inline void setPosition(const char *fen) { setFen(fen), pos.ply = 0; }

/// Makes the current position a node at the given search ply, as if the
/// last moves had been played inside the search.
inline void setSearchPly(int ply) { pos.ply = uint8_t(ply), pos.moveListStart[ply] = 0; }

inline std::string text(Move move) { return moveToText(move); }

/// Fixture: every test starts from a reset engine, and a search that may be
/// abandoned can be checked to leave the root position as it found it.
class SearchTest : public ::testing::Test {
protected:
    uint64_t keyBefore = 0;
    int16_t plyBefore = 0;

    void SetUp() override { resetEngine(); }
    void TearDown() override {
        if (outputStream != stdout) stopCapture();
    }

    /// Remembers the current position as the root.
    void rememberRoot() { keyBefore = pos.hashKey, plyBefore = pos.gamePly; }
    void startPosition(const char *fen) { setPosition(fen), rememberRoot(); }

    /// Checks that the position is the remembered root and no search runs.
    void expectPositionRestored();

    /// Checks that the move to play is a legal move of the root.
    void expectMoveFound();

    /// Searches the position with a freshly reset engine to `depth` with
    /// `threads` threads, and checks that the search left it as it was.
    void search(const char *fen, int threads, int depth);
};
