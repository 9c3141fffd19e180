// Set-up shared by the search tests: engine tables, a fresh game, output
// captured (tests/support/capture.h), and a pipe on standard input through which a test can
// send commands to a running search.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "board/types.h"
#include "tests/support/capture.h"

/// A quiet middlegame in which a search reaches its eighth iteration only
/// after a million nodes.
constexpr const char *MIDDLEGAME_POSITION = "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ -";

/// Resets the engine as a new game does, with one thread, thinking output
/// off, no clock, and every hash table cleared.
void resetEngine();

/// Sets a position from FEN and prepares a search at ply 0.
void setPosition(const char *fen);

/// Makes the current position a node at the given search ply, as if the
/// last moves had been played inside the search.
void setSearchPly(int ply);

/// Sends a command line to the engine's standard input.
void sendInput(const char *line);

/// Runs think to a fixed depth with no time limit.
void thinkToDepth(int depth);

/// The coordinate text of a move.
std::string text(Move move);

/// Fixture: every test starts from a reset engine.
class SearchTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngine(); }
    void TearDown() override;
};

/// Fixture for searches that may be abandoned: remembers the root position
/// so that a test can check the search left it exactly as it found it.
class RootSearchTest : public SearchTest {
protected:
    uint64_t keyBefore = 0;
    int16_t plyBefore = 0;

    /// Sets the root position and remembers it.
    void startPosition(const char *fen);

    /// Remembers the current position as the root.
    void rememberRoot();

    /// Checks that the position is the remembered root and no search runs.
    void expectPositionRestored();

    /// Checks that the move to play is a legal move of the root.
    void expectMoveFound();

    /// Searches the position with a freshly reset engine to `depth` with
    /// `threads` threads, and checks that the search left it as it was.
    void search(const char *fen, int threads, int depth);
};
