// The settings file "quor.cfg" and the start-up banner.
#pragma once

#include <cstdint>

/// Reads "quor.cfg" from the current directory, if there is one, into the
/// engine options; unknown keys and malformed lines are skipped.
void readConfigFile();

/// ttShift for a transposition table of at most `kilobytes` (values below
/// 48 mean the default 3100).
uint8_t ttShiftForKilobytes(uint32_t kilobytes);

/// Prints the banner with the memory sizes and the tablebase status.
void printBanner();
