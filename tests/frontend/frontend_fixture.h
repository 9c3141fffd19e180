// Common set-up of the front-end tests: the records as start-up leaves them,
// the tables the handlers may touch, and the engine's output captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "frontend/control.h"

class FrontendTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Dispatches each line of `lines` as the input reader would and
    /// returns what the engine printed for them.
    std::string send(const std::string &lines);

    /// Everything printed since the last call of send or printed().
    std::string printed();

    /// Runs the main loop with `input` as its standard input, until the
    /// "quit" that must end it, and returns what the engine printed.
    std::string runSession(const std::string &input);

    /// Clock records that no command leaves as they are, and no signal.
    static void presetClocks();

    /// The clock records in one line: "togo 3 base 500 inc 7 time 500
    /// depth 12 clocks 700 700 lag 90", and " abort" when the search was
    /// told to stop.
    static std::string clockState();
};
