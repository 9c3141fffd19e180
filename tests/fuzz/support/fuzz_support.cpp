#include "tests/fuzz/support/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "board/movegen.h"
#include "board/notation.h"
#include "book/bookfile.h"
#include "book/polyglot.h"
#include "egtb/syzygy.h"
#include "egtb/tablebase.h"
#include "eval/pawns.h"
#include "frontend/control.h"
#include "frontend/input.h"
#include "frontend/polyglotplay.h"
#include "search/limits.h"
#include "search/state.h"
#include "search/tt.h"

// A transposition table of 2^(32 - 20) buckets: a few hundred kilobytes.
constexpr uint8_t FUZZ_TT_SHIFT = 20;
// The deepest iteration a session's search begins once its next line is read.
constexpr uint8_t FUZZ_MAX_DEPTH = 3;

static std::filesystem::path scratchFolder, startFolder;

static void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

void fuzzStartEngine() {
    if (scratchFolder.empty()) {
        char folder[] = "/tmp/quor-fuzz-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        scratchFolder = folder;
        startFolder = std::filesystem::current_path();
        std::atexit(removeScratchFolder);
        int nothing = open("/dev/null", O_WRONLY);
        if (nothing < 0 || dup2(nothing, 1) < 0) std::abort();
        close(nothing);
        if (!pawnHashAllocate()) std::abort();
        setInputPoller(checkInput);
    }
    std::filesystem::current_path(scratchFolder);
}

void fuzzStopEngine() { std::filesystem::current_path(startFolder); }

void fuzzResetEngine() {
    // The table's buckets are found by options.ttShift: an input that
    // resized the table leaves a shift that must go with the table.
    if (options.ttShift != FUZZ_TT_SHIFT && !ttAllocate(FUZZ_TT_SHIFT)) std::abort();
    options = EngineOptions{};
    options.optionFlags = OPT_XBOARD | OPT_POST;
    options.ttShift = FUZZ_TT_SHIFT;
    options.egtbCacheMB = 2;
    options.multiPv = 1;
    options.threads = 1;
    timeControl = TimeControl{};
    timeControl.baseTime = timeControl.moveTime = 500;
    timeControl.maxDepth = FUZZ_MAX_DEPTH;
    searching = analyzing = pondering = searchSignal = 0;
    chess960 = false;
    clearSearchLimits();
    // No book or tablebase that an earlier input named stays in use.
    closeBook();
    setPolyglotBookPath("");
    polyglotClose();
    syzygySetPath("");
    tbVerify = false;
    tbRelease();
    newGame();
    game.forceMode = false;
    game.pendingCommand = 0;
}

bool fuzzPlayMove(const char *text) {
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
        if (!std::strcmp(moveToUci(entry->move), text)) return recordAndMakeMove(entry->move);
    return false;
}

void fuzzProbeOpenings(void (*probe)()) {
    static const char *const OPENINGS[][3] = {{"e2e4", "e7e5", "g1f3"}, {"d2d4", "g8f6", "c2c4"}};
    for (const auto &opening : OPENINGS) {
        fuzzResetEngine();
        for (const char *text : opening) {
            probe();
            if (!fuzzPlayMove(text)) break;
        }
    }
}

std::string fuzzWriteFile(const char *name, const uint8_t *data, size_t size) {
    FILE *file = std::fopen(name, "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();
    return (scratchFolder / name).string();
}

// The session that standard input delivers, and how much of it was read.
static std::string session;
static size_t sessionRead;

/// Cuts the numbers of a line (with its line end) that would make one
/// input run for minutes or take gigabytes: perft depths become 2, table
/// sizes and thread counts one digit, and the bench goes.
static void tameLine(std::string &line) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    auto names = [&lower](const char *word) { return lower.find(word) != std::string::npos; };
    if (names("bench")) line = "\n";
    bool perft = names("perft");
    if (!perft && !names("hash") && !names("memory") && !names("thread") && !names("cores")) return;
    std::string tamed;
    for (size_t i = 0; i < line.size(); i++) {
        bool digit = std::isdigit(static_cast<unsigned char>(line[i]));
        if (!digit || i == 0 || !std::isdigit(static_cast<unsigned char>(line[i - 1])))
            tamed += digit && perft ? '2' : line[i];
    }
    line = tamed;
}

void fuzzSession(const char *opening, const uint8_t *data, size_t size) {
    // A leading line end ends any overlong line the previous session left
    // half read.
    std::string text = std::string(opening) + std::string(reinterpret_cast<const char *>(data), size) + "\n";
    session = "\n";
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        std::string line = text.substr(start, end + 1 - start);
        tameLine(line);
        session += line;
    }
    sessionRead = 0;
    inputClosed = false;
    fuzzResetEngine();
    mainLoop();
}

// Standard input, replaced for the fuzz targets: the session, one line
// (or as much of it as fits) per read. Defined here, these routines keep
// the engine library's own (input_posix.cpp) out of the fuzz programs.
void inputStart() {}

uint32_t inputWaiting() { return 1; }

long inputRead(char *buffer, size_t size) {
    if (sessionRead >= session.size()) return 0;
    size_t lineEnd = session.find('\n', sessionRead) + 1;
    size_t count = std::min(size, lineEnd - sessionRead);
    std::memcpy(buffer, session.data() + sessionRead, count);
    sessionRead += count;
    timeControl.maxDepth = std::min(timeControl.maxDepth, FUZZ_MAX_DEPTH);
    return long(count);
}
