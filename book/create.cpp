// Book creation: the games of a PGN file are replayed up to move 25 on the
// engine's board, every position reached is counted with the results of the
// games that reached it, and the collection is written as a book file.
#include "book/create.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/position.h"
#include "board/repetition.h"
#include "board/tables.h"
#include "book/bookfile.h"
#include "engine/files.h"
#include "engine/output.h"

// ---------------------------------------------------------------------------
// Reading moves

static bool isFile(char c) { return c >= 'a' && c <= 'h'; }
static bool isRank(char c) { return c >= '1' && c <= '8'; }
static int squareOf(char file, char rank) { return (8 - (rank - '0')) * 8 + (file - 'a'); }
static int pieceTypeOfLetter(char c) {
    const char *found = c ? std::strchr("NBRQK", c) : nullptr;
    return found ? int(found - "NBRQK") + KNIGHT : NO_PIECE;
}

/// Whether a square fits the disambiguation character of a piece move
/// (a file letter or a rank digit; 0 for none).
static bool fitsHint(int square, char hint) {
    if (!hint) return true;
    if (isFile(hint)) return column(square) == hint - 'a';
    if (isRank(hint)) return row(square) == 8 - (hint - '0');
    return false;
}

/// The knight of the side to move that can go to `to`, or NO_SQUARE.
static int knightOrigin(int to, char hint) {
    uint8_t knight = makePiece(pos.sideToMove, KNIGHT);
    for (const int8_t *s = knightTargets[to].data(); *s >= 0; s++)
        if (pos.board[*s] == knight && fitsHint(*s, hint) &&
            !leavesPin(*s, to, pos.kingSquare[pos.sideToMove], pos.sideToMove))
            return *s;
    return NO_SQUARE;
}

/// The bishop, rook or queen of the side to move that can go to `to`, or
/// NO_SQUARE.
static int sliderOrigin(int type, int to, char hint) {
    uint8_t piece = makePiece(pos.sideToMove, type);
    for (Direction d = NORTH; d <= SOUTH_WEST; ++d) {
        if ((type == BISHOP && !isDiagonal(d)) || (type == ROOK && isDiagonal(d))) continue;
        int s = stepSquare[to][d];
        while (s != NO_SQUARE && pos.board[s] == EMPTY) s = stepSquare[s][d];
        if (s != NO_SQUARE && pos.board[s] == piece && fitsHint(s, hint) &&
            !leavesPin(s, to, pos.kingSquare[pos.sideToMove], pos.sideToMove))
            return s;
    }
    return NO_SQUARE;
}

/// The origin of a piece move from the kept characters ("Nbd7", "Qh4e1").
static int pieceOrigin(int type, int to, const char *kept, int length) {
    if (length == 5) {
        if (isFile(kept[1]) && isRank(kept[2])) return squareOf(kept[1], kept[2]);
        if (isRank(kept[1]) && isFile(kept[2])) return squareOf(kept[2], kept[1]);
        return NO_SQUARE;
    }
    if (type == KING) return pos.kingSquare[pos.sideToMove];
    char hint = length == 4 ? kept[1] : 0;
    return type == KNIGHT ? knightOrigin(to, hint) : sliderOrigin(type, to, hint);
}

/// Origin and target of a pawn move ("e4", "exd5", "e8Q"); false when they
/// are not squares of the board.
static bool pawnSquares(const char *kept, int length, int *from, int *to) {
    int behind = pos.sideToMove == WHITE ? 8 : -8;
    if (length >= 2 && isRank(kept[1])) {
        *to = squareOf(kept[0], kept[1]);
        *from = *to + behind;
        if (*from < 0 || *from > 63) return false;
        if (pieceType(pos.board[*from]) != PAWN) *from += behind;
    } else if (length >= 3 && isFile(kept[1]) && isRank(kept[2])) {
        *to = squareOf(kept[1], kept[2]);
        *from = *to + behind + (kept[0] - kept[1]);
        if (*to + behind < 0 || *to + behind > 63) return false;
    } else {
        return false;
    }
    return *from >= 0 && *from < 64;
}

bool parseSan(const char *token, Move *move) {
    if (token[0] == '0' || token[0] == 'O' || token[0] == 'o') {
        int from = pos.kingSquare[pos.sideToMove];
        int homeRow = pos.sideToMove == WHITE ? 56 : 0;
        bool queenSide = std::strlen(token) >= 4 && token[3] == '-';
        *move = Move(from | (homeRow + (queenSide ? 2 : 6)) << 6) | MF_CASTLE;
        return true;
    }
    // Only files, ranks and piece letters count: capture and check signs,
    // "=" and annotations drop out.
    char kept[6] = {};
    int length = 0;
    for (const char *c = token; *c && length < 5; c++)
        if (isFile(*c) || isRank(*c) || pieceTypeOfLetter(*c) != NO_PIECE) kept[length++] = *c;
    int from, to, promotion = 0;
    int type = pieceTypeOfLetter(kept[0]);
    if (type != NO_PIECE) {
        if (length < 3 || !isFile(kept[length - 2]) || !isRank(kept[length - 1])) return false;
        to = squareOf(kept[length - 2], kept[length - 1]);
        from = pieceOrigin(type, to, kept, length);
        if (from == NO_SQUARE) return false;
    } else {
        if (!isFile(kept[0]) || !pawnSquares(kept, length, &from, &to)) return false;
        int last = pieceTypeOfLetter(kept[length - 1]);
        if (last != NO_PIECE) promotion = last;
    }
    *move = flaggedMove(from, to, promotion);
    return true;
}

// ---------------------------------------------------------------------------
// Collecting positions

constexpr size_t ARENA_BYTES = 64u << 20;
constexpr int BLOCK_SLOTS = 20;

/// A block of a bucket's chain in the collection arena. While collecting,
/// a record's scoredDepth byte holds the move number at which the position
/// was first reached.
struct CollectBlock {
    uint32_t next;  // byte offset of the bucket's next block; 0 = none
    BookRecord slots[BLOCK_SLOTS];
};
static_assert(sizeof(CollectBlock) == 324);

struct Collection {
    uint32_t *index;   // first block of each bucket, EMPTY_BUCKET for none
    uint8_t *arena;
    uint32_t used;     // bytes of the arena handed out
};

static CollectBlock *blockAt(Collection &c, uint32_t offset) {
    return reinterpret_cast<CollectBlock *>(c.arena + offset);
}

/// A new zeroed block, or nullptr when the arena is exhausted.
static CollectBlock *newBlock(Collection &c, uint32_t *offset) {
    if (c.used + sizeof(CollectBlock) > ARENA_BYTES) return nullptr;
    *offset = c.used;
    c.used += sizeof(CollectBlock);
    return blockAt(c, *offset);
}

/// Counts the current position for a game with the given result (+1 White
/// won, -1 Black won); false when the arena is full.
static bool countPosition(Collection &c, int result) {
    uint32_t key = bookKey();
    int mover = pos.otherSide;
    int16_t outcome = int16_t(mover == WHITE ? result : -result);
    const BookRecord fresh{key, 1, outcome, uint8_t(pos.gamePly / 2), 0, 0, 0, 0};
    uint32_t *link = &c.index[bookBucket()];
    CollectBlock *block = nullptr;
    while (*link != EMPTY_BUCKET) {
        block = blockAt(c, *link);
        for (BookRecord &slot : block->slots) {
            if (slot.key == key) {
                slot.frequency++;
                slot.winLoss = int16_t(slot.winLoss + outcome);
                return true;
            }
            if (slot.key == 0) {
                slot = fresh;
                return true;
            }
        }
        link = &block->next;
        if (*link == 0) break;
    }
    uint32_t offset;
    CollectBlock *added = newBlock(c, &offset);
    if (!added) return false;
    *link = offset;
    added->slots[0] = fresh;
    return true;
}

// ---------------------------------------------------------------------------
// Reading the PGN file

constexpr size_t MOVETEXT_BYTES = 2048;
constexpr size_t TOKEN_BYTES = 9;

/// The PGN file read line by line, lines of any length whole; a line can
/// be put back to be read again.
struct PgnReader {
    FILE *file;
    std::string line;
    bool lineHeld;
};

static bool readLine(PgnReader &reader) {
    if (reader.lineHeld) {
        reader.lineHeld = false;
        return true;
    }
    reader.line.clear();
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, reader.file)) {
        reader.line += chunk;  // up to a NUL byte: a chunk that begins with one adds nothing
        if (!reader.line.empty() && reader.line.back() == '\n') return true;
    }
    return !reader.line.empty();
}

/// A Result tag line: its value decides the game's result.
static bool isResultTag(const std::string &line) { return line[0] == '[' && line.find("esult \"") != std::string::npos; }

/// Skips to the next game's Result tag; returns its result, or false at the
/// end of the file.
static bool readResult(PgnReader &reader, int *result) {
    while (readLine(reader)) {
        if (!isResultTag(reader.line)) continue;
        const char *value = reader.line.c_str() + reader.line.find("esult \"") + 7;
        *result = !std::strncmp(value, "1-0", 3) ? 1 : !std::strncmp(value, "0-1", 3) ? -1 : 0;
        return true;
    }
    return false;
}

/// Appends a movetext line, cut before "26." and so that the movetext stays
/// within its buffer (at a blank, so that no move is cut in two). Returns
/// true when the game's text is complete.
static bool appendMovetext(std::string &movetext, std::string line) {
    size_t cut = line.find("26.");
    bool complete = cut != std::string::npos;
    if (complete) line.resize(cut);
    if (line.empty() || line.back() != '\n') line += '\n';
    if (movetext.size() + line.size() > MOVETEXT_BYTES - 1) {
        line.resize(MOVETEXT_BYTES - 1 - movetext.size());
        size_t blank = line.find_last_of(" \t\r\n");
        line.resize(blank == std::string::npos ? 0 : blank);
        complete = true;
    }
    movetext += line;
    return complete;
}

/// Reads the movetext of the game whose tags were just read; false at the
/// end of the file. A game without moves ends at the next game's Result
/// tag, so that it does not take that game's moves for its own.
static bool readMovetext(PgnReader &reader, std::string &movetext) {
    movetext.clear();
    do {
        if (!readLine(reader)) return false;
        if (isResultTag(reader.line)) {
            reader.lineHeld = true;
            return true;
        }
    } while (reader.line[0] == '[' || reader.line.find("1.") == std::string::npos);
    if (appendMovetext(movetext, reader.line)) return true;
    while (readLine(reader)) {
        if (reader.line[0] == '[') {
            reader.lineHeld = true;  // the next game's tags begin here
            return true;
        }
        if (appendMovetext(movetext, reader.line)) return true;
    }
    return true;
}

static const char *skipBlanks(const char *p) {
    while (*p >= 1 && *p <= 32) p++;
    return p;
}

/// True at the end of the moves: the end of the text or a result token.
static bool endOfMoves(const char *p) {
    if (!*p || *p == '*' || *p == '#' || (p[0] == '+' && p[1] == '+')) return true;
    return p[1] == '-' || p[1] == '/';
}

/// Plays one SAN token on the board; false when it is not a legal move.
static bool playToken(const char *token) {
    Move parsed;
    if (!parseSan(token, &parsed)) return false;
    pos.ply = 0;
    if (!isGeneratedMove(parsed) || !makeMove(parsed)) return false;
    pos.ply = 0;
    return true;
}

enum class GameEnd { Done, Error, Full };

/// Replays a game's moves from the initial position and counts every
/// position reached, until the moves end, a position repeats, or a token
/// is not a legal move.
static GameEnd replayGame(Collection &c, const char *text, int result) {
    setupPosition();
    const char *p = text;
    for (;;) {
        p = skipBlanks(p);
        bool castling = !std::strncmp(p, "0-0", 3) || !std::strncmp(p, "O-O", 3);
        if (!castling) {
            if (endOfMoves(p)) return GameEnd::Done;
            if (*p >= '0' && *p <= '9') {  // a move number
                while (*p >= '0' && *p <= '9') p++;
                while (*p == '.') p++;
                continue;
            }
        }
        char token[TOKEN_BYTES];
        size_t length = 0;
        while (p[length] && !(p[length] >= 1 && p[length] <= 32)) {
            if (length + 1 >= TOKEN_BYTES) return GameEnd::Error;
            token[length] = p[length];
            length++;
        }
        token[length] = '\0';
        p += length;
        if (!playToken(token)) return GameEnd::Error;
        if (repetitionCount() != 0) return GameEnd::Done;
        if (!countPosition(c, result)) return GameEnd::Full;
    }
}

// ---------------------------------------------------------------------------
// Writing the book

/// A collected record worth keeping: seen in two games, or reached before
/// move 20.
static bool keepRecord(const BookRecord &record) { return record.frequency >= 2 || record.scoredDepth < 20; }

/// Calls `visit` for every kept record of a bucket's chain, in chain order.
template <typename Visit>
static void forKeptRecords(Collection &c, uint32_t first, Visit visit) {
    for (uint32_t offset = first;;) {
        CollectBlock *block = blockAt(c, offset);
        for (BookRecord &slot : block->slots) {
            if (slot.key == 0) break;
            if (keepRecord(slot)) visit(slot);
        }
        if (block->next == 0) return;
        offset = block->next;
    }
}

/// Writes the collection in the book format; false on a write error.
static bool writeCollection(Collection &c, FILE *file) {
    static uint32_t index[BOOK_BUCKETS];
    if (std::fseek(file, BOOK_INDEX_BYTES, SEEK_SET) != 0) return false;
    uint32_t position = uint32_t(BOOK_INDEX_BYTES);
    bool written = true;
    for (int bucket = 0; bucket < BOOK_BUCKETS; bucket++) {
        index[bucket] = EMPTY_BUCKET;
        if (c.index[bucket] == EMPTY_BUCKET) continue;
        uint32_t count = 0;
        forKeptRecords(c, c.index[bucket], [&](BookRecord &) { count++; });
        if (count == 0) continue;
        index[bucket] = position;
        written &= std::fwrite(&count, 4, 1, file) == 1;
        forKeptRecords(c, c.index[bucket], [&](BookRecord &slot) {
            BookRecord record = slot;
            record.scoredDepth = 0;
            written &= std::fwrite(&record, sizeof record, 1, file) == 1;
        });
        position += 4 + 16 * count;
    }
    if (std::fseek(file, 0, SEEK_SET) != 0) return false;
    written &= std::fwrite(index, 4, BOOK_BUCKETS, file) == size_t(BOOK_BUCKETS);
    return written && std::fflush(file) == 0;
}

/// Writes the book to a temporary file beside it and puts it in place only
/// when it is complete, so that a failed run leaves the old book intact.
static void writeBook(Collection &c) {
    const char *temporary = "QuorBook.bin.new";
    FILE *file = std::fopen(temporary, "wb+");
    if (!file) {
        print("Cannot create book file '%s'\n", BOOK_FILE_NAME);
        return;
    }
    print("Creating %s ... ", BOOK_FILE_NAME);
    flushOutput();
    bool written = writeCollection(c, file);
    written &= std::fclose(file) == 0;
    if (!written || !replaceFile(temporary, BOOK_FILE_NAME)) {
        std::remove(temporary);
        print("\nCannot create book file '%s'\n", BOOK_FILE_NAME);
        return;
    }
    print("Done!\n");
}

/// Reads every game of the file into the collection.
static void collectGames(Collection &c, FILE *pgn) {
    PgnReader reader{pgn, std::string(), false};
    std::string movetext;
    int result;
    for (int games = 1; readResult(reader, &result) && readMovetext(reader, movetext); games++) {
        print("\rProcessing game: %d ... ", games);
        flushOutput();
        GameEnd end = replayGame(c, movetext.c_str(), result);
        if (end == GameEnd::Error) print("Error processing game:\n%s\n", movetext.c_str());
        if (end == GameEnd::Full) {
            print("Game file is too big to process\n");
            return;
        }
    }
}

void createBook(const char *pgnPath) {
    FILE *pgn = std::fopen(pgnPath, "r");
    if (!pgn) {
        print("Cannot open PGN file '%s'\n", pgnPath);
        flushOutput();
        return;
    }
    Collection c{static_cast<uint32_t *>(std::malloc(BOOK_INDEX_BYTES)),
                 static_cast<uint8_t *>(std::calloc(ARENA_BYTES, 1)), 0};
    if (!c.index || !c.arena) {
        print("Not enough memory to create a book\n");
    } else {
        for (int i = 0; i < BOOK_BUCKETS; i++) c.index[i] = EMPTY_BUCKET;
        collectGames(c, pgn);
        print("Done!\n");
        writeBook(c);
    }
    std::fclose(pgn);
    std::free(c.index);
    std::free(c.arena);
    setupPosition();
    flushOutput();
}
