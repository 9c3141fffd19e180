// A "QuorBook.bin" file: opened as the engine's book and asked for the
// moves of the first positions of the common openings, shown ("bk") and
// played.
#include "book/bookfile.h"
#include "tests/fuzz/support/fuzz_support.h"

static void probePosition() {
    Move shown = 0, played = 0;
    probeBook(&shown, PROBE_SHOW);
    probeBook(&played, PROBE_PLAY);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    fuzzWriteFile(BOOK_FILE_NAME, data, size);
    fuzzResetEngine();
    openBook();
    fuzzProbeOpenings(probePosition);
    closeBook();
    fuzzStopEngine();
    return 0;
}
