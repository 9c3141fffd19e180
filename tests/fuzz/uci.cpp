// A UCI session: after "uci", any lines, handled by the main loop as an
// interface's would be, searches included.
#include "tests/fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    fuzzSession("uci\n", data, size);
    fuzzStopEngine();
    return 0;
}
