// The flags that steer a running search, and the hook through which the
// search reads the interface's commands while it runs.
#pragma once

#include <cstdint>

// Values of searchSignal.
constexpr uint8_t SIG_NONE = 0;
constexpr uint8_t SIG_MOVE_NOW = 1;
constexpr uint8_t SIG_ABORT = 2;
constexpr uint8_t SIG_PONDER_HIT = 3;

extern uint8_t searching;  // a think is in progress
extern uint8_t analyzing;
extern uint8_t pondering;  // the running think is a ponder search
extern uint8_t searchSignal;

/// Reads and dispatches at most one waiting command line; with `blocking`
/// it waits for one.
using InputPoller = void (*)(bool blocking);

/// Registers the routine the search reads input with (nullptr: none) and
/// returns the one registered before.
InputPoller setInputPoller(InputPoller poller);

/// Reads input through the registered routine; false when there is none,
/// and a search then runs to its own limits.
bool pollInput(bool blocking);
