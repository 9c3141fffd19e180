// Position text: any bytes as FEN, in standard chess and in Chess960. A
// position the reader accepts must be consistent, must read back the same
// from the FEN written of it, and every legal move of it must be written,
// made and taken back without a trace.
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "eval/evaluate.h"
#include "tests/fuzz/support/fuzz_support.h"

static void checkConsistent() {
    if (positionFault()) std::abort();
}

static void tryEveryMove(const char *fen) {
    char after[128];
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        Move move = entry->move;
        moveToSan(move);
        moveToUci(move);
        if (!makeMove(move)) continue;
        checkConsistent();
        evaluate(-10000, 10000);
        unmakeMove();
        writeFen(after);
        if (std::strcmp(fen, after) != 0) std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzStartEngine();
    std::string text(reinterpret_cast<const char *>(data), size);
    for (bool variant : {false, true}) {
        fuzzResetEngine();
        chess960 = variant;
        if (!readFen(text.c_str())) continue;
        checkConsistent();
        char fen[128], again[128];
        writeFen(fen);
        if (!readFen(fen)) std::abort();
        writeFen(again);
        if (std::strcmp(fen, again) != 0) std::abort();
        evaluate(-10000, 10000);
        tryEveryMove(fen);
    }
    fuzzStopEngine();
    return 0;
}
