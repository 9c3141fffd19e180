// Move-path enumeration, the standard check of a move generator.
#pragma once

#include <cstdint>

/// Number of legal move paths of the given depth from the current position.
uint64_t perft(int depth);
