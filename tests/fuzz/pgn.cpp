// A PGN file as "/CB" reads it: the book is built from it, then opened and
// asked for the start position's moves.
#include "book/bookfile.h"
#include "book/create.h"
#include "tests/fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    fuzzResetEngine();
    std::string path = fuzzWriteFile("games.pgn", data, size);
    createBook(path.c_str());
    openBook();
    Move move = 0;
    probeBook(&move, PROBE_SHOW);
    closeBook();
    std::remove(BOOK_FILE_NAME);
    fuzzStopEngine();
    return 0;
}
