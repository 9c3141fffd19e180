#include "engine/searchflags.h"

uint8_t searching;
uint8_t analyzing;
uint8_t pondering;
uint8_t searchSignal;

static InputPoller inputPoller;

InputPoller setInputPoller(InputPoller poller) {
    InputPoller previous = inputPoller;
    inputPoller = poller;
    return previous;
}

bool pollInput(bool blocking) {
    if (inputPoller == nullptr) return false;
    inputPoller(blocking);
    return true;
}
