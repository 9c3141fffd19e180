// FEN and move text.
#include "board/notation.h"

#include <algorithm>
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

/// Pieces beyond a side's initial set (a second queen, a third rook ...)
/// come from promotions, one pawn each: the evaluation's tables, indexed
/// by piece counts, hold no more than a game can reach.
static bool countsAreReachable(const int counts[6]) {
    int promoted = std::max(0, counts[QUEEN] - 1) + std::max(0, counts[ROOK] - 2) +
                   std::max(0, counts[BISHOP] - 2) + std::max(0, counts[KNIGHT] - 2);
    return counts[PAWN] + promoted <= 8;
}

/// A placement the engine can play from: one king a side, no pawn on the
/// first or last rank, and no more pawns and promoted pieces a side than
/// its eight pawns.
static bool placementIsPlayable(const uint8_t colours[64], const uint8_t types[64]) {
    int counts[2][6] = {};
    for (int square = 0; square < 64; square++) {
        if (types[square] == NO_PIECE) continue;
        counts[colours[square]][types[square]]++;
        if (types[square] == PAWN && (row(square) == 0 || row(square) == 7)) return false;
    }
    return counts[WHITE][KING] == 1 && counts[BLACK][KING] == 1 && countsAreReachable(counts[WHITE]) &&
           countsAreReachable(counts[BLACK]);
}

static const char *skipBlanks(const char *text) {
    while (*text == ' ') text++;
    return text;
}

bool chess960 = false;

/// The rook a castling letter names for `side`: for K or Q (k, q) the
/// outermost rook of the side's first rank on that side of the king, for a
/// file letter the square of that file. NO_SQUARE when there is none.
static int namedCastlingRook(char letter, int side) {
    int homeRow = side == WHITE ? 56 : 0, king = pos.kingSquare[side];
    char upper = char(letter & ~0x20);
    if (upper >= 'A' && upper <= 'H') return homeRow + (upper - 'A');
    int step = upper == 'K' ? -1 : +1;  // from the edge toward the king
    for (int square = homeRow + (upper == 'K' ? 7 : 0); square != king && row(square) == row(homeRow); square += step)
        if (pos.board[square] == makePiece(side, ROOK)) return square;
    return NO_SQUARE;
}

/// Grants the castling right a letter names when its king and rook stand
/// where castling needs them: both on the side's first rank, the rook on the
/// side the right is for; in standard chess the king on the e-file and the
/// rook in the corner. Any other right is dropped; so is a second letter for
/// a wing that already has its rook.
static void grantNamedCastling(char letter) {
    int side = letter >= 'a' ? BLACK : WHITE;
    int king = pos.kingSquare[side], rook = namedCastlingRook(letter, side);
    int homeRow = side == WHITE ? 7 : 0;
    if (rook == NO_SQUARE || row(king) != homeRow || rook == king || pos.board[rook] != makePiece(side, ROOK)) return;
    int wing = column(rook) < column(king) ? LONG_SIDE : SHORT_SIDE;
    if (!chess960 && (column(king) != 4 || column(rook) != (wing == LONG_SIDE ? 0 : 7))) return;
    int right = castleRight(side, wing);
    if (!(pos.castleRights >> right & 1)) grantCastling(right, king, rook);
}

static bool isCastlingLetter(char c) {
    char upper = char(c & ~0x20);
    return upper == 'K' || upper == 'Q' || (upper >= 'A' && upper <= 'H');
}

/// Reads the castling field, X-FEN or Shredder-FEN: K, Q, k, q name the
/// outermost rooks, file letters (upper case for White) the rook on that
/// file. Leaves `text` at the first character that is no castling letter.
static void readCastlingField(const char *&text) {
    clearCastling();
    for (; isCastlingLetter(*text); text++) grantNamedCastling(*text);
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
        readCastlingField(text);
        if (*text) {
            text = skipBlanks(text + (*text != ' '));
            if (text[0] >= 'a' && text[0] <= 'h' && text[1] >= '1' && text[1] <= '8') {
                int square = (8 - (text[1] - '0')) * 8 + (text[0] - 'a');
                if (isPlausibleEnPassantSquare(square)) pos.epSquare = int8_t(square);
            }
        }
    } else {  // no castling field: every right the position can have
        const char *allRights = "KQkq";
        readCastlingField(allRights);
    }
    return true;
}

/// The X-FEN letter of a held castling right: K, Q, k, q for the outermost
/// rook on its side of the king, the rook's file letter for an inner rook.
static char castlingLetter(int right) {
    int side = right >> 1, rook = pos.castling[right].rookSquare;
    int step = (right & 1) ? -1 : +1;  // from the rook toward the edge
    for (int square = rook + step; square >= 0 && square < 64 && row(square) == row(rook); square += step)
        if (pos.board[square] == makePiece(side, ROOK)) return char((side == WHITE ? 'A' : 'a') + column(rook));
    return "KQkq"[right];
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
        if (pos.castleRights & (1 << right)) *out++ = castlingLetter(right);
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
    int to = moveTo(move);
    if (chess960 && (move & MF_CASTLE) && castlingRookSquare(move) != NO_SQUARE) to = castlingRookSquare(move);
    out = writeSquare(writeSquare(out, moveFrom(move)), to);
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
    Direction first = type == BISHOP ? NORTH_WEST : NORTH, last = type == ROOK ? EAST : SOUTH_WEST;
    for (Direction d = first; d <= last; ++d) {
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
