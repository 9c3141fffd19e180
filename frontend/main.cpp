// Start-up, the main loop, and the clean-up at exit.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "board/zobrist.h"
#include "book/bookfile.h"
#include "book/create.h"
#include "book/learn.h"
#include "book/polyglot.h"
#include "egtb/tablebase.h"
#include "engine/output.h"
#include "eval/pawns.h"
#include "frontend/config.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "frontend/polyglotplay.h"
#include "search/bench.h"
#include "search/tt.h"

/// The engine's name, with the digit of a numbered program copy ("quor2")
/// appended.
static void nameEngine(const char *invocation) {
    if (invocation && std::strlen(invocation) > 4 && invocation[4] >= '1' && invocation[4] <= '9') {
        size_t length = std::strlen(engineName);
        engineName[length] = invocation[4];
        engineName[length + 1] = '\0';
    }
}

static void applyDefaults() {
    options.optionFlags = OPT_XBOARD | OPT_POST;
    options.ttShift = DEFAULT_TT_SHIFT;
    options.egtbPath[0] = '\0';
    options.egtbCacheMB = 2;
    options.threads = 1;
}

/// Allocates the big tables; false when the memory cannot be had.
static bool initApp() { return ttAllocate(options.ttShift) && pawnHashAllocate(); }

static void releaseTables() {
    ttRelease();
    pawnHashRelease();
    tbRelease();
}

static void resetTimeControl() {
    game.forceMode = false;
    timeControl.movesPerControl = 0;
    timeControl.baseTime = 500;
    timeControl.increment = 0;
    timeControl.moveTime = 500;
    timeControl.maxDepth = 64;
    options.multiPv = 1;
}

/// The job named by the command line: build the book from a PGN file, score
/// it by search, merge another book into it, or run the bench (as testing
/// frameworks start an engine, "quor bench [DEPTH]").
static void runCommandLineJob(int argc, char **argv) {
    const char *option = argv[1];
    const char *argument = argc > 2 ? argv[2] : nullptr;
    if (!std::strcmp(option, "/CB")) {
        if (!argument) print("Please specify path to the PGN file\n");
        else {
            closeBook();
            createBook(argument);
        }
    } else if (!std::strcmp(option, "/SB")) {
        if (!argument) print("Please specify scoring depth\n");
        else if (!scoreBook(uint8_t(std::atoi(argument)))) print("Cannot score the book!\n");
    } else if (!std::strncmp(option, "/MB", 3)) {
        if (!argument) print("Please specify source book file\n");
        else mergeBook(argument, option[3] == 'O');
    } else if (!std::strcmp(option, "bench")) {
        runBench(argument ? std::atoi(argument) : 0);
    } else {
        print("Invalid option\n");
    }
    flushOutput();
}

int main(int argc, char **argv) {
    inputStart();
    nameEngine(argv[0]);
    applyDefaults();
    readConfigFile();
    if (!initApp()) {
        reply("ERROR (not enough memory): initApp\n");
        return 0;
    }
    newGame();
    resetTimeControl();
    std::srand(uint32_t(zobristKeys[uint64_t(std::time(nullptr)) % 768]));
    openBook();
    switchPolyglotBook(true);  // the book named in quor.cfg, if any
    tbRediscover();
    printBanner();
    if (argc >= 2) runCommandLineJob(argc, argv);
    else {
        setInputPoller(checkInput);
        mainLoop();
    }
    closeBook();
    polyglotClose();
    releaseTables();
    return 0;
}
