// The front end's shared records and the millisecond clock.
#include "frontend/control.h"

#include <chrono>

EngineOptions options;
TimeControl timeControl;
GameControl game;

uint8_t searching;
uint8_t analyzing;
uint8_t pondering;
uint8_t searchSignal;

char engineName[16] = "Quor 1.5";

static uint64_t clockOrigin;

static uint64_t monotonicMilliseconds() {
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void resetClock() { clockOrigin = monotonicMilliseconds(); }

uint32_t elapsedMs() { return uint32_t(monotonicMilliseconds() - clockOrigin); }
