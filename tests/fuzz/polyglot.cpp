// A Polyglot book: opened, and asked for the moves of the first positions of
// the common openings, listed and chosen.
#include "book/polyglot.h"
#include "tests/fuzz/support/fuzz_support.h"

static void probePosition() {
    PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
    polyglotChoose(candidates, polyglotCandidates(candidates));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    std::string path = fuzzWriteFile("book.bin", data, size);
    fuzzResetEngine();
    if (!polyglotOpen(path.c_str())) fuzzProbeOpenings(probePosition);
    polyglotClose();
    fuzzStopEngine();
    return 0;
}
