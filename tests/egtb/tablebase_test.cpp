// Probing tables the tests write themselves: files of the recorded length
// whose bytes make the expected value easy to work out by hand.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "board/position.h"
#include "egtb/nalimov.h"
#include "egtb/tablebase.h"
#include "egtb/verify.h"
#include "engine/output.h"
#include "engine/settings.h"
#include "tests/support/board_helpers.h"

namespace {

/// The index of the current position in its table, white first (the
/// positions used here have white as the first-named side).
uint64_t currentIndex(int table) {
    TbPieceList lists[2];
    int used[2][5] = {};
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY) continue;
        int side = pieceSide(code), type = pieceType(code);
        if (type == KING) lists[side][15] = square ^ 56;
        else lists[side][type * 3 + used[side][type]++] = square ^ 56;
    }
    return nalimovIndex(table, pos.sideToMove, lists[WHITE], lists[BLACK], TB_NO_EP, false);
}

int tableNumber(const char *name) {
    nalimovSetup();
    for (int t = 0; t < TB_TABLES; t++)
        if (!std::strcmp(tbTables[t].name, name)) return t;
    return -1;
}

uint64_t countOf(const char *name, int side) { return tbTables[tableNumber(name)].count[side]; }

class TablebaseFiles : public ::testing::Test {
protected:
    std::string dir;
    char previous[512];
    FILE *capture = nullptr;

    void SetUp() override {
        char pattern[] = "/tmp/quor-egtb-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
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
        EXPECT_EQ(chdir(previous), 0);
        std::string command = "rm -rf " + dir;
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    /// Writes a file of `length` bytes, byte i being fill(i).
    void writeTable(const std::string &name, uint64_t length, const std::function<int(uint64_t)> &fill) {
        FILE *file = std::fopen((dir + "/" + name).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        for (uint64_t i = 0; i < length; i++) std::fputc(fill(i) & 0xFF, file);
        std::fclose(file);
    }

    /// A file of `length` zero bytes that takes no disk space, with some
    /// bytes set.
    void writeSparseTable(const std::string &name, uint64_t length, std::initializer_list<std::pair<uint64_t, int>> bytes) {
        int fd = open((dir + "/" + name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, off_t(length)), 0);
        for (auto [offset, value] : bytes) {
            uint8_t byte = uint8_t(value);
            ASSERT_EQ(pwrite(fd, &byte, 1, off_t(offset)), 1);
        }
        close(fd);
    }

    void constantTable(const std::string &name, int side, int byte) {
        std::string file = name.substr(name.rfind('/') + 1);
        std::string table = file.substr(0, file.find('.'));
        writeTable(name, countOf(table.c_str(), side), [byte](uint64_t) { return byte; });
    }

    int8_t start(const std::string &path) {
        std::snprintf(options.egtbPath, sizeof options.egtbPath, "%s", path.c_str());
        tbState = -1;
        return tbInit();
    }

    /// The probe of a FEN position: the score, or the text "not found".
    std::string probe(const char *fen) {
        setFen(fen);
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

// ---------------------------------------------------------------------------
// Values and scores

TEST(TablebaseValues, BytesGiveTheirValueClass) {
    struct Case {
        int byte;
        int32_t value;
    };
    const Case cases[] = {{0, 0},       {1, 32641},   {126, 32766},  {127, 32767},
                          {-1, -32641}, {-126, -32766}, {-127, -32640}, {-128, 32640}};
    for (const Case &c : cases) EXPECT_EQ(tbValueForByte(int8_t(c.byte)), c.value) << c.byte;
}

TEST(TablebaseValues, ScoresAtPlyZeroAndFive) {
    // A win in n moves scores 10000 - 2n, a loss in n moves 2n - 10000,
    // both moved by the ply; the rest follows the 16-bit wrap-around.
    struct Case {
        int32_t value;
        int16_t atZero, atFive;
    };
    const Case cases[] = {
        {0, 0, 0},                  // draw
        {32766, 9998, 9993},        // byte 126: mate in one
        {32641, 9748, 9743},        // byte 1: the longest one-byte win
        {32640, 9746, 9741},        // byte -128
        {-32766, -10000, -9995},    // byte -126: mated now
        {-32765, -9998, -9993},     // mated in one
        {-32641, -9750, -9745},     // byte -1
        {-32640, -9748, -9743},     // byte -127
        {-32639, -9746, -9741},     // the special "kppkp" entries
        {100, 10202, 10197},        // a small 16-bit value, unchanged
        {-100, -10204, -10199},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(tbScoreForValue(c.value, 0), c.atZero) << c.value;
        EXPECT_EQ(tbScoreForValue(c.value, 5), c.atFive) << c.value;
    }
}

// ---------------------------------------------------------------------------
// Probing

TEST_F(TablebaseFiles, IndexEncodedInTheBytesFindsThePosition) {
    // Byte i of the white file is i % 120 + 1, of the black file its negation.
    writeTable("kqk.nbw", countOf("kqk", 0), [](uint64_t i) { return int(i % 120 + 1); });
    writeTable("kqk.nbb", countOf("kqk", 1), [](uint64_t i) { return -int(i % 120 + 1); });
    ASSERT_EQ(start(dir), 3);
    // Kings a1 and c1 are the first king pair; the queen on a2 is the
    // seventh free square (a1 and c1 squeezed out): index 6, byte 7.
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), "9760");
    // The same position turned half round, and with colours exchanged.
    EXPECT_EQ(probe("5k1K/7Q/8/8/8/8/8/8 w - - 0 1"), "9760");
    EXPECT_EQ(probe("k1K5/q7/8/8/8/8/8/8 b - - 0 1"), "9760");
    // Queen on d1, the second free square: index 1, byte -2 in the black file.
    EXPECT_EQ(probe("8/8/8/8/8/8/8/K1kQ4 b - - 0 1"), "-9752");
    EXPECT_EQ(probe("k1Kq4/8/8/8/8/8/8/8 w - - 0 1"), "-9752");
}

TEST_F(TablebaseFiles, SideToMoveAndColourInversionPickTheFile) {
    constantTable("kpk.nbw", 0, 90);
    constantTable("kpk.nbb", 1, -90);
    ASSERT_EQ(start(dir), 3);
    struct Case {
        const char *fen, *score;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", "9926"},    // white pawn, white to move
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", "-9928"},   // white pawn, black to move
        {"4k3/4p3/8/8/8/8/8/4K3 b - - 0 1", "9926"},    // black pawn: the stronger side is to move
        {"4k3/4p3/8/8/8/8/8/4K3 w - - 0 1", "-9928"},
    };
    for (const Case &c : cases) EXPECT_EQ(probe(c.fen), c.score) << c.fen;
}

TEST_F(TablebaseFiles, ScoresCountTheSearchPly) {
    constantTable("kpk.nbw", 0, 90);
    ASSERT_EQ(start(dir), 3);
    setFen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    pos.ply = 5;
    int16_t score = 0;
    ASSERT_EQ(tbProbe(&score), 1);
    EXPECT_EQ(score, 9921);
}

TEST_F(TablebaseFiles, SymmetricTableReadsTheWhiteFileForBothSides) {
    constantTable("knkn.nbw", 0, 50);
    ASSERT_EQ(start(dir), 4);
    EXPECT_EQ(probe("4k1n1/8/8/8/8/8/8/1N2K3 w - - 0 1"), "9846");
    EXPECT_EQ(probe("4k1n1/8/8/8/8/8/8/1N2K3 b - - 0 1"), "9846");
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
    EXPECT_EQ(probe("k6K/8/8/3Pp3/8/8/8/8 w - - 0 1"), "9806");
}

TEST_F(TablebaseFiles, UnavailableValueIsNotFound) {
    constantTable("kqk.nbw", 0, 127);
    ASSERT_EQ(start(dir), 3);
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), "not found");
    // The black-to-move file is missing.
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 b - - 0 1"), "not found");
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
    EXPECT_EQ(tbTableValue(table, 0, 4999), 0);
    EXPECT_EQ(tbTableValue(table, 0, 5002), 32767);  // past the end of the file
    EXPECT_EQ(tbTableValue(table, 1, 5000), 32767);  // no black file
}

TEST_F(TablebaseFiles, KppkpSpecialIndicesWithBlackToMove) {
    const uint64_t special[] = {0x362BC7C, 0x362DE44, 0x3637648, 0x3639810, 0x38D4F29, 0x40A2CAB, 0x43C778C};
    writeSparseTable("kppkp.nbb", countOf("kppkp", 1), {{0x362BC7C, 5}, {0x362BC7D, 5}, {0x43C778C, 5}});
    writeSparseTable("kppkp.nbw", countOf("kppkp", 0), {{0x362BC7C, 5}});
    ASSERT_EQ(start(dir), 5);
    int table = tableNumber("kppkp");
    for (uint64_t index : special) EXPECT_EQ(tbTableValue(table, 1, index), -32639) << index;
    EXPECT_EQ(tbTableValue(table, 1, 0x362BC7D), 5 + 32640);
    EXPECT_EQ(tbTableValue(table, 1, 0x362BC7B), 0);
    EXPECT_EQ(tbTableValue(table, 0, 0x362BC7C), 5 + 32640);
}

TEST_F(TablebaseFiles, PositionWithoutTableOpensNoFile) {
    constantTable("kqk.nbw", 0, 30);
    ASSERT_EQ(start(dir), 3);
    TbStats before = tbStats;
    EXPECT_EQ(probe("4k1n1/3p4/8/8/8/8/8/KBB5 w - - 0 1"), "not found");  // kbbknp
    EXPECT_EQ(tbStats.fileOpens, before.fileOpens);
    EXPECT_EQ(tbStats.blockReads, before.blockReads);
}

// ---------------------------------------------------------------------------
// Discovery

TEST_F(TablebaseFiles, EmptyPathElementMeansTheCurrentDirectory) {
    constantTable("kqk.nbw", 0, 30);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    EXPECT_EQ(start("/no/such/quor/directory;;"), 3);
    EXPECT_STREQ(tbTables[tableNumber("kqk")].fileName[0], "kqk.nbw");
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), "9806");
}

TEST_F(TablebaseFiles, FirstDirectoryWinsAndTrailingSeparatorsAreAccepted) {
    std::string base = dir;
    ASSERT_EQ(mkdir((base + "/a").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((base + "/b").c_str(), 0755), 0);
    constantTable("a/kqk.nbw", 0, 30);
    constantTable("b/kqk.nbw", 0, 60);
    struct Case {
        std::string path, score;
    };
    const Case cases[] = {{base + "/a/;" + base + "/b", "9806"},
                          {base + "/b\\," + base + "/a", "9866"},
                          {std::string(240, 'x') + ";b", "9866"}};  // too long: skipped
    ASSERT_EQ(chdir(base.c_str()), 0);
    for (const Case &c : cases) {
        ASSERT_EQ(start(c.path), 3) << c.path;
        EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), c.score) << c.path;
    }
}

TEST_F(TablebaseFiles, NoCacheMeansNothingCanBeRead) {
    constantTable("kqk.nbw", 0, 30);
    options.egtbCacheMB = 0;
    ASSERT_EQ(start(dir), 3);
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), "not found");
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

TEST_F(TablebaseFiles, DamagedFilesAreNamedAndLeftOut) {
    writeTable("kqk.nbw", countOf("kqk", 0) - 1, [](uint64_t) { return 30; });
    constantTable("kqk.nbb", 1, -30);
    ASSERT_EQ(start(dir), 3);
    EXPECT_EQ(output(), "*** " + dir + "/kqk.nbw corrupted\n");
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), "not found");
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 b - - 0 1"), "-9808");
}

/// A compressed-file header: banner line, lengths, fields and a CRC-32.
std::string compressedHeader(int blockShift, uint32_t marker, bool goodBanner, bool goodCrc) {
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
        size_t at = text.find(dir + "/" + c.file);
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

TEST_F(TablebaseFiles, UciModeSaysItInInfoStrings) {
    options.optionFlags = OPT_UCI;
    writeTable("kqk.nbw", 10, [](uint64_t) { return 0; });
    EXPECT_EQ(start(dir), 0);
    EXPECT_EQ(output(), "info string *** " + dir + "/kqk.nbw corrupted\n");
}

TEST_F(TablebaseFiles, CheckAgainstProvenPositionsRefusesWrongTables) {
    tbVerify = true;
    constantTable("kqk.nbw", 0, 0);  // every position a draw: mates in one disagree
    constantTable("knk.nbw", 0, 0);  // a lone knight never mates: nothing to disagree with
    EXPECT_EQ(start(dir), 3);
    EXPECT_EQ(output(), dir + "/kqk.nbw does not match this engine's tablebase indexing\n");
    EXPECT_EQ(tbTables[tableNumber("kqk")].fileName[0][0], '\0');
    EXPECT_NE(tbTables[tableNumber("knk")].fileName[0][0], '\0');
}

TEST_F(TablebaseFiles, CheckAcceptsATableHoldingTheProvenValues) {
    // A "kqk" white-to-move file that is a draw everywhere except at the
    // positions the check proves, which hold their proven bytes.
    int table = tableNumber("kqk");
    static TbProvenPosition proven[12];
    int count = tbProvenPositions(table, WHITE, proven, 12);
    ASSERT_GT(count, 0);
    std::string bytes(countOf("kqk", 0), '\0');
    for (int i = 0; i < count; i++) {
        setFen(proven[i].fen);
        ASSERT_EQ(proven[i].value, 32766) << "white can only mate: " << proven[i].fen;
        bytes[currentIndex(table)] = char(126);
    }
    writeTable("kqk.nbw", bytes.size(), [&bytes](uint64_t i) { return int(uint8_t(bytes[i])); });
    tbVerify = true;
    EXPECT_EQ(start(dir), 3);
    EXPECT_EQ(output(), "");
    EXPECT_EQ(probe(proven[0].fen), "9998");
}

TEST_F(TablebaseFiles, FilesDamagedAfterRegistrationOnlyFailTheirProbes) {
    writeTable("kqk.nbw", countOf("kqk", 0), [](uint64_t i) { return int(i % 120 + 1); });
    constantTable("kqk.nbb", 1, 30);
    ASSERT_EQ(start(dir), 3);
    // Cut the white file to its first 100 values and remove the black one.
    ASSERT_EQ(truncate((dir + "/kqk.nbw").c_str(), 100), 0);
    ASSERT_EQ(std::remove((dir + "/kqk.nbb").c_str()), 0);
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 w - - 0 1"), "9760");        // index 6
    EXPECT_EQ(probe("k7/8/8/8/3K4/8/8/6Q1 w - - 0 1"), "not found");  // far beyond 100
    EXPECT_EQ(probe("8/8/8/8/8/8/Q7/K1k5 b - - 0 1"), "not found");    // the file is gone
    EXPECT_EQ(tbTables[tableNumber("kqk")].fileName[1][0], '\0');
}

}  // namespace
