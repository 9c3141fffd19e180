// Counting move paths: every generated move is judged by makeMove.
#include "board/perft.h"

#include "board/makemove.h"
#include "board/movegen.h"

uint64_t perft(int depth) {
    if (depth == 0) return 1;
    genPositionMoves();
    uint64_t nodes = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if (!makeMove(entry->move)) continue;
        nodes += depth == 1 ? 1 : perft(depth - 1);
        unmakeMove();
    }
    return nodes;
}
