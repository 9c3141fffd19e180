// The table registry, the material lookup and the index functions.
//
// Indexing rules taken from the published descriptions of the Nalimov
// scheme (Nalimov, Haworth and Heinz, "Space-efficient indexing of endgame
// tables for chess", ICGA Journal 2000, and the chess-programming summaries
// of it):
// - pawnless tables use the board's eight symmetries: the first-named side's
//   king is brought into the a1-d1-d4 triangle and, when it stands on the
//   a1-d4 diagonal, the other king into the a1-h1-h8 triangle, which leaves
//   462 king pairs (adjacent kings are not indexed);
// - tables with pawns use only the left-right mirror, and pawns take only
//   the 48 squares of ranks 2 to 7;
// - each further man takes one square fewer than the one placed before it
//   (squares already occupied are squeezed out of its numbering);
// - identical men are placed as an unordered set (n(n-1)/2 pairs, n(n-1)(n-2)/6
//   triples);
// - when both sides have pawns, positions with an en-passant capture open
//   take a range of their own after the other positions.
// Choices of this engine's own (the papers leave them open):
// - placement order: the leading pawns (the first-named side's, else the
//   other side's), the other side's pawns, the two kings, then knights,
//   bishops, rooks and queens of the first-named side and then of the other;
// - the index is a mixed-radix number in that order, most significant first;
// - symmetries are resolved by taking the smallest index over every board
//   symmetry that brings the kings (or, with pawns, the leading pawns) into
//   their reduced region, so that equivalent positions share one index;
// - pawns are numbered with files a-d before e-h, so the mirror that leaves
//   the smallest leading-pawn number keeps the leading pawns on the
//   queen side where it can;
// - in pawn tables the king pair takes all 3612 non-adjacent pairs of
//   distinct squares, regardless of the pawns;
// - the en-passant range has the size of the whole ordinary range; the same
//   layout serves white and black to move;
// - one function driven by each table's men serves all 356 table sides, so
//   that tables with the same layout of pawns, kings and identical men
//   index alike.
// The recorded counts of "kqk" with black to move (462 x 62 = 28644) agree
// with the published figure; the other published figures ("kpk", "kqk"
// white to move, "kppkp") follow from details this engine could not derive
// from the public descriptions, so real files of those tables (and of most
// others) do not match these functions.
#include "egtb/nalimov.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

TbDescriptor tbTables[TB_TABLES];

static const char PIECE_LETTERS[] = "pnbrq";

// Index tables, built once.
static int16_t kingPairPawnless[64][64];  // 462 pairs, -1 elsewhere
static int16_t kingPairPawns[64][64];     // 3612 pairs, -1 elsewhere
static uint8_t boardSymmetry[8][64];      // symmetry 1 is the left-right mirror
static uint64_t binomial[65][5];
static uint32_t leadingPawnRange[4];      // per pawn count, the largest smallest-mirror number + 1
static bool setupDone = false;

// Material lookup: sorted keys of the ten counts with their table numbers.
struct MaterialEntry {
    uint32_t key;
    int16_t table;
};
static MaterialEntry materialEntries[2 * TB_TABLES];
static int materialEntryCount = 0;

static int fileOf(int square) { return square & 7; }
static int rankOf(int square) { return square >> 3; }

static bool kingsTouch(int a, int b) {
    return std::max(std::abs(fileOf(a) - fileOf(b)), std::abs(rankOf(a) - rankOf(b))) <= 1;
}

/// Pawn numbering: ranks 2-7, files a-d first (0-23), then e-h mirrored
/// (24-47), so that a pawn and its mirror image differ by 24.
static int pawnNumber(int square) {
    int rank = rankOf(square) - 1, file = fileOf(square);
    return file < 4 ? rank * 4 + file : 24 + rank * 4 + (7 - file);
}

static int mirroredPawnNumber(int number) { return number < 24 ? number + 24 : number - 24; }

/// Sorts the squares of a group of at most three identical men.
static void sortGroup(int *squares, int count) {
    for (int i = 1; i < count; i++)
        for (int j = i; j > 0 && squares[j - 1] > squares[j]; j--) std::swap(squares[j - 1], squares[j]);
}

/// Colex rank of an ascending set of distinct numbers.
static uint64_t setRank(const int *sorted, int count) {
    uint64_t rank = 0;
    for (int i = 0; i < count; i++) rank += binomial[sorted[i]][i + 1];
    return rank;
}

static void buildNames() {
    int number = 1;
    auto add = [&number](const char *first, const char *second) {
        static char names[TB_TABLES][8];
        std::snprintf(names[number], sizeof names[number], "k%sk%s", first, second);
        tbTables[number].name = names[number];
        number++;
    };
    char a[2] = {0, 0}, b[2] = {0, 0}, pair[3] = {0, 0, 0}, triple[4] = {0, 0, 0, 0};
    for (int x = 0; x < 5; x++) a[0] = PIECE_LETTERS[x], add(a, "");
    for (int x = 0; x < 5; x++)
        for (int y = 0; y <= x; y++) a[0] = PIECE_LETTERS[x], b[0] = PIECE_LETTERS[y], add(a, b);
    for (int x = 0; x < 5; x++)
        for (int y = 0; y <= x; y++) pair[0] = PIECE_LETTERS[x], pair[1] = PIECE_LETTERS[y], add(pair, "");
    for (int x = 0; x < 5; x++)
        for (int y = 0; y <= x; y++)
            for (int z = 0; z < 5; z++)
                pair[0] = PIECE_LETTERS[x], pair[1] = PIECE_LETTERS[y], b[0] = PIECE_LETTERS[z], add(pair, b);
    for (int x = 0; x < 5; x++)
        for (int y = 0; y <= x; y++)
            for (int z = 0; z <= y; z++)
                triple[0] = PIECE_LETTERS[x], triple[1] = PIECE_LETTERS[y], triple[2] = PIECE_LETTERS[z],
                add(triple, "");
    static const char *const sixMen[] = {
        "knnknn", "kbnknn", "kbbknn", "kbbkbn", "kbbkbb", "krnknn", "krnkbb", "krbknn", "krbkbb",
        "krrknn", "krrkbn", "krrkbb", "krrkrn", "krrkrr", "kqnknn", "kqnkbb", "kqnkrr", "kqbknn",
        "kqbkbb", "kqbkrr", "kqrknn", "kqrkbb", "kqrkrr", "kqqknn", "kqqkbn", "kqqkbb", "kqqkrn",
        "kqqkrb", "kqqkrr", "kqqkqn", "kqqkqb", "kqqkqr", "kqqkqq"};
    for (const char *name : sixMen) tbTables[number++].name = name;
    tbTables[0].name = "kk";
}

static void buildDescriptors() {
    static const char *const symmetric[] = {"kk", "knkn", "kbkb", "krkr", "kqkq", "knnknn", "kbbkbb", "krrkrr", "kqqkqq"};
    static const char *const wide[] = {"krnknn", "krnkbb", "krbknn", "kqnkrr"};
    for (int t = 0; t < TB_TABLES; t++) {
        TbDescriptor &d = tbTables[t];
        int side = -1;
        for (const char *c = d.name; *c; c++) {
            if (*c == 'k') side++;
            else d.men[side][std::strchr(PIECE_LETTERS, *c) - PIECE_LETTERS]++;
        }
        for (const char *name : symmetric)
            if (!std::strcmp(name, d.name)) d.flags |= TB_SYMMETRIC;
        for (const char *name : wide)
            if (!std::strcmp(name, d.name)) d.flags |= TB_16BIT;
    }
}

static uint32_t materialKey(const uint8_t *first, const uint8_t *second) {
    uint32_t key = 0;
    for (int i = 0; i < 5; i++) key = key * 4 + first[i];
    for (int i = 0; i < 5; i++) key = key * 4 + second[i];
    return key;
}

static void buildMaterialLookup() {
    for (int t = 1; t < TB_TABLES; t++) {
        const TbDescriptor &d = tbTables[t];
        materialEntries[materialEntryCount++] = {materialKey(d.men[0], d.men[1]), int16_t(t)};
        // Equal material ("kpkp" too) is always read with white first.
        if (std::memcmp(d.men[0], d.men[1], sizeof d.men[0]))
            materialEntries[materialEntryCount++] = {materialKey(d.men[1], d.men[0]), int16_t(-t)};
    }
    std::sort(materialEntries, materialEntries + materialEntryCount,
              [](const MaterialEntry &x, const MaterialEntry &y) { return x.key < y.key; });
}

static void buildSymmetries() {
    for (int s = 0; s < 64; s++) {
        int f = fileOf(s), r = rankOf(s);
        boardSymmetry[0][s] = uint8_t(s);
        boardSymmetry[1][s] = uint8_t(r * 8 + 7 - f);
        boardSymmetry[2][s] = uint8_t((7 - r) * 8 + f);
        boardSymmetry[3][s] = uint8_t((7 - r) * 8 + 7 - f);
        for (int t = 0; t < 4; t++) {
            int image = boardSymmetry[t][s];
            boardSymmetry[t + 4][s] = uint8_t(fileOf(image) * 8 + rankOf(image));
        }
    }
}

static void buildKingPairs() {
    int pawnless = 0, pawns = 0;
    for (int a = 0; a < 64; a++)
        for (int b = 0; b < 64; b++) {
            kingPairPawnless[a][b] = kingPairPawns[a][b] = -1;
            if (a == b || kingsTouch(a, b)) continue;
            kingPairPawns[a][b] = int16_t(pawns++);
            bool inTriangle = fileOf(a) <= 3 && rankOf(a) <= fileOf(a);
            bool onDiagonal = fileOf(a) == rankOf(a);
            if (inTriangle && (!onDiagonal || fileOf(b) >= rankOf(b))) kingPairPawnless[a][b] = int16_t(pawnless++);
        }
}

static void buildBinomials() {
    for (int n = 0; n <= 64; n++) {
        binomial[n][0] = 1;
        for (int k = 1; k <= 4; k++) binomial[n][k] = n == 0 ? 0 : binomial[n - 1][k - 1] + binomial[n - 1][k];
    }
}

/// Notes the smaller rank of a leading pawn set and of its mirror image.
static void noteLeadingPawnSet(const int *set, int count, uint64_t *largest) {
    int mirrored[3];
    for (int i = 0; i < count && i < 3; i++) mirrored[i] = mirroredPawnNumber(set[i]);
    sortGroup(mirrored, std::min(count, 3));
    largest[count] = std::max(largest[count], std::min(setRank(set, count), setRank(mirrored, count)));
}

/// For one, two and three leading pawns: the largest rank that the smaller
/// of a pawn set and its mirror image can have, plus one.
static void buildLeadingPawnRanges() {
    uint64_t largest[4] = {0, 0, 0, 0};
    int set[3];
    for (set[0] = 0; set[0] < 48; set[0]++) {
        noteLeadingPawnSet(set, 1, largest);
        for (set[1] = set[0] + 1; set[1] < 48; set[1]++) {
            noteLeadingPawnSet(set, 2, largest);
            for (set[2] = set[1] + 1; set[2] < 48; set[2]++) noteLeadingPawnSet(set, 3, largest);
        }
    }
    for (int count = 1; count <= 3; count++) leadingPawnRange[count] = uint32_t(largest[count] + 1);
}

int nalimovTableNumber(const char *name) {
    for (int t = 0; t < TB_TABLES; t++)
        if (tbTables[t].name && !std::strcmp(tbTables[t].name, name)) return t;
    return -1;
}

int nalimovTableFor(const uint8_t counts[10]) {
    for (int i = 0; i < 10; i++)
        if (counts[i] > 3) return 0;
    uint32_t key = materialKey(counts, counts + 5);
    const MaterialEntry *end = materialEntries + materialEntryCount;
    const MaterialEntry *found = std::lower_bound(static_cast<const MaterialEntry *>(materialEntries), end, key,
                                                  [](const MaterialEntry &e, uint32_t k) { return e.key < k; });
    return found != end && found->key == key ? found->table : 0;
}

static bool hasPawns(const TbDescriptor &d) { return d.men[0][0] + d.men[1][0] > 0; }

/// Squares of the men the table places, in placement order after the
/// leading and other pawns and the kings: knights to queens of the first
/// side, then of the second.
struct Placement {
    int leadPawns[3], otherPawns[3], kings[2], pieces[10];
    int leadCount, otherCount, pieceGroups[10], groupCount;
};

static void collectPlacement(const TbDescriptor &d, const TbPieceList first, const TbPieceList second, bool invert,
                             Placement &p) {
    const int *lists[2] = {first, second};
    int flip = invert ? 56 : 0;
    int lead = d.men[0][0] ? 0 : 1;
    p.leadCount = d.men[lead][0];
    p.otherCount = d.men[lead ^ 1][0];
    for (int i = 0; i < p.leadCount; i++) p.leadPawns[i] = lists[lead][i] ^ flip;
    for (int i = 0; i < p.otherCount; i++) p.otherPawns[i] = lists[lead ^ 1][i] ^ flip;
    p.kings[0] = first[15] ^ flip;
    p.kings[1] = second[15] ^ flip;
    int n = 0;
    p.groupCount = 0;
    for (int side = 0; side < 2; side++)
        for (int type = 1; type < 5; type++) {
            if (!d.men[side][type]) continue;
            p.pieceGroups[p.groupCount++] = d.men[side][type];
            for (int i = 0; i < d.men[side][type]; i++) p.pieces[n++] = lists[side][type * 3 + i] ^ flip;
        }
}

/// Adds the piece groups to `index` as squeezed unordered sets.
static uint64_t addPieces(uint64_t index, const Placement &p, const uint8_t *symmetry, uint64_t occupied) {
    int n = 0;
    for (int g = 0; g < p.groupCount; g++) {
        int size = p.pieceGroups[g], squeezed[3];
        uint64_t groupMask = 0;
        for (int i = 0; i < size; i++) {
            int square = symmetry[p.pieces[n + i]];
            squeezed[i] = square - std::popcount(occupied & ((uint64_t(1) << square) - 1));
            groupMask |= uint64_t(1) << square;
        }
        sortGroup(squeezed, size);
        index = index * binomial[64 - std::popcount(occupied)][size] + setRank(squeezed, size);
        occupied |= groupMask;
        n += size;
    }
    return index;
}

static uint64_t pawnlessIndex(const Placement &p) {
    uint64_t best = TB_NO_INDEX;
    for (int t = 0; t < 8; t++) {
        const uint8_t *symmetry = boardSymmetry[t];
        int a = symmetry[p.kings[0]], b = symmetry[p.kings[1]];
        if (kingPairPawnless[a][b] < 0) continue;
        uint64_t occupied = uint64_t(1) << a | uint64_t(1) << b;
        best = std::min(best, addPieces(uint64_t(kingPairPawnless[a][b]), p, symmetry, occupied));
    }
    return best;
}

static uint64_t pawnIndex(const Placement &p) {
    uint64_t best = TB_NO_INDEX;
    for (int t = 0; t < 2; t++) {
        const uint8_t *symmetry = boardSymmetry[t];
        int lead[3], other[3];
        uint64_t occupied = 0, leadRows = 0;
        for (int i = 0; i < p.leadCount; i++) {
            int square = symmetry[p.leadPawns[i]];
            lead[i] = pawnNumber(square);
            occupied |= uint64_t(1) << square;
            leadRows |= uint64_t(1) << (square - 8);
        }
        for (int i = 0; i < p.otherCount; i++) {
            int raw = symmetry[p.otherPawns[i]] - 8;
            other[i] = raw - std::popcount(leadRows & ((uint64_t(1) << raw) - 1));
            occupied |= uint64_t(1) << (raw + 8);
        }
        sortGroup(lead, p.leadCount);
        sortGroup(other, p.otherCount);
        int a = symmetry[p.kings[0]], b = symmetry[p.kings[1]];
        uint64_t index = setRank(lead, p.leadCount);
        index = index * binomial[48 - p.leadCount][p.otherCount] + setRank(other, p.otherCount);
        index = index * 3612 + uint64_t(kingPairPawns[a][b]);
        occupied |= uint64_t(1) << a | uint64_t(1) << b;
        best = std::min(best, addPieces(index, p, symmetry, occupied));
    }
    return best;
}

static bool placementValid(const Placement &p) {
    uint64_t seen = 0;
    auto take = [&seen](int square) {
        bool fresh = square >= 0 && square < 64 && !(seen >> square & 1);
        if (fresh) seen |= uint64_t(1) << square;
        return fresh;
    };
    for (int i = 0; i < p.leadCount; i++)
        if (!take(p.leadPawns[i]) || rankOf(p.leadPawns[i]) == 0 || rankOf(p.leadPawns[i]) == 7) return false;
    for (int i = 0; i < p.otherCount; i++)
        if (!take(p.otherPawns[i]) || rankOf(p.otherPawns[i]) == 0 || rankOf(p.otherPawns[i]) == 7) return false;
    int pieceTotal = 0;
    for (int g = 0; g < p.groupCount; g++) pieceTotal += p.pieceGroups[g];
    for (int i = 0; i < pieceTotal; i++)
        if (!take(p.pieces[i])) return false;
    return take(p.kings[0]) && take(p.kings[1]) && !kingsTouch(p.kings[0], p.kings[1]);
}

static uint64_t ordinaryRange(const TbDescriptor &d) {
    int lead = d.men[0][0] ? 0 : 1;
    int placed = 2;
    uint64_t range = 462;
    if (hasPawns(d)) {
        int leadCount = d.men[lead][0], otherCount = d.men[lead ^ 1][0];
        range = uint64_t(leadingPawnRange[leadCount]) * binomial[48 - leadCount][otherCount] * 3612;
        placed += leadCount + otherCount;
    }
    for (int side = 0; side < 2; side++)
        for (int type = 1; type < 5; type++) {
            int size = d.men[side][type];
            if (!size) continue;
            range *= binomial[64 - placed][size];
            placed += size;
        }
    return range;
}

uint64_t nalimovIndex(int table, int, const TbPieceList first, const TbPieceList second, int epSquare, bool invert) {
    const TbDescriptor &d = tbTables[table];
    Placement p;
    collectPlacement(d, first, second, invert, p);
    if (!placementValid(p)) return TB_NO_INDEX;
    if (!hasPawns(d)) return pawnlessIndex(p);
    uint64_t index = pawnIndex(p);
    bool bothSidesPawns = d.men[0][0] && d.men[1][0];
    if (bothSidesPawns && epSquare != TB_NO_EP) index += ordinaryRange(d);
    return index;
}

uint64_t nalimovIndexRange(int table, int) {
    const TbDescriptor &d = tbTables[table];
    uint64_t range = ordinaryRange(d);
    return d.men[0][0] && d.men[1][0] ? 2 * range : range;
}

void nalimovSetup() {
    if (setupDone) return;
    setupDone = true;
    buildBinomials();
    buildSymmetries();
    buildKingPairs();
    buildLeadingPawnRanges();
    buildNames();
    buildDescriptors();
    buildMaterialLookup();
    for (int t = 0; t < TB_TABLES; t++)
        for (int side = 0; side < 2; side++) tbTables[t].count[side] = nalimovIndexRange(t, side);
}
