// An xboard session: after "xboard" and "protover 2", any lines, handled by
// the main loop as an interface's would be, searches included.
#include "tests/fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    fuzzSession("xboard\nprotover 2\n", data, size);
    fuzzStopEngine();
    return 0;
}
