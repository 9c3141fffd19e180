// Proven tablebase values: positions where the side to move is mated, has a
// mate in one, or is mated in one whatever it plays, found by placing a
// table's men at pseudo-random squares and trying the moves.
#include "egtb/verify.h"

#include <cstdio>
#include <cstring>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "egtb/nalimov.h"

constexpr int PLACEMENT_TRIES = 600;
constexpr int MOST_MOVES_FOR_LOSS_TEST = 8;  // the full two-ply test only for a hemmed-in side

static uint32_t nextRandom(uint32_t &state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

/// A FEN with the table's men on free random squares, white as the
/// first-named side; pawns only on ranks 2 to 7.
static void randomFen(const TbDescriptor &d, int side, uint32_t &state, char *fen) {
    char board[64];
    std::memset(board, 0, sizeof board);
    // The second-named side, the weaker one, is the side mated: its king
    // goes to the edge, where mates are found.
    static const uint8_t EDGE[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  15, 16, 23, 24, 31,
                                     32, 39, 40, 47, 48, 55, 56, 57, 58, 59, 60, 61, 62, 63};
    auto place = [&](char letter, int kind) {
        int square;
        do square = kind == 2 ? EDGE[nextRandom(state) % 28] : kind == 1 ? 8 + int(nextRandom(state) % 48) : int(nextRandom(state) % 64);
        while (board[square]);
        board[square] = letter;
    };
    static const char LETTERS[] = "PNBRQ";
    place('k', 2);
    place('K', 0);
    for (int s = 0; s < 2; s++)
        for (int type = 0; type < 5; type++)
            for (int i = 0; i < d.men[s][type]; i++) place(char(LETTERS[type] + (s ? 32 : 0)), type == 0 ? 1 : 0);
    char *out = fen;
    for (int row = 0; row < 8; row++) {
        int gap = 0;
        for (int file = 0; file < 8; file++) {
            char letter = board[row * 8 + file];
            if (!letter) {
                gap++;
                continue;
            }
            if (gap) *out++ = char('0' + gap), gap = 0;
            *out++ = letter;
        }
        if (gap) *out++ = char('0' + gap);
        if (row < 7) *out++ = '/';
    }
    std::snprintf(out, 16, " %c - -", side ? 'b' : 'w');
}

/// The legal moves of the side to move, counted by making each.
static int legalMoveCount() {
    genPositionMoves();
    int count = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++)
        if (makeMove(entry->move)) count++, unmakeMove();
    return count;
}

static bool isMated() { return inCheck() && legalMoveCount() == 0; }

/// True when some legal move leads to a position where `test` answers `want`.
static bool someMoveGives(bool (*test)(), bool want) {
    genPositionMoves();
    MoveEntry *end = plyMovesEnd();
    for (MoveEntry *entry = plyMovesBegin(); entry < end; entry++) {
        if (!makeMove(entry->move)) continue;
        bool answer = test();
        unmakeMove();
        if (answer == want) return true;
    }
    return false;
}

static bool hasMateInOne() { return someMoveGives(isMated, true); }

/// True when the side to move has a legal move, few of them, and each one
/// allows a mate in one.
static bool isMatedInOne() {
    int moves = legalMoveCount();
    if (moves == 0 || moves > MOST_MOVES_FOR_LOSS_TEST) return false;
    return !someMoveGives(hasMateInOne, false);
}

int tbProvenPositions(int table, int side, TbProvenPosition *out, int capacity) {
    static Position saved;
    saved = pos;
    const TbDescriptor &d = tbTables[table];
    uint32_t state = uint32_t(table * 2 + side + 1);
    int found = 0, perClass[3] = {0, 0, 0};
    int classLimit = (capacity + 2) / 3;
    for (int attempt = 0; attempt < PLACEMENT_TRIES && found < capacity; attempt++) {
        char fen[96];
        randomFen(d, side, state, fen);
        if (!readFen(fen)) continue;
        int kind = -1;
        if (isMated()) kind = 0;
        else if (hasMateInOne()) kind = 1;
        else if (isMatedInOne()) kind = 2;
        if (kind < 0 || perClass[kind] == classLimit) continue;
        perClass[kind]++;
        std::snprintf(out[found].fen, sizeof out[found].fen, "%s", fen);
        static const int32_t VALUES[3] = {-32766, 32766, -32765};
        out[found++].value = VALUES[kind];
    }
    pos = saved;
    return found;
}
