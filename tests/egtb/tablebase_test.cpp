// Probing tables the tests write themselves: files of the recorded length
// whose bytes make the expected value easy to work out by hand.
#include "egtb/tablebase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "board/position.h"
#include "egtb/nalimov.h"
#include "egtb/verify.h"
#include "engine/settings.h"
#include "tests/support/board_helpers.h"
#include "tests/support/capture.h"
#include "tests/support/scratch_dir.h"

namespace {

const char *KQK = "8/8/8/8/8/8/Q7/K1k5 w - - 0 1";  // kqk index 6

int tableNumber(const char *name) {
    nalimovSetup();
    return nalimovTableNumber(name);
}

uint64_t countOf(const char *name, int side) { return tbTables[tableNumber(name)].count[side]; }

TEST(TablebaseValues, EachValueClassScoredAtPlyZeroAndFive) {
    // A win in n moves scores 10000 - 2n, a loss in n moves 2n - 10000,
    // both moved by the ply; the rest follows the 16-bit wrap-around.
    struct Case { int8_t byte; int32_t value; int16_t atZero, atFive; };
    const Case cases[] = {
        {0, 0, 0, 0},                  // draw
        {-128, 32640, 9746, 9741},     // the longest one-byte win
        {-127, -32640, -9748, -9743},  // the longest one-byte loss
    };
    for (const Case &c : cases) {
        EXPECT_EQ(tbValueForByte(c.byte), c.value) << int(c.byte);
        EXPECT_EQ(std::pair(tbScoreForValue(c.value, 0), tbScoreForValue(c.value, 5)), std::pair(c.atZero, c.atFive)) << c.value;
    }
    // A small 16-bit value (wide tables) is taken as it stands.
    EXPECT_EQ(std::pair(tbScoreForValue(100, 0), tbScoreForValue(100, 5)), (std::pair<int16_t, int16_t>(10202, 10197)));
    EXPECT_EQ(tbValueForByte(127), 32767);  // unavailable
}

class TablebaseFiles : public ::testing::Test {
protected:
    ScratchDirectory scratch;

    void SetUp() override {
        makeScratchDirectory(scratch, "egtb", true);
        startCapture();
        options.optionFlags = OPT_XBOARD;
        options.egtbCacheMB = 1;
        tbVerify = false;
    }

    void TearDown() override {
        tbRelease();
        tbVerify = true;
        stopCapture();
        removeScratchDirectory(scratch);
    }

    /// The path the engine gives a file of the directory.
    std::string inDir(const char *name) { return (std::filesystem::path(scratch.path) / name).string(); }

    void write(const std::string &name, const std::string &bytes) { writeScratchFile(scratch, name, bytes); }

    /// A file of the table side's recorded length with every byte `byte`.
    void fill(const std::string &folder, const char *table, int side, int byte) {
        write(folder + table + (side ? ".nbb" : ".nbw"), std::string(countOf(table, side), char(byte)));
    }

    int8_t start(const std::string &path) {
        std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", path.c_str());
        tbState = -1;
        return tbInit();
    }

    /// The probe of a FEN position at `ply`: the score, or "not found".
    std::string probe(const char *fen, int ply = 0) {
        setFen(fen);
        pos.ply = uint8_t(ply);
        int16_t score;
        return tbProbe(&score) ? std::to_string(score) : "not found";
    }
};

TEST_F(TablebaseFiles, ProbeReadsTheByteAtThePositionsIndexInTheFileOfTheSideToMove) {
    // kqk: byte i of the white file is i % 120 + 1, of the black file its negation.
    for (int side = 0; side < 2; side++) {
        std::string bytes(countOf("kqk", side), '\0');
        for (size_t i = 0; i < bytes.size(); i++) bytes[i] = char((side ? -1 : 1) * int(i % 120 + 1));
        write(side ? "kqk.nbb" : "kqk.nbw", bytes);
    }
    fill("", "kpk", 0, 90);
    fill("", "kpk", 1, -90);
    fill("", "knkn", 0, 50);  // symmetric: one file for both sides
    write("krk.nbw", std::string(countOf("krk", 0) - 1, char(30)));  // one byte short
    fill("", "krk", 1, -30);
    // kpkp: the second half of each file holds the en-passant positions.
    uint64_t half = countOf("kpkp", 1) / 2;
    write("kpkp.nbb", std::string(half, char(10)) + std::string(half, char(20)));
    write("kpkp.nbw", std::string(half, char(30)) + std::string(half, char(40)));
    ASSERT_EQ(start(scratch.path), 4);
    EXPECT_EQ(readCapture(), "*** " + inDir("krk.nbw") + " corrupted\n");
    struct Case { const char *fen; int ply; const char *score; };
    const Case cases[] = {
        // Kings a1 and c1 are the first king pair; the queen on a2 is the
        // seventh free square (a1 and c1 squeezed out): index 6, byte 7. The
        // same position with colours exchanged.
        {KQK, 0, "9760"},
        {"k1K5/q7/8/8/8/8/8/8 b - - 0 1", 0, "9760"},
        // Queen on d1, the second free square: index 1, byte -2 in the black file.
        {"8/8/8/8/8/8/8/K1kQ4 b - - 0 1", 0, "-9752"},
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 0, "9926"},   // white pawn, white to move
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 5, "9921"},   // five plies into the search
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", 0, "-9928"},  // white pawn, black to move
        {"4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", 0, "9926"},   // black pawn: the stronger side is to move
        {"4k1n1/8/8/8/8/8/8/1N2K3 w - - 0 1", 0, "9846"},
        {"4k1n1/8/8/8/8/8/8/1N2K3 b - - 0 1", 0, "9846"},
        {"8/8/8/4k3/8/8/8/K6R w - - 0 1", 0, "not found"},          // the short file is left out
        {"8/8/8/4k3/8/8/8/K6R b - - 0 1", 0, "-9808"},              // but not the other side's
        {"4k1n1/3p4/8/8/8/8/8/KBB5 w - - 0 1", 0, "not found"},     // kbbknp: no such table
        {"8/8/8/8/3pP3/8/8/K6k b - e3 0 1", 0, "9786"},             // dxe3 possible
        {"8/8/8/p7/4P3/8/8/K6k b - e3 0 1", 0, "9766"},             // no pawn can use e3
        {"k6K/8/8/3Pp3/8/8/8/8 w - e6 0 1", 0, "9826"},             // white to take: the white file
    };
    for (const Case &c : cases) EXPECT_EQ(probe(c.fen, c.ply), c.score) << c.fen << " ply " << c.ply;
}

TEST_F(TablebaseFiles, WideTablesJoinTwoBytesAndKppkpHasSpecialIndicesWithBlackToMove) {
    // krnknn: index 5000 holds 0x34 0xFF, index 5001 0x10 0x7F (low byte first).
    write("krnknn.nbw", std::string(10000, '\0') + "\x34\xFF\x10\x7F");
    // kppkp: files of the full length, all zero.
    for (int side = 0; side < 2; side++) {
        write(side ? "kppkp.nbb" : "kppkp.nbw", "");
        std::filesystem::resize_file(side ? "kppkp.nbb" : "kppkp.nbw", countOf("kppkp", side));
    }
    ASSERT_EQ(start(scratch.path), 6);
    int wide = tableNumber("krnknn"), kppkp = tableNumber("kppkp");
    EXPECT_EQ(tbTableValue(wide, 0, 5000), -1 * 256 + 0x34);
    EXPECT_EQ(tbTableValue(wide, 0, 5001), 0x7F * 256 + 0x10);
    EXPECT_EQ(tbTableValue(wide, 0, 5002), 32767);  // past the end of the file
    EXPECT_EQ(tbTableValue(wide, 1, 5000), 32767);  // no black file
    for (uint64_t index : {0x362BC7C, 0x362DE44, 0x3637648, 0x3639810, 0x38D4F29, 0x40A2CAB, 0x43C778C})
        EXPECT_EQ(tbTableValue(kppkp, 1, index), -32639) << index;
    EXPECT_EQ(tbTableValue(kppkp, 1, 0x362BC7D), 0);
    EXPECT_EQ(tbTableValue(kppkp, 0, 0x362BC7C), 0);  // white to move: the byte itself
}

TEST_F(TablebaseFiles, PathElementsInOrderFirstDirectoryWins) {
    ASSERT_TRUE(std::filesystem::create_directory("a"));
    ASSERT_TRUE(std::filesystem::create_directory("b"));
    fill("", "kqk", 0, 90);
    fill("a/", "kqk", 0, 30);
    fill("b/", "kqk", 0, 60);
    const std::string dir = scratch.path;
    const std::pair<std::string, const char *> cases[] = {
        {dir + "/a/;" + dir + "/b", "9806"},
        {dir + "/b\\," + dir + "/a", "9866"},
        {std::string(240, 'x') + ";b", "9866"},  // too long: skipped
        {"/no/such/quor/directory;;", "9926"},   // empty: the current directory
    };
    for (const auto &[path, score] : cases) {
        ASSERT_EQ(start(path), 3) << path;
        EXPECT_EQ(probe(KQK), score) << path;
    }
    options.egtbCacheMB = 0;  // no cache: nothing can be read
    ASSERT_EQ(start(dir), 3);
    EXPECT_EQ(probe(KQK), "not found");
}

TEST_F(TablebaseFiles, CacheKeepsBlocksAndEvictsTheLeastRecentlyUsed) {
    // A one-megabyte cache holds 126 blocks of 8192 values (8260 bytes each).
    std::string bytes(countOf("kqkr", 0), '\0');
    for (size_t i = 0; i < bytes.size(); i++) bytes[i] = char(i / 8192 % 100 + 1);
    write("kqkr.nbw", bytes);
    ASSERT_EQ(start(scratch.path), 4);
    int table = tableNumber("kqkr");
    auto read = [table](uint64_t block) { return tbTableValue(table, 0, block * 8192 + 17); };
    uint32_t reads = tbStats.blockReads;
    for (uint64_t block = 0; block < 126; block++) ASSERT_EQ(read(block), int32_t(block % 100 + 1 + 32640));
    // Block 0 is held; block 126 evicts block 1, the least recently used;
    // 0 and 2 are still held, 1 is read again. The reads so far after each.
    for (auto [block, total] : {std::pair{0u, 126u}, {126u, 127u}, {0u, 127u}, {2u, 127u}, {1u, 128u}}) {
        EXPECT_EQ(read(block), int32_t(block % 100 + 1 + 32640)) << block;
        EXPECT_EQ(tbStats.blockReads - reads, total) << block;
    }
}

/// A compressed-file header: banner line, lengths, fields and a CRC-32.
std::string compressedHeader(int blockShift, uint32_t marker, bool goodBanner, bool goodCrc) {
    std::string h(58, 'Q');
    h += goodBanner ? "\r\n" : "\rx";
    h.resize(96);
    auto putBig = [&h](int at, uint32_t v) {
        for (int i = 0; i < 4; i++) h[at + i] = char(v >> (24 - 8 * i));
    };
    putBig(64, 96);
    h[70] = char(blockShift);
    h[71] = 24;
    putBig(72, 3);
    putBig(76, marker);
    uint32_t crc = 0xFFFFFFFFu;
    for (int i = 0; i < 92; i++) {
        crc ^= uint8_t(h[i]);
        for (int k = 0; k < 8; k++) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    putBig(92, (crc ^ 0xFFFFFFFFu) ^ (goodCrc ? 0 : 1));
    return h;
}

TEST_F(TablebaseFiles, CompressedFilesAreRecognisedButNotRegistered) {
    struct Case { const char *file; std::string header; const char *before, *after; };  // the message around the path
    const Case cases[] = {
        {"krk.nbw.emd", compressedHeader(13, 0x004001F5, true, true), "", ": compressed table blocks cannot be decoded by this engine"},
        {"krk_nbb.emd", compressedHeader(13, 0x004001F6, true, true), "*** Unable to read ", " - file broken"},
        {"kbknbw.emd", compressedHeader(13, 0x004001F5, false, true), "*** Unable to read ", " - read error"},
        {"kbknbb.emd", compressedHeader(13, 0x004001F5, true, false), "*** Unable to read ", " - file broken"},
        {"knk.nbw.emd", compressedHeader(12, 0x004001F5, true, true), "*** ", ": Unsupported block size 4096"},
    };
    for (const Case &c : cases) write(c.file, c.header);
    EXPECT_EQ(start(scratch.path), 0);
    std::string text = readCapture();
    for (const Case &c : cases)
        EXPECT_NE(text.find(c.before + inDir(c.file) + c.after + "\n"), std::string::npos) << c.file << "\n" << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

TEST_F(TablebaseFiles, CheckAgainstProvenPositionsRefusesWrongTablesOnly) {
    tbVerify = true;
    fill("", "kqk", 0, 0);  // every position a draw: mates in one disagree
    EXPECT_EQ(start(scratch.path), 0);
    EXPECT_EQ(readCapture(), inDir("kqk.nbw") + " does not match this engine's tablebase indexing\n");
    // A draw everywhere except at the proven mates in one, which hold 126.
    static TbProvenPosition proven[12];
    int count = tbProvenPositions(tableNumber("kqk"), WHITE, proven, 12);
    ASSERT_GT(count, 0);
    std::string bytes(countOf("kqk", 0), '\0');
    for (int i = 0; i < count; i++) {
        setFen(proven[i].fen);
        ASSERT_EQ(proven[i].value, 32766) << "white can only mate: " << proven[i].fen;
        TbPieceList lists[2];
        for (int square = 0; square < 64; square++)
            if (pos.board[square] != EMPTY)
                lists[pieceSide(pos.board[square])][pieceType(pos.board[square]) == KING ? 15 : QUEEN * 3] = square ^ 56;
        bytes[nalimovIndex(tableNumber("kqk"), WHITE, lists[WHITE], lists[BLACK], TB_NO_EP, false)] = char(126);
    }
    write("kqk.nbw", bytes);
    EXPECT_EQ(start(scratch.path), 3);
    EXPECT_EQ(probe(proven[0].fen), "9998");
}

}  // namespace
