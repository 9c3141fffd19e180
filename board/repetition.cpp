// Repetition counting: the undo records hold the key of every earlier
// position of the game.
#include "board/repetition.h"

#include "board/makemove.h"
#include "board/position.h"

int16_t repetitionCount() {
    int reversible = int8_t(pos.fiftyCount);
    if (reversible < 4) return 0;  // no position can recur in fewer than four plies
    uint32_t key = uint32_t(pos.hashKey);
    int16_t count = 0;
    // Only positions with the same side to move, back to the last capture,
    // pawn move or null move.
    for (int i = pos.gamePly - 4; i >= pos.gamePly - reversible && i >= 0; i -= 2)
        if (uint32_t(pos.undoStack[i].hashKey) == key) count++;
    return count;
}

bool moveRepeatsPosition(Move move) {
    if (!makeMove(move)) return false;
    bool repeats = repetitionCount() != 0;
    unmakeMove();
    return repeats;
}
