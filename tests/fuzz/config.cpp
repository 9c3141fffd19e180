// A "quor.cfg": read at start-up, then the books and tablebases it names
// are looked for and the banner reports them, as start-up does.
#include "egtb/tablebase.h"
#include "frontend/config.h"
#include "frontend/polyglotplay.h"
#include "tests/fuzz/support/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    fuzzWriteFile("quor.cfg", data, size);
    fuzzResetEngine();
    readConfigFile();
    switchPolyglotBook(true);
    tbRediscover();
    printBanner();
    fuzzStopEngine();
    return 0;
}
