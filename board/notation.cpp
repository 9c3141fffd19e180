// FEN and move text.
#include "board/notation.h"

#include <cstring>

#include "board/attacks.h"
#include "board/position.h"
#include "board/tables.h"
#include "board/zobrist.h"

/// Reads the placement field into colours/types; returns the number of
/// squares described and leaves `text` after the field.
static int readPlacement(const char *&text, uint8_t colours[64], uint8_t types[64]) {
    int square = 0;
    for (; square < 64 && *text; text++) {
        char c = *text;
        if ((c >= 'b' && c <= 'r') || (c >= 'B' && c <= 'R')) {
            char upper = c & ~0x20;
            colours[square] = (c >= 'b') ? BLACK : WHITE;
            types[square] = upper == 'N' ? KNIGHT : upper == 'B' ? BISHOP : upper == 'R' ? ROOK
                          : upper == 'Q' ? QUEEN : upper == 'K' ? KING : PAWN;
            square++;
        } else if (c >= '1' && c <= '8') {
            for (int i = 0; i < c - '0'; i++, square++)
                if (square < 64) colours[square] = types[square] = NO_PIECE;
        } else if (square % 8 != 0) {
            break;
        }
    }
    return square;
}

/// A placement the engine can play from: one king a side and no pawn on the
/// first or last rank.
static bool placementIsPlayable(const uint8_t colours[64], const uint8_t types[64]) {
    int kings[2] = {0, 0};
    for (int square = 0; square < 64; square++) {
        if (types[square] == KING) kings[colours[square]]++;
        if (types[square] == PAWN && (row(square) == 0 || row(square) == 7)) return false;
    }
    return kings[WHITE] == 1 && kings[BLACK] == 1;
}

static const char *skipBlanks(const char *text) {
    while (*text == ' ') text++;
    return text;
}

/// Drops castling rights whose king or rook is not on its home square.
static void keepPlayableCastleRights() {
    static constexpr int HOMES[4][3] = {{1, 60, 63}, {2, 60, 56}, {4, 4, 7}, {8, 4, 0}};
    for (const auto &home : HOMES) {
        int side = home[0] >= 4 ? BLACK : WHITE;
        if (pos.board[home[1]] != makePiece(side, KING) || pos.board[home[2]] != makePiece(side, ROOK))
            pos.castleRights &= uint8_t(~home[0]);
    }
}

/// True when `square` can be the square a pawn of the side not to move just
/// passed over with a double step.
static bool isPlausibleEnPassantSquare(int square) {
    int mover = pos.otherSide;
    int passedRow = mover == BLACK ? 2 : 5;
    int start = mover == BLACK ? square - 8 : square + 8;
    int landed = mover == BLACK ? square + 8 : square - 8;
    return row(square) == passedRow && pos.board[square] == EMPTY && pos.board[start] == EMPTY &&
           pos.board[landed] == makePiece(mover, PAWN);
}

bool readFen(const char *text) {
    uint8_t colours[64], types[64];
    // The 64th square must end the placement field.
    if (readPlacement(text, colours, types) != 64 || (*text && *text != ' ')) return false;
    if (!placementIsPlayable(colours, types)) return false;

    // The side not to move may not be in check; keep the old position until
    // that is known.
    static Position previous;
    previous = pos;
    std::memcpy(setupColour.data(), colours, 64);
    std::memcpy(setupType.data(), types, 64);
    setupPosition();
    resetSetupArrays();

    text = skipBlanks(text);
    if (*text == 'b' || *text == 'B') {
        pos.sideToMove = BLACK;
        pos.otherSide = WHITE;
        pos.hashKey ^= hashSeed;
    }
    if (findAttacker(pos.kingSquare[pos.otherSide], pos.sideToMove) < 64) {
        pos = previous;
        return false;
    }
    pos.checkState[pos.gamePly] = computeCheckState();

    if (text[0] && text[1]) {  // a castling field may follow the side to move
        text = skipBlanks(text + 1);
        pos.castleRights = 0;
        for (; *text == 'K' || *text == 'Q' || *text == 'k' || *text == 'q'; text++)
            pos.castleRights |= *text == 'K' ? 1 : *text == 'Q' ? 2 : *text == 'k' ? 4 : 8;
        if (*text) {
            text = skipBlanks(text + (*text != ' '));
            if (text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' && text[1] <= '8') {
                int square = (8 - (text[1] - '0')) * 8 + (text[0] - 'a');
                if (isPlausibleEnPassantSquare(square)) pos.epSquare = int8_t(square);
            }
        }
    }
    keepPlayableCastleRights();
    return true;
}

void writeFen(char *buffer) {
    char *out = buffer;
    for (int r = 0; r < 8; r++) {
        int empties = 0;
        for (int c = 0; c < 8; c++) {
            uint8_t code = pos.board[r * 8 + c];
            if (code == EMPTY) {
                empties++;
                continue;
            }
            if (empties) *out++ = char('0' + empties), empties = 0;
            char letter = PIECE_LETTERS[pieceType(code)];
            *out++ = pieceSide(code) == BLACK ? char(letter + 32) : letter;
        }
        if (empties) *out++ = char('0' + empties);
        if (r < 7) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = pos.sideToMove == WHITE ? 'w' : 'b';
    *out++ = ' ';
    if (!pos.castleRights) *out++ = '-';
    for (int right = 0; right < 4; right++)
        if (pos.castleRights & (1 << right)) *out++ = "KQkq"[right];
    *out++ = ' ';
    if (pos.epSquare >= 1) {
        *out++ = char('a' + column(pos.epSquare));
        *out++ = char('8' - row(pos.epSquare));
    } else {
        *out++ = '-';
    }
    std::strcpy(out, " 0 1");
}

static char *writeSquare(char *out, int square) {
    *out++ = char('a' + column(square));
    *out++ = char('8' - row(square));
    return out;
}

static void writeCoordinates(char *out, Move move, bool lowerCasePromotion) {
    out = writeSquare(writeSquare(out, moveFrom(move)), moveTo(move));
    if (move & MF_PROMO) *out++ = char(PIECE_LETTERS[movePromotion(move)] | (lowerCasePromotion ? 0x20 : 0));
    *out = '\0';
}

const char *moveToText(Move move) {
    static char text[8];
    writeCoordinates(text, move, false);
    return text;
}

const char *moveToUci(Move move) {
    static char text[8];
    writeCoordinates(text, move, true);
    return text;
}

/// Appends one disambiguation character for each other piece of the mover's
/// type and side that could also reach `to` (pins are not considered).
static char *writeDisambiguation(char *out, int from, int to) {
    uint8_t code = pos.board[from];
    int type = pieceType(code);
    auto noteRival = [&](int square) {
        if (square == from || pos.board[square] != code) return;
        *out++ = column(square) == column(from) ? char('8' - row(from)) : char('a' + column(from));
    };
    if (type == KNIGHT) {
        for (const int8_t *t = knightTargets[to].data(); *t >= 0; t++) noteRival(*t);
        return out;
    }
    int first = type == BISHOP ? 4 : 0, last = type == ROOK ? 3 : 7;
    for (int d = first; d <= last; d++) {
        int square = stepSquare[to][d];
        while (square < 64 && pos.board[square] == EMPTY) square = stepSquare[square][d];
        if (square < 64) noteRival(square);
    }
    return out;
}

const char *moveToSan(Move move) {
    static char text[16];
    if (move & MF_CASTLE) return std::strcpy(text, moveFrom(move) < moveTo(move) ? "O-O" : "O-O-O");
    int from = moveFrom(move), to = moveTo(move);
    int type = pieceType(pos.board[from]);
    char *out = text;
    if (type != PAWN) *out++ = PIECE_LETTERS[type];
    if (type != PAWN && type != KING) out = writeDisambiguation(out, from, to);
    if (move & MF_CAPTURE) {
        if (type == PAWN) *out++ = char('a' + column(from));
        *out++ = 'x';
    }
    out = writeSquare(out, to);
    if (move & MF_PROMO) {
        *out++ = '=';
        *out++ = PIECE_LETTERS[movePromotion(move)];
    }
    *out = '\0';
    return text;
}
