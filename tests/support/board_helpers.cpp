#include "tests/support/board_helpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"

void setFen(const char *fen) {
    EXPECT_TRUE(readFen(fen)) << "position refused: " << fen;
}

Move findMove(const char *text) {
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++)
        if (strcasecmp(moveToText(entry->move), text) == 0) return entry->move;
    return 0;
}

bool playMoves(const char *moves) {
    std::string list(moves);
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(' ', start);
        if (end == std::string::npos) end = list.size();
        std::string text = list.substr(start, end - start);
        start = end + 1;
        if (text.empty()) continue;
        Move move = findMove(text.c_str());
        if (!move || !makeMove(move)) {
            ADD_FAILURE() << "not a legal move: " << text;
            return false;
        }
        pos.ply = 0;  // the game goes on from the new position
    }
    return true;
}

Chess960Game::Chess960Game() { chess960 = true; }

Chess960Game::~Chess960Game() { chess960 = false; }
