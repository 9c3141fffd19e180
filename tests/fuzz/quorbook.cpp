// A "QuorBook.bin" file: opened as the engine's book and asked for the
// moves of the first positions of the common openings, shown ("bk") and
// played.
#include "board/makemove.h"
#include "board/movegen.h"
#include "book/bookfile.h"
#include "tests/fuzz/support/fuzz_support.h"

static void probeLine(std::initializer_list<const char *> moves) {
    for (const char *text : moves) {
        Move shown = 0, played = 0;
        probeBook(&shown, PROBE_SHOW);
        probeBook(&played, PROBE_PLAY);
        if (!fuzzPlayMove(text)) return;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    fuzzWriteFile(BOOK_FILE_NAME, data, size);
    fuzzResetEngine();
    openBook();
    probeLine({"e2e4", "e7e5", "g1f3"});
    fuzzResetEngine();
    probeLine({"d2d4", "g8f6", "c2c4"});
    closeBook();
    fuzzStopEngine();
    return 0;
}
