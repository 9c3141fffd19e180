// Move ordering state shared by the generators and the search.
#pragma once

#include <cstdint>

#include "board/position.h"
#include "board/types.h"

/// History counters indexed by from + 64 * to (the low 12 bits of a move).
extern int32_t history[4096];

/// Two killer moves per search ply (full 32-bit moves).
extern Move killers[MAX_PLY][2];
