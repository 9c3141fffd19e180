// Probing tables the tests write themselves: files of the recorded length
// whose bytes make the expected value easy to work out by hand.
#include "egtb/tablebase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "board/position.h"
#include "egtb/nalimov.h"
#include "egtb/verify.h"
#include "engine/output.h"
#include "engine/settings.h"
#include "tests/support/board_helpers.h"
#include "tests/support/scratch_dir.h"

namespace {

const char *KQK = "8/8/8/8/8/8/Q7/K1k5 w - - 0 1";  // kqk index 6

int tableNumber(const char *name) {
    nalimovSetup();
    return nalimovTableNumber(name);
}

uint64_t countOf(const char *name, int side) { return tbTables[tableNumber(name)].count[side]; }

/// The kqk index of the current position (white has the queen).
uint64_t kqkIndex() {
    TbPieceList lists[2];
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY) continue;
        lists[pieceSide(code)][pieceType(code) == KING ? 15 : QUEEN * 3] = square ^ 56;
    }
    return nalimovIndex(tableNumber("kqk"), pos.sideToMove, lists[WHITE], lists[BLACK], TB_NO_EP, false);
}

class TablebaseFiles : public ::testing::Test {
protected:
    ScratchDirectory scratch;
    std::string dir;
    std::filesystem::path previous;
    FILE *capture = nullptr;

    void SetUp() override {
        makeScratchDirectory(scratch, "egtb", false);
        dir = scratch.path;
        previous = std::filesystem::current_path();
        capture = std::tmpfile();
        outputStream = capture;
        options.optionFlags = OPT_XBOARD;
        options.egtbCacheMB = 1;
        tbVerify = false;
    }

    void TearDown() override {
        tbRelease();
        tbVerify = true;
        outputStream = stdout;
        std::fclose(capture);
        std::filesystem::current_path(previous);
        removeScratchDirectory(scratch);
    }

    /// The path the engine gives a file of the directory.
    std::string inDir(const char *name) { return (std::filesystem::path(dir) / name).string(); }

    /// Writes a file of `length` bytes, byte i being fill(i).
    void writeTable(const std::string &name, uint64_t length, const std::function<int(uint64_t)> &fill) {
        FILE *file = std::fopen((dir + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        for (uint64_t i = 0; i < length; i++) std::fputc(fill(i) & 0xFF, file);
        std::fclose(file);
    }

    /// A file of the table's full length with every byte `byte`.
    void constantTable(const std::string &name, int side, int byte) {
        std::string table = name.substr(name.rfind('/') + 1);
        table = table.substr(0, table.find('.'));
        writeTable(name, countOf(table.c_str(), side), [byte](uint64_t) { return byte; });
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

    std::string output() {
        std::fflush(capture);
        std::rewind(capture);
        std::string text;
        for (int c; (c = std::fgetc(capture)) != EOF;) text += char(c);
        return text;
    }
};

TEST(TablebaseValues, EachValueClassScoredAtPlyZeroAndFive) {
    // A win in n moves scores 10000 - 2n, a loss in n moves 2n - 10000,
    // both moved by the ply; the rest follows the 16-bit wrap-around.
    const int NO_BYTE = 1000;
    struct Case {
        int byte;
        int32_t value;
        int16_t atZero, atFive;
    };
    const Case cases[] = {
        {0, 0, 0, 0},                     // draw
        {126, 32766, 9998, 9993},         // mate in one
        {1, 32641, 9748, 9743},           // the longest one-byte win
        {-128, 32640, 9746, 9741},        //
        {-126, -32766, -10000, -9995},    // mated now
        {NO_BYTE, -32765, -9998, -9993},  // mated in one
        {-1, -32641, -9750, -9745},       //
        {-127, -32640, -9748, -9743},     //
        {NO_BYTE, -32639, -9746, -9741},  // the special "kppkp" entries
        {NO_BYTE, 100, 10202, 10197},     // a small 16-bit value, unchanged
        {NO_BYTE, -100, -10204, -10199},
    };
    for (const Case &c : cases) {
        if (c.byte != NO_BYTE) {
            EXPECT_EQ(tbValueForByte(int8_t(c.byte)), c.value) << c.byte;
        }
        EXPECT_EQ(tbScoreForValue(c.value, 0), c.atZero) << c.value;
        EXPECT_EQ(tbScoreForValue(c.value, 5), c.atFive) << c.value;
    }
    EXPECT_EQ(tbValueForByte(127), 32767);  // unavailable
}

TEST_F(TablebaseFiles, IndexEncodedInTheBytesFindsThePosition) {
    // Byte i of the white file is i % 120 + 1, of the black file its negation.
    writeTable("kqk.nbw", countOf("kqk", 0), [](uint64_t i) { return int(i % 120 + 1); });
    writeTable("kqk.nbb", countOf("kqk", 1), [](uint64_t i) { return -int(i % 120 + 1); });
    ASSERT_EQ(start(dir), 3);
    // Kings a1 and c1 are the first king pair; the queen on a2 is the
    // seventh free square (a1 and c1 squeezed out): index 6, byte 7. The
    // same position turned half round, and with colours exchanged.
    for (const char *fen : {KQK, "5k1K/7Q/8/8/8/8/8/8 w - - 0 1", "k1K5/q7/8/8/8/8/8/8 b - - 0 1"}) {
        EXPECT_EQ(probe(fen), "9760") << fen;
    }
    // Queen on d1, the second free square: index 1, byte -2 in the black file.
    EXPECT_EQ(probe("8/8/8/8/8/8/8/K1kQ4 b - - 0 1"), "-9752");
    EXPECT_EQ(probe("k1Kq4/8/8/8/8/8/8/8 w - - 0 1"), "-9752");
}

TEST_F(TablebaseFiles, SideToMoveColourInversionAndSymmetricTables) {
    constantTable("kpk.nbw", 0, 90);
    constantTable("kpk.nbb", 1, -90);
    constantTable("knkn.nbw", 0, 50);  // symmetric: one file for both sides
    constantTable("kqk.nbw", 0, 127);  // unavailable everywhere
    ASSERT_EQ(start(dir), 4);
    struct Case {
        const char *fen;
        int ply;
        const char *score;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 0, "9926"},   // white pawn, white to move
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 5, "9921"},   // five plies into the search
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", 0, "-9928"},  // white pawn, black to move
        {"4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", 0, "9926"},   // black pawn: the stronger side is to move
        {"4k3/4p3/8/8/8/8/8/4K3 w - - 0 1", 0, "-9928"},
        {"4k1n1/8/8/8/8/8/8/1N2K3 w - - 0 1", 0, "9846"},
        {"4k1n1/8/8/8/8/8/8/1N2K3 b - - 0 1", 0, "9846"},
        {KQK, 0, "not found"},                            // byte 127
        {"8/8/8/8/8/8/Q7/K1k5 b - - 0 1", 0, "not found"},  // no black-to-move file
    };
    for (const Case &c : cases) EXPECT_EQ(probe(c.fen, c.ply), c.score) << c.fen << " ply " << c.ply;
}

TEST_F(TablebaseFiles, EnPassantPositionsReadTheirOwnRange) {
    uint64_t half = countOf("kpkp", 1) / 2;
    writeTable("kpkp.nbb", 2 * half, [half](uint64_t i) { return i < half ? 10 : 20; });
    writeTable("kpkp.nbw", 2 * half, [half](uint64_t i) { return i < half ? 30 : 40; });
    ASSERT_EQ(start(dir), 4);
    EXPECT_EQ(probe("8/8/8/8/3pP3/8/8/K6k b - e3 0 1"), "9786");
    EXPECT_EQ(probe("8/8/8/8/3pP3/8/8/K6k b - - 0 1"), "9766");
    // An en-passant square no pawn can use is an ordinary position.
    EXPECT_EQ(probe("8/8/8/p7/4P3/8/8/K6k b - e3 0 1"), "9766");
    // Black's double step, white to take: the white-to-move file.
    EXPECT_EQ(probe("k6K/8/8/3Pp3/8/8/8/8 w - e6 0 1"), "9826");
}

TEST_F(TablebaseFiles, SixteenBitTablesJoinTwoBytes) {
    // Index 5000 holds 0x34 0xFF, index 5001 0x10 0x7F (low byte first).
    writeTable("krnknn.nbw", 2 * 5002, [](uint64_t i) {
        static const int bytes[4] = {0x34, 0xFF, 0x10, 0x7F};
        return i >= 10000 ? bytes[i - 10000] : 0;
    });
    ASSERT_EQ(start(dir), 6);
    int table = tableNumber("krnknn");
    EXPECT_EQ(tbTableValue(table, 0, 5000), -1 * 256 + 0x34);
    EXPECT_EQ(tbTableValue(table, 0, 5001), 0x7F * 256 + 0x10);
    EXPECT_EQ(tbTableValue(table, 0, 5002), 32767);  // past the end of the file
    EXPECT_EQ(tbTableValue(table, 1, 5000), 32767);  // no black file
}

TEST_F(TablebaseFiles, KppkpSpecialIndicesWithBlackToMove) {
    const uint64_t special[] = {0x362BC7C, 0x362DE44, 0x3637648, 0x3639810, 0x38D4F29, 0x40A2CAB, 0x43C778C};
    // Sparse files of the full length with a few bytes set.
    for (auto [name, side] : {std::pair{"kppkp.nbb", 1}, {"kppkp.nbw", 0}}) {
        std::string path = dir + "/" + name;
        std::fclose(std::fopen(path.c_str(), "wb"));
        std::filesystem::resize_file(path, countOf("kppkp", side));
        FILE *file = std::fopen(path.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        for (long offset : {0x362BC7CL, 0x362BC7DL}) std::fseek(file, offset, SEEK_SET), std::fputc(5, file);
        std::fclose(file);
    }
    ASSERT_EQ(start(dir), 5);
    int table = tableNumber("kppkp");
    for (uint64_t index : special) EXPECT_EQ(tbTableValue(table, 1, index), -32639) << index;
    EXPECT_EQ(tbTableValue(table, 1, 0x362BC7D), 5 + 32640);
    EXPECT_EQ(tbTableValue(table, 1, 0x362BC7B), 0);
    EXPECT_EQ(tbTableValue(table, 0, 0x362BC7C), 5 + 32640);  // white to move: the byte itself
}

TEST_F(TablebaseFiles, PositionWithoutTableOpensNoFile) {
    constantTable("kqk.nbw", 0, 30);
    ASSERT_EQ(start(dir), 3);
    TbStats before = tbStats;
    EXPECT_EQ(probe("4k1n1/3p4/8/8/8/8/8/KBB5 w - - 0 1"), "not found");  // kbbknp
    EXPECT_EQ(tbStats.fileOpens, before.fileOpens);
    EXPECT_EQ(tbStats.blockReads, before.blockReads);
}

TEST_F(TablebaseFiles, PathElementsInOrderFirstDirectoryWins) {
    ASSERT_TRUE(std::filesystem::create_directory(dir + "/a"));
    ASSERT_TRUE(std::filesystem::create_directory(dir + "/b"));
    constantTable("kqk.nbw", 0, 90);
    constantTable("a/kqk.nbw", 0, 30);
    constantTable("b/kqk.nbw", 0, 60);
    std::filesystem::current_path(dir);
    struct Case {
        std::string path, score;
    };
    const Case cases[] = {{dir + "/a/;" + dir + "/b", "9806"},
                          {dir + "/b\\," + dir + "/a", "9866"},
                          {std::string(240, 'x') + ";b", "9866"},     // too long: skipped
                          {"/no/such/quor/directory;;", "9926"}};  // empty: the current directory
    for (const Case &c : cases) {
        ASSERT_EQ(start(c.path), 3) << c.path;
        EXPECT_EQ(probe(KQK), c.score) << c.path;
    }
    options.egtbCacheMB = 0;  // no cache: nothing can be read
    ASSERT_EQ(start(dir), 3);
    EXPECT_EQ(probe(KQK), "not found");
}

TEST_F(TablebaseFiles, CacheKeepsBlocksAndEvictsTheLeastRecentlyUsed) {
    // A one-megabyte cache holds 126 blocks of 8192 values (8260 bytes each).
    writeTable("kqkr.nbw", countOf("kqkr", 0), [](uint64_t i) { return int(i / 8192 % 100 + 1); });
    ASSERT_EQ(start(dir), 4);
    int table = tableNumber("kqkr");
    auto read = [table](uint64_t block) { return tbTableValue(table, 0, block * 8192 + 17); };
    uint32_t reads = tbStats.blockReads;
    for (uint64_t block = 0; block < 126; block++) ASSERT_EQ(read(block), int32_t(block % 100 + 1 + 32640));
    EXPECT_EQ(tbStats.blockReads - reads, 126u);
    EXPECT_EQ(read(0), 1 + 32640);  // held: no read
    EXPECT_EQ(tbStats.blockReads - reads, 126u);
    EXPECT_EQ(read(126), 27 + 32640);  // evicts block 1, the least recently used
    EXPECT_EQ(tbStats.blockReads - reads, 127u);
    read(0);
    read(2);
    EXPECT_EQ(tbStats.blockReads - reads, 127u);
    EXPECT_EQ(read(1), 2 + 32640);
    EXPECT_EQ(tbStats.blockReads - reads, 128u);
}

TEST_F(TablebaseFiles, ShortFilesAreNamedAndLeftOut) {
    writeTable("kqk.nbw", countOf("kqk", 0) - 1, [](uint64_t) { return 30; });
    constantTable("kqk.nbb", 1, -30);
    ASSERT_EQ(start(dir), 3);
    EXPECT_EQ(output(), "*** " + inDir("kqk.nbw") + " corrupted\n");
    EXPECT_EQ(probe(KQK), "not found");
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 b - - 0 1"), "-9808");
}

/// A compressed-file header: banner line, lengths, fields and a CRC-32.
static std::string compressedHeader(int blockShift, uint32_t marker, bool goodBanner, bool goodCrc) {
    std::string h(96, '\0');
    std::string banner = std::string(58, 'Q');
    h.replace(0, 58, banner);
    h[58] = '\r';
    h[59] = goodBanner ? '\n' : 'x';
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
    struct Case {
        const char *file;
        std::string header;
        const char *message;
    };
    const Case cases[] = {
        {"krk.nbw.emd", compressedHeader(13, 0x004001F5, true, true), ": compressed table blocks cannot be decoded by this engine"},
        {"krk_nbb.emd", compressedHeader(13, 0x004001F6, true, true), "*** Unable to read "},
        {"kbknbw.emd", compressedHeader(13, 0x004001F5, false, true), "*** Unable to read "},
        {"kbknbb.emd", compressedHeader(13, 0x004001F5, true, false), "*** Unable to read "},
        {"knk.nbw.emd", compressedHeader(12, 0x004001F5, true, true), "Unsupported block size 4096"},
    };
    for (const Case &c : cases) writeTable(c.file, c.header.size(), [&c](uint64_t i) { return int(uint8_t(c.header[i])); });
    EXPECT_EQ(start(dir), 0);
    std::string text = output();
    for (const Case &c : cases) {
        size_t at = text.find(inDir(c.file));
        ASSERT_NE(at, std::string::npos) << c.file;
        size_t lineStart = text.rfind('\n', at) + 1;
        std::string line = text.substr(lineStart, text.find('\n', at) - lineStart);
        EXPECT_NE(line.find(c.message), std::string::npos) << line;
    }
    EXPECT_NE(text.find("krk_nbb.emd - file broken"), std::string::npos);
    EXPECT_NE(text.find("kbknbw.emd - read error"), std::string::npos);
    EXPECT_NE(text.find("kbknbb.emd - file broken"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 5);
}

TEST_F(TablebaseFiles, CheckAgainstProvenPositionsRefusesWrongTablesOnly) {
    tbVerify = true;
    constantTable("kqk.nbw", 0, 0);  // every position a draw: mates in one disagree
    EXPECT_EQ(start(dir), 0);
    EXPECT_EQ(output(), inDir("kqk.nbw") + " does not match this engine's tablebase indexing\n");
    // A draw everywhere except at the proven mates in one, which hold 126.
    static TbProvenPosition proven[12];
    int count = tbProvenPositions(tableNumber("kqk"), WHITE, proven, 12);
    ASSERT_GT(count, 0);
    std::string bytes(countOf("kqk", 0), '\0');
    for (int i = 0; i < count; i++) {
        setFen(proven[i].fen);
        ASSERT_EQ(proven[i].value, 32766) << "white can only mate: " << proven[i].fen;
        bytes[kqkIndex()] = char(126);
    }
    writeTable("kqk.nbw", bytes.size(), [&bytes](uint64_t i) { return int(uint8_t(bytes[i])); });
    EXPECT_EQ(start(dir), 3);
    EXPECT_EQ(probe(proven[0].fen), "9998");
}

}  // namespace
