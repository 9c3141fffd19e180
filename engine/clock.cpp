#include "engine/clock.h"

#include <chrono>

static uint64_t clockOrigin;

static uint64_t monotonicMilliseconds() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void resetClock() { clockOrigin = monotonicMilliseconds(); }

uint32_t elapsedMs() { return uint32_t(monotonicMilliseconds() - clockOrigin); }
