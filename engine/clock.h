// The engine's millisecond clock.
#pragma once

#include <cstdint>

/// Sets the origin of the millisecond clock to now.
void resetClock();

/// Milliseconds since the last resetClock.
uint32_t elapsedMs();
