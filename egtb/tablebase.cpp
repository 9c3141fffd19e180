// Tablebase discovery, the block cache and probing.
//
// Table files are looked for in every directory of the path, the first
// directory holding a file winning. A table side is registered when its
// file is there, undamaged and (unless EGTB_VERIFY is 0) agrees with the
// positions whose values the engine proves itself. Damaged or unreadable
// files are named in one message and left out; the engine goes on.
#include "egtb/tablebase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "board/notation.h"
#include "board/position.h"
#include "egtb/nalimov.h"
#include "egtb/verify.h"
#include "engine/files.h"
#include "engine/output.h"
#include "engine/searchflags.h"
#include "engine/settings.h"

int8_t tbState = 0;
bool tbVerify = true;
TbStats tbStats;

// The registry, the cache and its files serve one probe at a time: the
// search threads of a parallel search probe through this lock, and the
// front end's discovery and release take it too.
static std::mutex tableLock;

// A new path or cache size set while a search ran: discovery runs again at
// the first tbInit after the search.
static bool discoveryPending = false;

constexpr int BLOCK_BYTES = 8192;
constexpr int CACHE_ENTRY_BYTES = 8260;  // a 32-byte record and its block buffer
constexpr int CHAINS = 32;
constexpr int32_t NO_ENTRY = -1;
constexpr int32_t VALUE_UNAVAILABLE = 32767;
constexpr int PROVEN_POSITIONS = 12;

/// One cache record; its block buffer follows it in the cache memory.
struct CacheEntry {
    int32_t older, newer;  // least-recently-used list
    int32_t chainNext;     // next entry on its table side's chain
    uint32_t block;
    uint32_t length;  // bytes of the block that the file held
    int16_t table;
    uint8_t side;
    uint8_t unused[9];
};
static_assert(sizeof(CacheEntry) == 32);

static uint8_t *cacheMemory = nullptr;
static int32_t cacheEntryCount = 0;
static int32_t oldestEntry = NO_ENTRY, newestEntry = NO_ENTRY, freeEntry = NO_ENTRY;

static CacheEntry &entryAt(int32_t i) { return *reinterpret_cast<CacheEntry *>(cacheMemory + size_t(i) * CACHE_ENTRY_BYTES); }
static uint8_t *blockOf(int32_t i) { return cacheMemory + size_t(i) * CACHE_ENTRY_BYTES + sizeof(CacheEntry); }

static void closeTableFiles() {
    for (TbDescriptor &d : tbTables)
        for (FILE *&file : d.file)
            if (file) std::fclose(file), file = nullptr;
}

// ---------------------------------------------------------------------------
// Registration

/// Reads a big-endian 32-bit number.
static uint32_t bigEndian(const uint8_t *bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

static uint32_t crc32(const uint8_t *bytes, size_t length) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; i++) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

/// Checks the header of a compressed table file. The blocks of such files
/// are packed in a format this engine cannot decode, so the file is never
/// registered; the message says why.
static void refuseCompressedFile(FILE *file, const char *name) {
    uint8_t fixed[80];
    if (std::fread(fixed, 1, 80, file) != 80 || fixed[58] != '\r' || fixed[59] != '\n' ||
        bigEndian(fixed + 60) != 0) {
        notice("*** Unable to read %s - read error", name);
        return;
    }
    uint32_t headerLength = bigEndian(fixed + 64);
    if (headerLength < 84 || headerLength > (1u << 26) || fixed[70] > 16 || fixed[71] != 24 ||
        bigEndian(fixed + 76) != 0x004001F5u) {
        notice("*** Unable to read %s - file broken", name);
        return;
    }
    uint8_t *header = static_cast<uint8_t *>(std::malloc(headerLength));
    if (!header) {
        notice("*** Unable to read %s - out of memory", name);
        return;
    }
    std::memcpy(header, fixed, 80);
    bool whole = std::fread(header + 80, 1, headerLength - 80, file) == headerLength - 80;
    bool crcMatches = whole && crc32(header, headerLength - 4) == bigEndian(header + headerLength - 4);
    std::free(header);
    if (!crcMatches)
        notice("*** Unable to read %s - file broken", name);
    else if (fixed[70] != 13)
        notice("*** %s: Unsupported block size %d", name, 1 << fixed[70]);
    else
        notice("%s: compressed table blocks cannot be decoded by this engine", name);
}

/// The value stored at `bytes`: a little-endian signed 16-bit number in a
/// wide table, else one byte.
static int32_t decodeValue(const uint8_t *bytes, bool wide) {
    return wide ? int32_t(int8_t(bytes[1])) * 256 + bytes[0] : tbValueForByte(int8_t(bytes[0]));
}

/// Reads the value at `index` straight from an open table file.
static int32_t readValueFromFile(FILE *file, int table, uint64_t index) {
    bool wide = tbTables[table].flags & TB_16BIT;
    uint8_t bytes[2];
    if (!seekFile(file, wide ? 2 * index : index)) return VALUE_UNAVAILABLE;
    if (std::fread(bytes, 1, wide ? 2 : 1, file) != (wide ? 2u : 1u)) return VALUE_UNAVAILABLE;
    return decodeValue(bytes, wide);
}

struct ProbeTarget {
    int table, side;
    uint64_t index;
};
static bool locatePosition(ProbeTarget &target);

/// True when every position the engine can prove for this table side reads
/// the proven value from the file.
static bool fileMatchesProvenValues(int table, int side, FILE *file) {
    static TbProvenPosition proven[PROVEN_POSITIONS];
    int count = tbProvenPositions(table, side, proven, PROVEN_POSITIONS);
    static Position saved;
    saved = pos;
    bool matches = true;
    for (int i = 0; i < count && matches; i++) {
        ProbeTarget target;
        matches = readFen(proven[i].fen) && locatePosition(target) && target.table == table &&
                  readValueFromFile(file, table, target.index) == proven[i].value;
    }
    pos = saved;
    return matches;
}

/// Opens the uncompressed file of one table side and checks it. Returns
/// true when the side is registered under `name`.
static bool acceptTableFile(int table, int side, FILE *file, const char *name) {
    const TbDescriptor &d = tbTables[table];
    if (!(d.flags & TB_16BIT)) {
        FileIdentity identity;
        if (!fileIdentity(file, &identity)) {
            notice("*** Seek in %s failed", name);
            return false;
        }
        if (identity.size != d.count[side]) {
            notice("*** %s corrupted", name);
            return false;
        }
    }
    if (tbVerify && !fileMatchesProvenValues(table, side, file)) {
        notice("%s does not match this engine's tablebase indexing", name);
        return false;
    }
    return true;
}

/// Opens a table file found in a tablebase folder; something of its name
/// that is no regular file (a FIFO would block the engine) is named in one
/// message and left out.
static FILE *openTableFile(const char *name) {
    const char *reason;
    FILE *file = openRegularFile(name, false, &reason);
    if (!file && reason == NOT_A_REGULAR_FILE) notice("%s not used: %s", name, reason);
    return file;
}

/// Registers one side of one table from `directory` (already without a
/// trailing separator) unless an earlier directory supplied it.
static bool registerSide(int table, int side, const char *directory) {
    TbDescriptor &d = tbTables[table];
    if (d.fileName[side][0]) return true;
    char name[sizeof d.fileName[side]];
    const char *suffix = side ? "nbb" : "nbw";
    const char separator[2] = {*directory ? FOLDER_SEPARATOR : '\0', '\0'};
    std::snprintf(name, sizeof name, "%s%s%s.%s", directory, separator, d.name, suffix);
    if (FILE *file = openTableFile(name)) {
        bool accepted = acceptTableFile(table, side, file, name);
        std::fclose(file);
        if (accepted) std::memcpy(d.fileName[side], name, sizeof name);
        return accepted;
    }
    size_t base = std::strlen(name) - 4;  // where ".nbw" begins
    const char *compressed[3] = {"%s.emd", "%.*s_%s.emd", "%.*s%s.emd"};
    for (int form = 0; form < 3; form++) {
        char packed[sizeof name + 8];
        if (form == 0) std::snprintf(packed, sizeof packed, compressed[0], name);
        else std::snprintf(packed, sizeof packed, compressed[form], int(base), name, suffix);
        if (FILE *file = openTableFile(packed)) {
            refuseCompressedFile(file, packed);
            std::fclose(file);
            return false;
        }
    }
    return false;
}

/// Registers every table found in the directories of `path`; returns the
/// largest man count found.
static int registerTables(const char *path) {
    closeTableFiles();
    nalimovSetup();
    for (TbDescriptor &d : tbTables) d.fileName[0][0] = d.fileName[1][0] = '\0';
    int highest = 0;
    const char *element = path;
    while (true) {
        size_t length = std::strcspn(element, ",;");
        char directory[sizeof tbTables[0].fileName[0] - 16];
        if (length < sizeof directory) {
            std::memcpy(directory, element, length);
            while (length && (directory[length - 1] == '/' || directory[length - 1] == '\\')) length--;
            directory[length] = '\0';
            for (int table = 1; table < TB_TABLES; table++) {
                bool white = registerSide(table, 0, directory);
                bool black = !(tbTables[table].flags & TB_SYMMETRIC) && registerSide(table, 1, directory);
                if ((white || black) && table > highest) highest = table;
            }
        }
        element += std::strcspn(element, ",;");
        if (!*element++) break;
    }
    if (highest == 0) return 0;
    // Tables are numbered in order of their men: the highest has the most.
    int men = 2;
    for (const uint8_t *count : tbTables[highest].men)
        for (int type = 0; type < 5; type++) men += count[type];
    return men;
}

// ---------------------------------------------------------------------------
// The block cache

static void unlinkFromAge(int32_t i) {
    CacheEntry &e = entryAt(i);
    if (e.older != NO_ENTRY) entryAt(e.older).newer = e.newer;
    else oldestEntry = e.newer;
    if (e.newer != NO_ENTRY) entryAt(e.newer).older = e.older;
    else newestEntry = e.older;
}

static void makeNewest(int32_t i) {
    CacheEntry &e = entryAt(i);
    e.older = newestEntry;
    e.newer = NO_ENTRY;
    if (newestEntry != NO_ENTRY) entryAt(newestEntry).newer = i;
    else oldestEntry = i;
    newestEntry = i;
}

static void unlinkFromChain(int32_t i) {
    CacheEntry &e = entryAt(i);
    int32_t *link = &tbTables[e.table].chainHead[e.side][e.block % CHAINS];
    while (*link != i) link = &entryAt(*link).chainNext;
    *link = e.chainNext;
}

static void pushOnChain(int32_t i) {
    CacheEntry &e = entryAt(i);
    int32_t &head = tbTables[e.table].chainHead[e.side][e.block % CHAINS];
    e.chainNext = head;
    head = i;
}

/// Lays the cache entries out on the free list and clears every chain.
static void layOutCache(size_t bytes) {
    cacheEntryCount = int32_t(bytes / CACHE_ENTRY_BYTES);
    oldestEntry = newestEntry = NO_ENTRY;
    freeEntry = cacheEntryCount ? 0 : NO_ENTRY;
    for (int32_t i = 0; i < cacheEntryCount; i++) entryAt(i).chainNext = i + 1 < cacheEntryCount ? i + 1 : NO_ENTRY;
    for (TbDescriptor &d : tbTables)
        for (auto &heads : d.chainHead)
            for (int32_t &head : heads) head = NO_ENTRY;
}

/// Opens a registered side's file when it is closed; on failure closes
/// every table file and tries once more, and unregisters the side when that
/// fails too.
static FILE *openTableFile(int table, int side) {
    TbDescriptor &d = tbTables[table];
    if (d.file[side]) return d.file[side];
    d.file[side] = std::fopen(d.fileName[side], "rb");
    if (!d.file[side]) {
        closeTableFiles();
        d.file[side] = std::fopen(d.fileName[side], "rb");
    }
    if (!d.file[side]) d.fileName[side][0] = '\0';
    else tbStats.fileOpens++;
    return d.file[side];
}

/// Reads block `block` of a table side into entry `i`; false on failure.
static bool readBlock(int32_t i, int table, int side, uint32_t block) {
    FILE *file = openTableFile(table, side);
    if (!file || !seekFile(file, uint64_t(block) * BLOCK_BYTES)) return false;
    size_t length = std::fread(blockOf(i), 1, BLOCK_BYTES, file);
    if (length < size_t(BLOCK_BYTES) && std::ferror(file)) {
        std::clearerr(file);
        return false;
    }
    tbStats.blockReads++;
    entryAt(i).length = uint32_t(length);
    return length > 0;
}

/// The cached block of a table side, read on a miss; nullptr on failure.
static const uint8_t *cachedBlock(int table, int side, uint32_t block, uint32_t *length) {
    int32_t *link = &tbTables[table].chainHead[side][block % CHAINS];
    for (int32_t i = *link; i != NO_ENTRY; link = &entryAt(i).chainNext, i = *link) {
        CacheEntry &e = entryAt(i);
        if (e.block != block) continue;
        *link = e.chainNext;
        pushOnChain(i);
        unlinkFromAge(i);
        makeNewest(i);
        *length = e.length;
        return blockOf(i);
    }
    int32_t i = freeEntry;
    if (i != NO_ENTRY) freeEntry = entryAt(i).chainNext;
    else if ((i = oldestEntry) != NO_ENTRY) unlinkFromChain(i), unlinkFromAge(i);
    else return nullptr;
    if (!readBlock(i, table, side, block)) {
        entryAt(i).chainNext = freeEntry;
        freeEntry = i;
        return nullptr;
    }
    CacheEntry &e = entryAt(i);
    e.table = int16_t(table);
    e.side = uint8_t(side);
    e.block = block;
    pushOnChain(i);
    makeNewest(i);
    *length = e.length;
    return blockOf(i);
}

// ---------------------------------------------------------------------------
// Values and scores

int32_t tbValueForByte(int8_t byte) {
    if (byte == 0) return 0;
    if (byte == 127) return VALUE_UNAVAILABLE;
    if (byte == -128) return 32640;
    if (byte == -127) return -32640;
    return byte > 0 ? byte + 32640 : byte - 32640;
}

int16_t tbScoreForValue(int32_t value, int ply) {
    if (value == 0) return 0;
    uint16_t score = value > 0 ? uint16_t(2 * value + 10002 - ply) : uint16_t(ply + 2 * value - 10004);
    return int16_t(score);
}

static bool isKppkpSpecialIndex(int table, int side, uint64_t index) {
    static const uint64_t SPECIAL[] = {0x362BC7C, 0x362DE44, 0x3637648, 0x3639810, 0x38D4F29, 0x40A2CAB, 0x43C778C};
    static const int KPPKP = nalimovTableNumber("kppkp");
    if (side != 1 || table != KPPKP) return false;
    for (uint64_t special : SPECIAL)
        if (index == special) return true;
    return false;
}

/// The value at `index` of a registered table side, through the cache.
static int32_t readValue(int table, int fileSide, int side, uint64_t index) {
    if (isKppkpSpecialIndex(table, side, index)) return -32639;
    bool wide = tbTables[table].flags & TB_16BIT;
    uint32_t block = uint32_t(wide ? index >> 12 : index >> 13);
    uint32_t offset = uint32_t(wide ? 2 * (index & 0xFFF) : index & 0x1FFF);
    uint32_t length;
    const uint8_t *bytes = cachedBlock(table, fileSide, block, &length);
    if (!bytes || offset + (wide ? 2 : 1) > length) return VALUE_UNAVAILABLE;
    return decodeValue(bytes + offset, wide);
}

/// tbTableValue for a caller that holds the table lock.
static int32_t tableValue(int table, int side, uint64_t index) {
    int fileSide = tbTables[table].flags & TB_SYMMETRIC ? 0 : side;
    if (!tbTables[table].fileName[fileSide][0]) return VALUE_UNAVAILABLE;
    return readValue(table, fileSide, side, index);
}

int32_t tbTableValue(int table, int side, uint64_t index) {
    std::lock_guard<std::mutex> lock(tableLock);
    return tableValue(table, side, index);
}

// ---------------------------------------------------------------------------
// Probing

/// The en-passant target in table numbering when the side to move has a
/// pawn beside the double-stepped one to take it, else TB_NO_EP.
static int enPassantTarget() {
    int target = pos.epSquare;
    if (target == NO_EP_SQUARE) return TB_NO_EP;
    int from = pos.sideToMove == WHITE ? target + 8 : target - 8;  // row of the capturing pawns
    uint8_t pawn = makePiece(pos.sideToMove, PAWN);
    bool left = column(target) > 0 && pos.board[from - 1] == pawn;
    bool right = column(target) < 7 && pos.board[from + 1] == pawn;
    return left || right ? target ^ 56 : TB_NO_EP;
}

/// Finds the table, side and index of the current position; false when no
/// table covers it.
static bool locatePosition(ProbeTarget &target) {
    TbPieceList lists[2];
    uint8_t counts[10] = {};
    for (int square = 0; square < 64; square++) {
        uint8_t code = pos.board[square];
        if (code == EMPTY || pieceType(code) == KING) continue;
        int side = pieceSide(code), type = pieceType(code);
        uint8_t &count = counts[side * 5 + type];
        if (count < 3) lists[side][type * 3 + count] = square ^ 56;
        count++;
    }
    lists[WHITE][15] = pos.kingSquare[WHITE] ^ 56;
    lists[BLACK][15] = pos.kingSquare[BLACK] ^ 56;
    int signedTable = nalimovTableFor(counts);
    if (signedTable == 0) return false;
    bool invert = signedTable < 0;
    target.table = invert ? -signedTable : signedTable;
    target.side = invert ? pos.otherSide : pos.sideToMove;
    target.index = nalimovIndex(target.table, target.side, lists[invert ? BLACK : WHITE],
                                lists[invert ? WHITE : BLACK], enPassantTarget(), invert);
    return target.index != TB_NO_INDEX;
}

int tbProbe(int16_t *score) {
    // The index needs only this thread's position and the table layout,
    // which is fixed once set up: only the files and the cache need the lock.
    ProbeTarget target;
    if (!locatePosition(target)) return 0;
    int32_t value;
    {
        std::lock_guard<std::mutex> lock(tableLock);
        value = tbState < 1 ? VALUE_UNAVAILABLE : tableValue(target.table, target.side, target.index);
    }
    if (value == VALUE_UNAVAILABLE) return 0;
    *score = tbScoreForValue(value, pos.ply);
    return 1;
}

int8_t tbInit() {
    // The running search keeps the tables it started with: helper threads
    // read the registry and the cache without waiting for this thread.
    if (searching) return tbState;
    std::lock_guard<std::mutex> lock(tableLock);
    if (discoveryPending) tbState = -1;
    discoveryPending = false;
    if (tbState >= 0 || options.egtbPath[0] == '\0') return tbState;
    tbState = int8_t(registerTables(options.egtbPath));
    if (tbState < 1) return tbState;
    std::free(cacheMemory);
    size_t bytes = size_t(options.egtbCacheMB > 0 ? options.egtbCacheMB : 0) << 20;
    cacheMemory = static_cast<uint8_t *>(std::malloc(bytes ? bytes : 1));
    if (!cacheMemory) {
        layOutCache(0);
        tbState = 0;
        return tbState;
    }
    layOutCache(bytes);
    return tbState;
}

int8_t tbRediscover() {
    discoveryPending = true;
    return tbInit();
}

void tbRelease() {
    std::lock_guard<std::mutex> lock(tableLock);
    closeTableFiles();
    for (TbDescriptor &d : tbTables) d.fileName[0][0] = d.fileName[1][0] = '\0';
    std::free(cacheMemory);
    cacheMemory = nullptr;
    layOutCache(0);
    tbState = 0;
}
