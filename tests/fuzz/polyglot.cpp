// A Polyglot book: opened, and asked for the moves of the first positions of
// the common openings, listed and chosen.
#include "book/polyglot.h"
#include "tests/fuzz/support/fuzz_support.h"

static void probeLine(std::initializer_list<const char *> moves) {
    for (const char *text : moves) {
        PolyglotCandidate candidates[POLYGLOT_MAX_CANDIDATES];
        polyglotChoose(candidates, polyglotCandidates(candidates));
        if (!fuzzPlayMove(text)) return;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    std::string path = fuzzWriteFile("book.bin", data, size);
    fuzzResetEngine();
    if (!polyglotOpen(path.c_str())) {
        probeLine({"e2e4", "e7e5", "g1f3"});
        fuzzResetEngine();
        probeLine({"d2d4", "g8f6", "c2c4"});
    }
    polyglotClose();
    fuzzStopEngine();
    return 0;
}
