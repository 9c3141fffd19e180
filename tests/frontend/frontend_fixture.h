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

    /// Dispatches one command line as the input reader would and returns
    /// what the engine printed for it.
    std::string send(const char *line);

    /// Everything printed since the last call of send or printed().
    std::string printed();

    /// Runs the main loop with `input` as its standard input, until the
    /// "quit" that must end it, and returns what the engine printed.
    std::string runSession(const std::string &input);
};
