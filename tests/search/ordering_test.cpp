// Move ordering: completing table moves, killer and hash-move tests, the
// killer slots and the staged picker.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "board/movegen.h"
#include "board/position.h"
#include "search/ordering.h"
#include "search/state.h"
#include "tests/search/search_fixture.h"
#include "tests/support/board_helpers.h"

namespace {

class OrderingTest : public SearchTest {};

std::vector<Move> generatedMoves() {
    genAllMoves();
    std::vector<Move> moves;
    for (MoveEntry *entry = plyMovesBegin(); entry < plyMovesEnd(); entry++) moves.push_back(entry->move);
    return moves;
}

TEST_F(OrderingTest, CompleteMoveRebuildsTheGeneratorsFlags) {
    // Castling both ways, en passant, double steps, promotions with and
    // without capture, captures by every piece.
    const char *positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/Pp2P3/2N2Q1p/1PPBBPPP/R3K2R b KQkq a3",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    };
    for (const char *fen : positions) {
        setPosition(fen);
        for (Move move : generatedMoves()) {
            Move bare = move & 0x000F0FFF;
            EXPECT_EQ(completeMove(bare), move) << fen << " " << text(move);
        }
    }
}

TEST_F(OrderingTest, KillerValidity) {
    setPosition("r3k2r/pppq1ppp/2n5/3p4/3P4/2N2N2/PPP2PPP/R2QK2R w KQkq -");
    for (const char *move : {"f3e5", "a2a4", "e1g1", "d1e2"}) EXPECT_TRUE(killerIsValid(findMove(move))) << move;
    EXPECT_FALSE(killerIsValid(0));
    EXPECT_FALSE(killerIsValid(Move(59 | 32 << 6)));  // queen d1-a4 through the pawn on c2
    EXPECT_FALSE(killerIsValid(Move(59 | 31 << 6)));  // queen d1-h5 through the knight on f3
    EXPECT_FALSE(killerIsValid(Move(56 | 40 << 6)));  // rook a1-a3 through its own pawn
    EXPECT_FALSE(killerIsValid(Move(42 | 27 << 6)));  // knight onto its own pawn on d4
    EXPECT_FALSE(killerIsValid(Move(42 | 26 << 6)));  // knight c3-c4 is no knight move
    EXPECT_FALSE(killerIsValid(Move(35 | 27 << 6)));  // pawn d4-d5 is blocked
    EXPECT_FALSE(killerIsValid(Move(11 | 19 << 6)));  // a black piece on d7
    EXPECT_FALSE(killerIsValid(Move(60 | 58 << 6)));  // long castling with d1 occupied
    pos.castleRights &= ~1;
    EXPECT_FALSE(killerIsValid(Move(60 | 62 << 6 | MF_CASTLE)));  // the right is gone
}

TEST_F(OrderingTest, HashMoveSanity) {
    setPosition("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6");
    EXPECT_TRUE(hashMoveIsSane(findMove("e5f6") & 0xFFF));  // en passant
    EXPECT_FALSE(hashMoveIsSane(Move(28 | 19 << 6)));       // e5xd6 onto an empty square
    EXPECT_FALSE(hashMoveIsSane(Move(12 | 20 << 6)));       // a black pawn
    EXPECT_FALSE(hashMoveIsSane(Move(62 | 51 << 6)));       // onto the own pawn on d2
    pos.epSquare = NO_EP_SQUARE;
    EXPECT_FALSE(hashMoveIsSane(Move(28 | 21 << 6)));  // no en passant any more
    setPosition("r3k2r/8/8/8/8/8/8/R3K2R w Kq -");
    EXPECT_TRUE(hashMoveIsSane(Move(60 | 62 << 6)));
    EXPECT_FALSE(hashMoveIsSane(Move(60 | 58 << 6)));  // White may not castle long
}

TEST_F(OrderingTest, ChessNineSixtyCastlingFromTheTableAndTheKillers) {
    Chess960Game chess960Game;
    // The king on b1 castles long onto the rook on a1 and short onto h1: from
    // the table without flags, both become the generator's castling moves.
    setPosition("rk5r/8/8/8/8/8/8/RK5R w HAha -");
    Move longCastling = findMove("b1a1"), shortCastling = findMove("b1h1");
    ASSERT_TRUE(longCastling & MF_CASTLE);
    ASSERT_TRUE(shortCastling & MF_CASTLE);
    for (Move castling : {longCastling, shortCastling}) {
        EXPECT_TRUE(hashMoveIsSane(castling & 0xFFF)) << text(castling);
        EXPECT_EQ(completeMove(castling & 0xFFF), castling) << text(castling);
        EXPECT_TRUE(killerIsValid(castling)) << text(castling);
    }
    EXPECT_FALSE(hashMoveIsSane(Move(sq("a1") | sq("b1") << 6)));  // the rook onto its own king
    // A piece on f1, on the king's way to g1, shuts the short castling only.
    setPosition("rk5r/8/8/8/8/8/8/RK3N1R w HAha -");
    EXPECT_TRUE(killerIsValid(longCastling));
    EXPECT_FALSE(killerIsValid(shortCastling));
    // Without the right, a king onto its own rook is no move at all.
    setPosition("rk5r/8/8/8/8/8/8/RK5R w Hha -");
    EXPECT_FALSE(hashMoveIsSane(longCastling & 0xFFF));
    EXPECT_FALSE(killerIsValid(longCastling));
}

TEST_F(OrderingTest, KillersShiftAndIgnoreCaptures) {
    pos.ply = 3;
    updateKillers(Move(100));
    updateKillers(Move(200));
    updateKillers(Move(200));  // the same move again changes nothing
    updateKillers(Move(300) | MF_CAPTURE);
    updateKillers(Move(400) | MF_PROMO);
    EXPECT_EQ(mainThread.killers[3][0], Move(200));
    EXPECT_EQ(mainThread.killers[3][1], Move(100));
    pos.ply = 0;
}

// The staged picker, followed to its end.
std::vector<Move> pickAll(Move hashMove) {
    MovePicker picker;
    startPicker(picker, hashMove);
    std::vector<Move> moves;
    while (Move move = nextPickedMove(picker)) moves.push_back(move);
    return moves;
}

const char *STAGED_POSITION = "r3k2r/ppp2ppp/2n1bn2/3pp3/2PP4/2N1PN2/PP3PPP/R1B1KB1R w KQkq -";

TEST_F(OrderingTest, StagedPickerDeliversEveryMoveOnceInItsOrder) {
    setPosition(STAGED_POSITION);
    mainThread.killers[0][0] = findMove("h2h3");
    mainThread.killers[0][1] = findMove("a2a3");
    std::vector<Move> picked = pickAll(findMove("f1e2") & 0xFFF);
    ASSERT_GE(picked.size(), 8u);
    // The table's move; captures, most valuable victim first, pawns taking
    // before knights; the first killer; the second killer leads the quiet moves.
    std::string first;
    for (int i = 0; i < 7; i++) first += text(picked[i]) + " ";
    EXPECT_EQ(first, "f1e2 c4d5 d4e5 c3d5 f3e5 h2h3 a2a3 ");
    std::vector<Move> all = generatedMoves();
    std::sort(picked.begin(), picked.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(picked, all);
    // The first killer as the table's move is tried once.
    picked = pickAll(findMove("h2h3") & 0xFFF);
    EXPECT_EQ(text(picked[0]), "h2h3");
    EXPECT_EQ(std::count(picked.begin(), picked.end(), findMove("h2h3")), 1);
    // A table move that does not fit (a black pawn's) is left out.
    picked = pickAll(Move(12 | 20 << 6));
    EXPECT_EQ(picked.size(), generatedMoves().size());
    EXPECT_EQ(text(picked[0]), "c4d5");
}

}  // namespace
