// Making and unmaking moves: en passant, legality refusals, check states,
// and random games checked after every make and unmake.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "board/makemove.h"
#include "board/movegen.h"
#include "board/notation.h"
#include "board/position.h"
#include "tests/support/board_helpers.h"

TEST(MakeMove, DoubleStepSetsEnPassantOnlyWhenAPawnCanTakeIt) {
    setupPosition();
    ASSERT_TRUE(playMoves("e2e4"));
    EXPECT_EQ(pos.epSquare, NO_EP_SQUARE);
    setFen("4k3/8/8/8/3p4/8/4P3/4K3 w - -");
    ASSERT_TRUE(playMoves("e2e4"));
    EXPECT_EQ(pos.epSquare, sq("e3"));
    ASSERT_TRUE(playMoves("d4e3"));  // and the capture removes the e4 pawn
    EXPECT_EQ(pos.board[sq("e4")], EMPTY);
    EXPECT_EQ(positionFault(), nullptr);
}

TEST(MakeMove, EnPassantThatOpensTheKingsRowIsRefused) {
    setFen("7k/8/8/KPp4r/8/8/8/8 w - c6");
    Move capture = findMove("b5c6");
    ASSERT_NE(capture, 0u);
    EXPECT_FALSE(makeMove(capture));
    EXPECT_EQ(positionFault(), nullptr);
    EXPECT_EQ(pos.gamePly, 0);
    // Without the rook the capture is fine.
    setFen("7k/8/8/KPp5/8/8/8/8 w - c6");
    EXPECT_TRUE(makeMove(findMove("b5c6")));
}

TEST(MakeMove, PinnedPiecesStayOnThePinLine) {
    setFen("4r1k1/8/8/8/8/8/4N3/4K3 w - -");
    genAllMoves();
    int knightMoves = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if (moveFrom(entry->move) != sq("e2")) continue;
        knightMoves++;
        EXPECT_FALSE(makeMove(entry->move));
    }
    EXPECT_EQ(knightMoves, 6);

    setFen("4r1k1/8/8/8/8/8/4R3/4K3 w - -");
    Move alongFile = findMove("e2e5"), offFile = findMove("e2d2"), takePinner = findMove("e2e8");
    EXPECT_FALSE(makeMove(offFile));
    ASSERT_TRUE(makeMove(alongFile));
    unmakeMove();
    EXPECT_TRUE(makeMove(takePinner));
}

TEST(MakeMove, CastlingRefusedThroughOrOntoAttackedSquares) {
    setFen("4k3/8/b7/8/8/8/8/4K2R w K -");  // f1 attacked: generated, then refused
    ASSERT_NE(findMove("e1g1"), 0u);
    EXPECT_FALSE(makeMove(findMove("e1g1")));
    setFen("4k3/b7/8/8/8/8/8/4K2R w K -");  // g1 attacked along a7-g1
    EXPECT_FALSE(makeMove(findMove("e1g1")));
    setFen("4k3/8/8/8/4b3/8/8/R3K3 w Q -");  // only b1 attacked: allowed
    ASSERT_TRUE(makeMove(findMove("e1c1")));
    EXPECT_EQ(pos.board[sq("d1")], makePiece(WHITE, ROOK));
    EXPECT_EQ(pos.board[sq("a1")], EMPTY);
    EXPECT_EQ(pos.castleRights, 0);
    EXPECT_EQ(positionFault(), nullptr);
    setFen("4k3/8/8/8/8/8/8/4K2R w K -");
    ASSERT_TRUE(makeMove(findMove("e1g1")));
    EXPECT_EQ(pos.kingSquare[WHITE], sq("g1"));
    EXPECT_EQ(pos.board[sq("f1")], makePiece(WHITE, ROOK));
    setFen("4k3/8/8/8/8/8/8/r3K2R w K -");  // in check: no castling
    EXPECT_EQ(findMove("e1g1"), 0u);
}

TEST(MakeMove, CheckStateAfterDirectDiscoveredAndCastlingChecks) {
    struct Case { const char *fen, *move; int checkState; };
    for (Case c : {Case{"4k3/8/8/8/8/4B3/8/4R1K1 w - -", "e3d4", sq("e1")},  // uncovers the rook
                   Case{"5k2/8/8/8/8/8/8/4K2R w K -", "e1g1", sq("f1")},     // the castled rook on the f-file
                   Case{"2K1k2r/8/8/8/8/8/8/8 b k -", "e8g8", sq("f8")},     // along the rank through e8
                   Case{"4k3/1P6/8/8/8/8/8/4K3 w - -", "b7b8q", sq("b8")},  // a promoted queen
                   Case{"4k3/2b5/8/8/4N3/8/8/4R1K1 w - -", "e4d6", sq("d6") | DOUBLE_CHECK}}) {
        setFen(c.fen);
        ASSERT_TRUE(playMoves(c.move));
        EXPECT_EQ(pos.checkState[pos.gamePly], c.checkState) << c.fen;
        EXPECT_EQ(positionFault(), nullptr) << c.fen;
    }
    // In the double check, taking the knight leaves the rook's check.
    Move takeKnight = findMove("c7d6");
    EXPECT_TRUE(takeKnight == 0 || !makeMove(takeKnight));
}

TEST(MakeMove, OnlyKingMovesAnswerADoubleCheckSetUpByFen) {
    setFen("r3k3/2b5/3N4/8/8/8/8/4R1K1 b - -");
    ASSERT_EQ(pos.checkState[0], sq("d6") | DOUBLE_CHECK);
    genEvasions();
    int legal = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
        if (!makeMove(entry->move)) continue;
        legal++;
        EXPECT_EQ(pos.board[moveTo(entry->move)], makePiece(BLACK, KING));
        unmakeMove();
    }
    EXPECT_EQ(legal, 3);  // Kd8, Kf8, Kd7 (e7 and f7 stay attacked)
}

namespace {

/// Every field of the position that make/unmake maintain.
struct Snapshot {
    uint8_t board[65];
    uint8_t sideToMove, otherSide, castleRights, fiftyCount, ply;
    int8_t epSquare;
    uint64_t hashKey, occupied, sideOccupied[2], typeOccupied[2][6];
    uint32_t pawnKey;
    uint8_t pieceCount[2][6], kingSquare[2], pawnFileRanks[2][10];
    uint16_t pieceTotal;
    int16_t material[2], gamePly, checkState;

    static Snapshot take() {
        Snapshot s;
        std::memset(&s, 0, sizeof s);
        std::memcpy(s.board, pos.board, sizeof s.board);
        s.sideToMove = pos.sideToMove, s.otherSide = pos.otherSide, s.castleRights = pos.castleRights;
        s.fiftyCount = pos.fiftyCount, s.ply = pos.ply, s.epSquare = pos.epSquare;
        s.hashKey = pos.hashKey, s.occupied = pos.occupied, s.pawnKey = pos.pawnKey;
        s.sideOccupied[0] = pos.sideOccupied[0], s.sideOccupied[1] = pos.sideOccupied[1];
        std::memcpy(s.typeOccupied, pos.typeOccupied, sizeof s.typeOccupied);
        std::memcpy(s.pieceCount, pos.pieceCount, sizeof s.pieceCount);
        std::memcpy(s.kingSquare, pos.kingSquare, sizeof s.kingSquare);
        std::memcpy(s.pawnFileRanks, pos.pawnFileRanks, sizeof s.pawnFileRanks);
        s.pieceTotal = pos.pieceTotal, s.gamePly = pos.gamePly, s.checkState = pos.checkState[pos.gamePly];
        s.material[0] = pos.material[0], s.material[1] = pos.material[1];
        return s;
    }
    bool operator==(const Snapshot &other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};

struct KindsSeen {
    int castles = 0, enPassants = 0, promotions = 0, nullMoves = 0, captures = 0, plies = 0;
};

/// Plays one random game, checking the position after every make and that
/// every unmake restores it exactly; finally takes the whole game back.
void playRandomGame(std::mt19937 &random, const char *fen, KindsSeen &seen) {
    setFen(fen);
    Snapshot start = Snapshot::take();
    for (int step = 0; step < 300 && pos.gamePly < 700; step++) {
        Snapshot before = Snapshot::take();
        if (!inCheck() && random() % 12 == 0) {
            makeNullMove();
            ASSERT_EQ(positionFault(), nullptr);
            unmakeMove();
            ASSERT_TRUE(Snapshot::take() == before) << "null move not taken back exactly";
            seen.nullMoves++;
            makeNullMove();
            pos.ply = 0;  // the new position is the root of the next step
            continue;
        }
        genPositionMoves();
        std::vector<Move> legal, special;
        for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd(); entry++) {
            if (!makeMove(entry->move)) {
                ASSERT_TRUE(Snapshot::take() == before) << "a refused move changed the position";
                continue;
            }
            ASSERT_EQ(positionFault(), nullptr);
            unmakeMove();
            ASSERT_TRUE(Snapshot::take() == before) << "move not taken back exactly";
            legal.push_back(entry->move);
            if (entry->move & (MF_CASTLE | MF_EP | MF_PROMO)) special.push_back(entry->move);
        }
        if (legal.empty()) break;
        // Castling, en passant and promotions are rare in random play: take
        // one half of the times one is possible.
        Move move = !special.empty() && random() % 2 ? special[random() % special.size()] : legal[random() % legal.size()];
        ASSERT_TRUE(makeMove(move));
        pos.ply = 0;
        seen.plies++;
        seen.castles += (move & MF_CASTLE) != 0;
        seen.enPassants += (move & MF_EP) != 0;
        seen.promotions += (move & MF_PROMO) != 0;
        seen.captures += (move & MF_CAPTURE) != 0;
    }
    while (pos.gamePly > 0) {
        unmakeMove();
        pos.ply = 0;
    }
    ASSERT_TRUE(Snapshot::take() == start) << "the game was not taken back exactly";
}

/// Plays `games` random games, from each of the six starts in turn.
KindsSeen playRandomGames(const char *const (&starts)[6], int games, unsigned seed) {
    std::mt19937 random(seed);
    KindsSeen seen;
    for (int game = 0; game < games && !::testing::Test::HasFatalFailure(); game++)
        playRandomGame(random, starts[game % 6], seen);
    return seen;
}

/// Makes and takes back every move path to `depth`, and a null move before
/// the moves of each inner node not in check: every make must leave a
/// consistent position and every unmake restore it exactly, also after
/// deeper moves have put pieces on squares an earlier move left. Returns the
/// number of paths, null-move lines not counted.
uint64_t walkAndCheck(int depth) {
    if (depth == 0) return 1;
    Snapshot before = Snapshot::take();
    if (depth >= 2 && !inCheck()) {
        makeNullMove();
        walkAndCheck(depth - 1);
        unmakeMove();
        if (!(Snapshot::take() == before)) ADD_FAILURE() << "null move not taken back exactly";
    }
    genPositionMoves();
    uint64_t paths = 0;
    for (MoveEntry *entry = plyMovesBegin(); entry != plyMovesEnd() && !::testing::Test::HasFailure(); entry++) {
        if (!makeMove(entry->move)) continue;
        if (const char *fault = positionFault()) ADD_FAILURE() << fault << " after " << moveToText(entry->move);
        paths += walkAndCheck(depth - 1);
        unmakeMove();
        if (!(Snapshot::take() == before)) ADD_FAILURE() << moveToText(entry->move) << " not taken back exactly";
    }
    return paths;
}

}  // namespace

// The path counts are Debian's stockfish 15.1 ("go perft 3").
TEST(MakeMove, TreeWalksRestoreEveryLevel) {
    struct WalkCase {
        const char *fen;
        uint64_t paths;
    };
    const WalkCase cases[] = {
        {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", 97862},  // castling, captures
        {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", 2812},                               // en passant
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", 9467},       // promotions with capture
        {"r3k2r/8/8/2pPp3/8/8/8/R3K2R w KQkq c6", 16781},                              // en passant beside castling
    };
    for (const WalkCase &c : cases) {
        setFen(c.fen);
        EXPECT_EQ(walkAndCheck(3), c.paths) << c.fen;
    }
    Chess960Game chess960Game;
    setFen("2rk2r1/pp3ppp/8/8/8/8/PP3PPP/2RK2R1 w GCgc - 0 1");  // king and rook swap squares
    EXPECT_EQ(walkAndCheck(3), 15943u);
}

TEST(MakeMove, RandomGamesKeepThePositionConsistent) {
    const char *starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "8/PPPk4/8/8/8/8/4Kppp/8 w - -",
        "r3k2r/8/8/2pPp3/8/8/8/R3K2R w KQkq c6",
        "rnbqkbnr/p1p1p1p1/8/1P1P1P1P/p1p1p1p1/8/P1P1P1P1/RNBQKBNR b KQkq -",
    };
    KindsSeen seen = playRandomGames(starts, 40, 20261206);
    if (HasFatalFailure()) return;
    EXPECT_GT(seen.plies, 4000);
    EXPECT_GT(seen.castles, 10);
    EXPECT_GT(seen.enPassants, 3);
    EXPECT_GT(seen.promotions, 20);
    EXPECT_GT(seen.nullMoves, 100);
    EXPECT_GT(seen.captures, 500);
}

TEST(MakeMove, RandomChess960GamesKeepThePositionConsistent) {
    Chess960Game chess960Game;
    const char *starts[] = {
        "nrbqkbrn/pppppppp/8/8/8/8/PPPPPPPP/NRBQKBRN w KQkq -",
        "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq -",
        "rkrnnqbb/pppppppp/8/8/8/8/PPPPPPPP/RKRNNQBB w KQkq -",
        "1r4kr/p4ppp/8/8/8/8/P4PPP/1R4KR w HBhb -",
        "2rk2r1/pp3ppp/8/8/8/8/PP3PPP/2RK2R1 w GCgc -",
        "rk5r/pp4pp/8/8/8/8/PP4PP/RK5R w HAha -",
    };
    KindsSeen seen = playRandomGames(starts, 30, 20261207);
    if (HasFatalFailure()) return;
    EXPECT_GT(seen.plies, 3000);
    EXPECT_GT(seen.castles, 20);
}
