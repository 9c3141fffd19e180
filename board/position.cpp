// The global position: set-up from a description and a full consistency
// check.
#include "board/position.h"

#include <cassert>
#include <cstring>

#include "board/attacks.h"
#include "board/tables.h"
#include "board/zobrist.h"

constinit thread_local Position pos{};

// The standard start position: black pieces on rows 0 and 1, white ones on
// rows 6 and 7.
static constexpr std::array<uint8_t, 64> START_COLOUR = [] {
    std::array<uint8_t, 64> colours{};
    for (int square = 0; square < 64; square++)
        colours[square] = row(square) <= 1 ? BLACK : row(square) >= 6 ? WHITE : NO_PIECE;
    return colours;
}();

static constexpr std::array<uint8_t, 64> START_TYPE = [] {
    constexpr uint8_t BACK_ROW[8] = {ROOK, KNIGHT, BISHOP, QUEEN, KING, BISHOP, KNIGHT, ROOK};
    std::array<uint8_t, 64> types{};
    for (int square = 0; square < 64; square++) {
        int r = row(square);
        types[square] = (r == 0 || r == 7) ? BACK_ROW[column(square)] : (r == 1 || r == 6) ? PAWN : NO_PIECE;
    }
    return types;
}();

std::array<uint8_t, 64> setupColour = START_COLOUR;
std::array<uint8_t, 64> setupType = START_TYPE;

void resetSetupArrays() {
    setupColour = START_COLOUR;
    setupType = START_TYPE;
}

void setupPosition() {
    pos.hashKey = hashSeed;
    pos.pawnKey = uint32_t(hashSeed);
    std::memset(pos.board, EMPTY, sizeof pos.board);
    std::memset(pos.pawnFileRanks, 0, sizeof pos.pawnFileRanks);
    std::memset(pos.pieceCount, 0, sizeof pos.pieceCount);
    pos.occupied = pos.sideOccupied[WHITE] = pos.sideOccupied[BLACK] = 0;
    std::memset(pos.typeOccupied, 0, sizeof pos.typeOccupied);
    pos.material[WHITE] = pos.material[BLACK] = 0;
    pos.pieceTotal = 0;

    for (int square = 0; square < 64; square++) {
        int type = setupType[square];
        if (type == NO_PIECE) continue;
        int side = setupColour[square];
        pos.board[square] = makePiece(side, type);
        pos.typeOccupied[side][type] |= squareBit[square];
        pos.hashKey ^= pieceKey(side, type, square);
        if (type == PAWN) {
            pos.pawnFileRanks[side][column(square) + 1] |= rowBit[square];
            pos.pawnKey ^= uint32_t(pieceKey(side, PAWN, square));
        } else if (type == KING) {
            pos.kingSquare[side] = uint8_t(square);
        } else {
            pos.material[side] += pieceValue[type];
        }
        pos.pieceCount[side][type]++;
        pos.pieceTotal++;
        linkSquare(square, side);
    }

    pos.sideToMove = WHITE;
    pos.otherSide = BLACK;
    clearCastling();
    for (int side : {WHITE, BLACK}) {
        int homeRow = side == WHITE ? 56 : 0;
        grantCastling(castleRight(side, SHORT_SIDE), homeRow + 4, homeRow + 7);
        grantCastling(castleRight(side, LONG_SIDE), homeRow + 4, homeRow);
    }
    pos.epSquare = NO_EP_SQUARE;
    pos.fiftyCount = 0;
    pos.ply = 0;
    pos.gamePly = 0;
    pos.moveListStart[0] = 0;
    pos.checkState[0] = computeCheckState();
}

// The parts of the consistency check, each returning a fault or nullptr.

static const char *occupancyFault() {
    uint64_t occupied = 0, bySide[2] = {0, 0}, byType[2][6] = {};
    if (pos.board[64] != EMPTY) return "board[64] is not empty";
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY) continue;
        if (pieceSide(code) > BLACK || pieceType(code) > KING) return "invalid piece code on the board";
        occupied |= squareBit[square];
        bySide[pieceSide(code)] |= squareBit[square];
        byType[pieceSide(code)][pieceType(code)] |= squareBit[square];
    }
    if (occupied != pos.occupied) return "occupied differs from the board";
    if (bySide[WHITE] != pos.sideOccupied[WHITE] || bySide[BLACK] != pos.sideOccupied[BLACK])
        return "sideOccupied differs from the board";
    if (std::memcmp(byType, pos.typeOccupied, sizeof byType)) return "typeOccupied differs from the board";
    return nullptr;
}

static const char *materialFault() {
    uint8_t counts[2][6] = {};
    uint8_t fileRanks[2][10] = {};
    int16_t material[2] = {0, 0};
    int kings[2] = {64, 64};
    int total = 0;
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY) continue;
        int side = pieceSide(code), type = pieceType(code);
        counts[side][type]++;
        total++;
        if (type == PAWN) fileRanks[side][column(square) + 1] |= rowBit[square];
        else if (type == KING) kings[side] = square;
        else material[side] += pieceValue[type];
    }
    if (std::memcmp(counts, pos.pieceCount, sizeof counts)) return "pieceCount differs from the board";
    if (total != pos.pieceTotal) return "pieceTotal differs from the board";
    if (material[WHITE] != pos.material[WHITE] || material[BLACK] != pos.material[BLACK])
        return "material differs from the board";
    if (std::memcmp(fileRanks, pos.pawnFileRanks, sizeof fileRanks)) return "pawnFileRanks differs from the board";
    if (kings[WHITE] != pos.kingSquare[WHITE] || kings[BLACK] != pos.kingSquare[BLACK])
        return "kingSquare differs from the board";
    return nullptr;
}

static const char *keyFault() {
    uint64_t hashKey = pos.sideToMove == WHITE ? hashSeed : 0;
    uint32_t pawnKey = uint32_t(hashSeed);
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY) continue;
        uint64_t key = pieceKey(pieceSide(code), pieceType(code), square);
        hashKey ^= key;
        if (pieceType(code) == PAWN) pawnKey ^= uint32_t(key);
    }
    if (hashKey != pos.hashKey) return "hashKey differs from the board";
    if (pawnKey != pos.pawnKey) return "pawnKey differs from the board";
    return nullptr;
}

static const char *stateFault() {
    if (pos.sideToMove > BLACK || pos.otherSide != (pos.sideToMove ^ 1)) return "sides to move are inconsistent";
    if (const char *fault = castlingFault()) return fault;
    if (pos.epSquare != NO_EP_SQUARE && row(pos.epSquare) != (pos.sideToMove == WHITE ? 2 : 5))
        return "en-passant square on the wrong row";

    int16_t stored = pos.checkState[pos.gamePly], computed = computeCheckState();
    bool storedInCheck = (stored & 0xFF) < 64, computedInCheck = (computed & 0xFF) < 64;
    if (storedInCheck != computedInCheck) return "checkState differs from the attacks on the king";
    if ((stored & DOUBLE_CHECK) != (computed & DOUBLE_CHECK)) return "checkState double-check bit is wrong";
    // A single check has one checker; in a double check either one may be named.
    if (!(computed & DOUBLE_CHECK) && stored != computed) return "checkState names the wrong checker";
    if ((computed & DOUBLE_CHECK) && !isPieceOf(stored & 0xFF, pos.otherSide))
        return "checkState names no enemy piece in a double check";
    return nullptr;
}

const char *positionFault() {
    const char *fault = occupancyFault();
    if (!fault) fault = materialFault();
    if (!fault) fault = keyFault();
    if (!fault) fault = stateFault();
    return fault;
}
