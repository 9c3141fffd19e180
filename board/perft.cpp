// Counting move paths: every generated move is judged by makeMove.
#include "board/perft.h"

#include "board/makemove.h"
#include "board/movegen.h"

uint64_t perft(int depth) {
    if (depth == 0) return 1;
    genPositionMoves();
    uint64_t nodes = 0;
    // The list's end is read once: makeMove writes the position, so the
    // compiler would otherwise read it again for every move.
    for (MoveEntry *entry = plyMovesBegin(), *end = plyMovesEnd(); entry != end; entry++) {
        if (!makeMove(entry->move)) continue;
        nodes += depth == 1 ? 1 : perft(depth - 1);
        unmakeMove();
    }
    return nodes;
}
