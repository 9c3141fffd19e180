// Syzygy tablebases through Fathom (tbprobe.h). Fathom keeps one set of
// tables for the whole program; this file is its only user.
//
// Threads: Fathom opens and decodes a table at the first probe that needs
// it, and Debian builds it without locks, so two search threads meeting a
// table for the first time together would both set it up at once. Loading
// therefore opens every win/draw/loss table of the path in the loading
// thread (prepareTables), before any search thread can probe; after that a
// probe only reads. The distance tables are probed only at the root and by
// the console, never while helper threads search.
#include "egtb/syzygy.h"

#include <tbprobe.h>

#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/notation.h"
#include "board/position.h"
#include "board/repetition.h"
#include "board/tables.h"
#include "engine/files.h"
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"

static_assert(EVAL_LIMIT < TB_WIN_SCORE - MAX_PLY && TB_WIN_SCORE < MATE_REPORT, "the tablebase band lies between the "
              "evaluation and the mate scores");

SyzygyTables syzygy = {"", "", 7, 0, false, false, SYZYGY_DRAW, 0, {}};
constinit thread_local uint64_t syzygyHits = 0;

// Fathom's root ranking, too large for the stack.
static TbRootMoves rankedMoves;

/// The bitboard that holds pieces of a type.
static uint64_t *pieceBoard(SyzygyPosition *out, int type) {
    switch (type) {
        case PAWN: return &out->pawns;
        case KNIGHT: return &out->knights;
        case BISHOP: return &out->bishops;
        case ROOK: return &out->rooks;
        case QUEEN: return &out->queens;
        default: return &out->kings;
    }
}

/// The en-passant square in Fathom's numbering when a pawn that has just
/// advanced two squares stands in front of it, else 0.
static unsigned fathomEpSquare() {
    int ep = pos.epSquare;
    if (ep < 0 || ep >= 64) return 0;
    bool whiteToMove = pos.sideToMove == WHITE;
    int passed = whiteToMove ? ep + 8 : ep - 8;  // the pawn that advanced
    if (row(ep) != (whiteToMove ? 2 : 5)) return 0;
    if (pos.board[passed] != makePiece(pos.otherSide, PAWN)) return 0;
    return unsigned(fathomSquare(ep));
}

bool syzygyPosition(SyzygyPosition *out) {
    *out = SyzygyPosition{};
    if (pos.pieceCount[WHITE][KING] != 1 || pos.pieceCount[BLACK][KING] != 1) return false;
    for (uint64_t rest = pos.occupied; rest;) {
        int square = lowestSquareOf(rest);
        rest &= squareClear[square];
        uint8_t piece = pos.board[square];
        int type = pieceType(piece);
        if (type == PAWN && (row(square) == 0 || row(square) == 7)) return false;
        uint64_t bit = uint64_t(1) << fathomSquare(square);
        *pieceBoard(out, type) |= bit;
        (pieceSide(piece) == WHITE ? out->white : out->black) |= bit;
    }
    if (findAttacker(pos.kingSquare[pos.otherSide], pos.sideToMove) < 64) return false;
    out->castling = pos.castleRights;  // the same four bits as Fathom's
    out->ep = fathomEpSquare();
    out->rule50 = pos.fiftyCount;
    out->whiteToMove = pos.sideToMove == WHITE;
    return true;
}

/// The first folder of the path that is missing or no folder, and why;
/// nullptr when all are folders.
static const char *pathProblem(const char *path, char (&folder)[SYZYGY_PATH_SIZE]) {
    return listedFolderProblem(path, FOLDER_LIST_SEPARATOR, folder, sizeof folder);
}

// ---------------------------------------------------------------------------
// Preparing the tables

/// The men of a table named like "KRPvKB.rtbw" as one text, White's in upper
/// case and Black's in lower case ("KRPkb"); false for any other name.
static bool tableMen(const char *name, char men[8]) {
    const char *dot = std::strrchr(name, '.');
    if (!dot || std::strcmp(dot, ".rtbw") != 0) return false;
    int count = 0, kings = 0;
    bool black = false;
    for (const char *c = name; c < dot; c++) {
        if (*c == 'v' && !black) {
            black = true;
            continue;
        }
        if (!std::strchr("KQRBNP", *c) || count == 7) return false;
        kings += *c == 'K';
        men[count++] = black ? char(*c + 32) : *c;
    }
    men[count] = '\0';
    return black && kings == 2 && men[0] == 'K';
}

/// A pseudo-random number for placing men.
static uint32_t nextRandom(uint32_t &state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

/// Sets up the men at random squares (pawns off the end rows) with `side`
/// to move; true when the position is playable and the side to move can
/// capture nothing, so that only the table itself can answer a probe.
static bool placeMen(const char *men, int side, uint32_t &state) {
    char board[64] = {};
    for (const char *man = men; *man; man++) {
        int square;
        bool pawn = *man == 'P' || *man == 'p';
        do square = int(nextRandom(state) % 64);
        while (board[square] || (pawn && (row(square) == 0 || row(square) == 7)));
        board[square] = *man;
    }
    char fen[100], *out = fen;
    for (int square = 0; square < 64; square++) {
        if (board[square]) *out++ = board[square];
        else if (column(square) != 0 && !board[square - 1]) out[-1]++;  // one more empty square in the run
        else *out++ = '1';
        if (column(square) == 7 && square < 63) *out++ = '/';
    }
    std::snprintf(out, size_t(fen + sizeof fen - out), " %c - -", side == WHITE ? 'w' : 'b');
    if (!readFen(fen)) return false;
    for (uint64_t rest = pos.sideOccupied[pos.otherSide]; rest;) {
        int square = lowestSquareOf(rest);
        rest &= squareClear[square];
        if (findAttacker(square, pos.sideToMove) < 64) return false;
    }
    return true;
}

/// The win/draw/loss value of a position handed to Fathom, for a fresh
/// fifty-move count (which is what the win/draw/loss tables assume).
static unsigned probeWdl(const SyzygyPosition &p) {
    return tb_probe_wdl(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns, 0, 0, p.ep,
                        p.whiteToMove);
}

/// Makes Fathom open and decode one table: a probe with each side to move
/// of a position that no capture answers.
static void prepareTable(const char *men) {
    for (int side : {WHITE, BLACK}) {
        uint32_t state = 1;
        SyzygyPosition p;
        for (int attempt = 0; attempt < 10000; attempt++) {
            if (!placeMen(men, side, state) || !syzygyPosition(&p)) continue;
            probeWdl(p);
            break;
        }
    }
}

/// Opens the table of a folder entry's name when it has at most
/// *context men.
static void prepareEntry(const char *name, void *context) {
    char men[8];
    if (tableMen(name, men) && int(std::strlen(men)) <= *static_cast<int *>(context)) prepareTable(men);
}

/// Opens every win/draw/loss table of up to `largest` men in the folders
/// of `path`; the position is left as it was.
static void prepareTables(const char *path, int largest) {
    static Position saved;  // too large for the stack
    saved = pos;
    char folder[SYZYGY_PATH_SIZE];
    for (const char *element = path; *element;) {
        size_t length = std::strcspn(element, FOLDER_LIST_SEPARATOR);
        std::snprintf(folder, sizeof folder, "%.*s", int(length), element);
        if (length > 0) listFolder(folder, prepareEntry, &largest);
        element += length;
        if (*element) element++;
    }
    pos = saved;
}

/// `path` without its empty folders (a leading, doubled or trailing
/// separator): Fathom counts an empty folder at the end of the path and
/// then reads past the end of its copy of the path to find it.
static void dropEmptyFolders(const char *path, char cleaned[SYZYGY_PATH_SIZE]) {
    cleaned[0] = '\0';
    for (const char *element = path; *element;) {
        size_t length = std::strcspn(element, FOLDER_LIST_SEPARATOR);
        if (length > 0) {
            if (cleaned[0]) std::strcat(cleaned, FOLDER_LIST_SEPARATOR);
            std::strncat(cleaned, element, length);
        }
        element += length;
        if (*element) element++;
    }
}

/// Runs Fathom's initialisation and prepares the tables with standard output
/// and error silenced: Fathom prints its own notes about damaged files
/// there, which would reach the interface outside the engine's output path.
/// Returns the men of the largest table found, 0 for none.
static int silentLoad(const char *givenPath) {
    char path[SYZYGY_PATH_SIZE];
    dropEmptyFolders(givenPath, path);
    silenceStandardOutput();
    int largest = tb_init(path) ? int(TB_LARGEST) : 0;
    prepareTables(path, largest);
    restoreStandardOutput();
    return largest;
}

SyzygyLoad syzygyLoad() {
    if (!std::strcmp(syzygy.path, syzygy.loadedPath)) return SyzygyLoad::Unchanged;
    std::memcpy(syzygy.loadedPath, syzygy.path, sizeof syzygy.loadedPath);
    syzygy.largest = 0;
    syzygy.rootFilter = syzygy.rootDrawn = false;
    if (!syzygy.path[0]) return SyzygyLoad::Off;
    char folder[SYZYGY_PATH_SIZE];
    if (pathProblem(syzygy.path, folder)) return SyzygyLoad::MissingDirectory;  // reported when it was set
    // Fathom's release routine cannot be called twice; a new initialisation
    // replaces the tables it holds, so it is never called.
    syzygy.largest = silentLoad(syzygy.path);
    if (uciMode()) reply("info string Syzygy tablebases: %d men\n", syzygy.largest);
    return SyzygyLoad::Loaded;
}

void syzygySetPath(const char *text) {
    while (*text == ' ' || *text == '\t') text++;
    size_t length = std::strcspn(text, "\r\n");
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t')) length--;
    if (length >= sizeof syzygy.path) length = sizeof syzygy.path - 1;
    char path[SYZYGY_PATH_SIZE], folder[SYZYGY_PATH_SIZE];
    std::memcpy(path, text, length);
    path[length] = '\0';
    // A folder that cannot be used is reported at once, even during a search,
    // and only when the path changes. xboard sends its default "egtpath
    // syzygy /EGT/Syzygy" at start-up and takes any line saying "not found"
    // for an engine that failed to start.
    const char *problem = pathProblem(path, folder);
    if (problem && std::strcmp(path, syzygy.path) != 0) notice("Syzygy path %s %s", folder, problem);
    std::memcpy(syzygy.path, path, sizeof path);
    if (!searching) syzygyLoad();
}

int16_t syzygyScore(unsigned wdl, int ply) {
    if (wdl == SYZYGY_WIN) return int16_t(TB_WIN_SCORE - ply);
    if (wdl == SYZYGY_LOSS) return int16_t(ply - TB_WIN_SCORE);
    return 0;
}

bool syzygyProbeWdl(int16_t *score) {
    SyzygyPosition p;
    if (!syzygyPosition(&p) || p.castling) return false;
    unsigned wdl = probeWdl(p);
    if (wdl == TB_RESULT_FAILED) return false;
    syzygyHits++;
    *score = syzygyScore(wdl, pos.ply);
    return true;
}

bool syzygyProbeDtz(unsigned *wdl, unsigned *dtz) {
    SyzygyPosition p;
    if (syzygy.largest == 0 || int(pos.pieceTotal) > syzygy.largest || !syzygyPosition(&p) || p.castling)
        return false;
    unsigned result = tb_probe_root(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns,
                                    p.rule50, 0, p.ep, p.whiteToMove, nullptr);
    if (result == TB_RESULT_FAILED) return false;
    if (result == TB_RESULT_CHECKMATE || result == TB_RESULT_STALEMATE) {
        *wdl = result == TB_RESULT_CHECKMATE ? SYZYGY_LOSS : SYZYGY_DRAW;
        *dtz = 0;
        return true;
    }
    *wdl = TB_GET_WDL(result);
    *dtz = TB_GET_DTZ(result);
    return true;
}

/// The engine's move bits (from, to, promotion type) of a Fathom move.
static Move engineMove(TbMove move) {
    static constexpr int PROMOTION_TYPE[5] = {0, QUEEN, ROOK, BISHOP, KNIGHT};
    int from = fathomSquare(TB_MOVE_FROM(move)), to = fathomSquare(TB_MOVE_TO(move));
    unsigned promotes = TB_MOVE_PROMOTES(move);
    return Move(from | to << 6 | (promotes < 5 ? PROMOTION_TYPE[promotes] : 0) << 16);
}

/// The part of a move that names it: from, to and promotion type.
static Move moveName(Move move) { return move & 0xF0FFF; }

void syzygyRankRootMoves() {
    syzygy.rootFilter = syzygy.rootDrawn = false;
    SyzygyPosition p;
    if (int(pos.pieceTotal) > syzygySearchMen() || !syzygyPosition(&p) || p.castling) return;
    bool repeated = repetitionCount() > 0;
    int ranked = tb_probe_root_dtz(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns,
                                   p.rule50, 0, p.ep, p.whiteToMove, repeated, true, &rankedMoves);
    if (!ranked)  // without the distance tables, rank by win/draw/loss
        ranked = tb_probe_root_wdl(p.white, p.black, p.kings, p.queens, p.rooks, p.bishops, p.knights, p.pawns,
                                   p.rule50, 0, p.ep, p.whiteToMove, true, &rankedMoves);
    if (!ranked || rankedMoves.size == 0) return;
    int32_t bestRank = rankedMoves.moves[0].tbRank;
    for (unsigned i = 1; i < rankedMoves.size; i++)
        if (rankedMoves.moves[i].tbRank > bestRank) bestRank = rankedMoves.moves[i].tbRank;
    syzygy.rootMoveCount = 0;
    for (unsigned i = 0; i < rankedMoves.size && syzygy.rootMoveCount < SYZYGY_MAX_ROOT_MOVES; i++)
        if (rankedMoves.moves[i].tbRank == bestRank)
            syzygy.rootMoves[syzygy.rootMoveCount++] = engineMove(rankedMoves.moves[i].move);
    syzygy.rootFilter = true;
    unsigned dtz;
    bool distances = syzygyProbeDtz(&syzygy.rootWdl, &dtz);
    syzygy.rootDrawn = distances && syzygy.rootWdl == SYZYGY_DRAW;
    if (!distances) syzygy.rootWdl = probeWdl(p);  // above SYZYGY_WIN when not found
    syzygyHits++;
}

bool syzygyRootAllows(Move move) {
    if (!syzygy.rootFilter) return true;
    for (int i = 0; i < syzygy.rootMoveCount; i++)
        if (syzygy.rootMoves[i] == moveName(move)) return true;
    return false;
}
