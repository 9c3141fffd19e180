// Storage of the search threads' state.
#include "search/state.h"

constinit SearchThread mainThread{};
constinit thread_local SearchThread *thisThread = &mainThread;
