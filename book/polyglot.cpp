// Polyglot opening books: the position key, reading and checking the file,
// finding a position's entries and turning them into the engine's moves.
#include "book/polyglot.h"

#include <algorithm>
#include <cstdlib>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/position.h"
#include "book/polyglotrandom.h"
#include "engine/files.h"

PolyglotBook polyglotBook;

/// The book's square numbering: a1 = 0, h1 = 7, a8 = 56, h8 = 63.
static int polyglotSquare(int square) { return 8 * (7 - row(square)) + column(square); }

/// True when the pawn that has just double-stepped stands beside a pawn of
/// the side to move: only then does the key count the en-passant file.
static bool enPassantKeyed() {
    if (pos.epSquare == NO_EP_SQUARE) return false;
    int pushed = pos.sideToMove == WHITE ? pos.epSquare + 8 : pos.epSquare - 8;
    uint8_t capturer = makePiece(pos.sideToMove, PAWN);
    return (column(pushed) > 0 && pos.board[pushed - 1] == capturer) ||
           (column(pushed) < 7 && pos.board[pushed + 1] == capturer);
}

uint64_t polyglotKey() {
    uint64_t key = 0;
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY) continue;
        // Piece kinds alternate black and white: black pawn 0, white pawn 1,
        // black knight 2 ... white king 11.
        int kind = 2 * pieceType(code) + (pieceSide(code) == WHITE ? 1 : 0);
        key ^= POLYGLOT_RANDOM[POLYGLOT_PIECE_OFFSET + 64 * kind + polyglotSquare(square)];
    }
    // The engine's rights bits (white short, white long, black short, black
    // long) are in the book's order.
    for (int right = 0; right < 4; right++)
        if (pos.castleRights & (1 << right)) key ^= POLYGLOT_RANDOM[POLYGLOT_CASTLE_OFFSET + right];
    if (enPassantKeyed()) key ^= POLYGLOT_RANDOM[POLYGLOT_EP_OFFSET + column(pos.epSquare)];
    if (pos.sideToMove == WHITE) key ^= POLYGLOT_RANDOM[POLYGLOT_TURN_OFFSET];
    return key;
}

/// The big-endian number in `size` bytes.
static uint64_t readBigEndian(const unsigned char *bytes, int size) {
    uint64_t value = 0;
    for (int i = 0; i < size; i++) value = value << 8 | bytes[i];
    return value;
}

/// Decodes one 16-byte entry; its last four bytes (a learning field) are
/// not used.
static PolyglotEntry polyglotDecodeEntry(const unsigned char *bytes) {
    return {readBigEndian(bytes, 8), uint16_t(readBigEndian(bytes + 8, 2)), uint16_t(readBigEndian(bytes + 10, 2))};
}

/// The file last found sound, so that opening it again (the OwnBook option
/// switched off and on, the same path set twice) does not read a large book
/// through once more: its identity (the file, its size and time of
/// modification) and entries.
struct CheckedFile {
    FileIdentity identity;
    uint64_t entryCount;
};
static CheckedFile lastChecked;

/// The reason the whole file cannot serve as a book, nullptr when it can;
/// counts its entries.
static const char *checkFile(FILE *file, uint64_t &entryCount) {
    unsigned char bytes[POLYGLOT_ENTRY_SIZE];
    uint64_t count = 0, previousKey = 0;
    size_t got;
    while ((got = std::fread(bytes, 1, sizeof bytes, file)) == sizeof bytes) {
        uint64_t key = readBigEndian(bytes, 8);
        if (key < previousKey) return "its entries are not sorted by key";
        previousKey = key;
        count++;
    }
    if (std::ferror(file)) return "it cannot be read";
    if (got) return "its length is not a multiple of 16 bytes";
    if (!count) return "it holds no entries";
    entryCount = count;
    return nullptr;
}

void polyglotClose() {
    if (polyglotBook.file) std::fclose(polyglotBook.file);
    polyglotBook.file = nullptr;
    polyglotBook.entryCount = 0;
}

/// The reason an open file cannot serve as a book, nullptr when it can;
/// sets the book's entry count. A file found sound before is not read again.
static const char *checkOnce(FILE *file) {
    FileIdentity identity;
    if (!fileIdentity(file, &identity)) return "it cannot be read";
    if (identity.size != 0 && identity == lastChecked.identity) {
        polyglotBook.entryCount = lastChecked.entryCount;
        return nullptr;
    }
    const char *reason = checkFile(file, polyglotBook.entryCount);
    if (!reason) lastChecked = {identity, polyglotBook.entryCount};
    return reason;
}

const char *polyglotOpen(const char *path) {
    static char message[400];
    polyglotClose();
    const char *reason;
    FILE *file = openRegularFile(path, false, &reason);
    if (file) reason = checkOnce(file);
    if (!reason) {
        polyglotBook.file = file;
        return nullptr;
    }
    if (file) std::fclose(file);
    polyglotBook.entryCount = 0;
    std::snprintf(message, sizeof message, "Polyglot book %s not used: %s", path, reason);
    return message;
}

/// Reads entry number `index`; false when the file no longer gives it.
static bool readEntry(uint64_t index, PolyglotEntry &entry) {
    unsigned char bytes[POLYGLOT_ENTRY_SIZE];
    if (!seekFile(polyglotBook.file, index * POLYGLOT_ENTRY_SIZE) ||
        std::fread(bytes, 1, sizeof bytes, polyglotBook.file) != sizeof bytes)
        return false;
    entry = polyglotDecodeEntry(bytes);
    return true;
}

/// The index of the first entry whose key is not below `key` (binary search).
static uint64_t firstEntryAtOrAbove(uint64_t key) {
    uint64_t low = 0, high = polyglotBook.entryCount;
    while (low < high) {
        uint64_t middle = low + (high - low) / 2;
        PolyglotEntry entry;
        if (!readEntry(middle, entry)) return polyglotBook.entryCount;
        if (entry.key < key) low = middle + 1;
        else high = middle;
    }
    return low;
}

/// A move as the book writes it. Castling is written as the king taking
/// its own rook (e1h1, e1a1, e8h8, e8a8); promotion pieces knight to queen
/// are 1 to 4, as in the engine's moves.
static uint16_t polyglotMoveOf(Move move) {
    int from = moveFrom(move), to = moveTo(move);
    if (move & MF_CASTLE) to = column(to) == 6 ? from + 3 : from - 4;
    return uint16_t(movePromotion(move) << 12 | polyglotSquare(from) << 6 | polyglotSquare(to));
}

/// The legal moves of the current position; returns their count.
static int legalMoves(Move *moves) {
    int count = 0;
    genPositionMoves();
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if (!makeMove(entry->move)) continue;
        unmakeMove();
        moves[count++] = entry->move;
    }
    return count;
}

/// The legal move that a book move stands for, 0 when there is none.
static Move matchBookMove(uint16_t bookMove, const Move *moves, int count) {
    for (int i = 0; i < count; i++)
        if (polyglotMoveOf(moves[i]) == bookMove) return moves[i];
    return 0;
}

static bool alreadyListed(Move move, const PolyglotCandidate *candidates, int count) {
    for (int i = 0; i < count; i++)
        if (candidates[i].move == move) return true;
    return false;
}

int polyglotCandidates(PolyglotCandidate *candidates) {
    if (!polyglotBook.file) return 0;
    uint64_t key = polyglotKey();
    uint64_t index = firstEntryAtOrAbove(key);
    Move moves[POLYGLOT_MAX_CANDIDATES];
    int moveCount = legalMoves(moves), count = 0;
    PolyglotEntry entry;
    for (; index < polyglotBook.entryCount && readEntry(index, entry) && entry.key == key; index++) {
        Move move = matchBookMove(entry.move, moves, moveCount);
        if (move && !alreadyListed(move, candidates, count)) candidates[count++] = {move, entry.weight};
    }
    std::stable_sort(candidates, candidates + count,
                     [](const PolyglotCandidate &a, const PolyglotCandidate &b) { return a.weight > b.weight; });
    return count;
}

Move polyglotChoose(const PolyglotCandidate *candidates, int count) {
    uint32_t total = 0;
    for (int i = 0; i < count; i++) total += candidates[i].weight;
    if (!total) return 0;
    // rand() spread over 0 .. total - 1.
    uint32_t pick = uint32_t(uint64_t(std::rand()) * total / (uint64_t(RAND_MAX) + 1));
    for (int i = 0; i < count; i++) {
        if (pick < candidates[i].weight) return candidates[i].move;
        pick -= candidates[i].weight;
    }
    return 0;
}
