// The settings a user may change, declared once in one table: each with its
// names in the UCI option list, in xboard's settings dialog and in the
// settings file, its type and range, the value in effect and one routine
// that sets it, so that a setting means the same whatever changes it.
#pragma once

#include <cstdint>
#include <span>

/// Largest transposition table a user may ask for, in megabytes.
constexpr uint64_t MAX_HASH_MB = 131072;

/// The kinds of value a setting takes. A file is a string that xboard's
/// dialog lets the user pick from the disk; UCI shows it as a string.
enum class OptionType { Check, Spin, String, File, Button };

/// One setting. A name is nullptr where the setting is not offered that
/// way: xboard sets some of the UCI options by commands of its own
/// (memory, cores, hard, egtpath, computer, variant).
struct EngineOption {
    const char *uciName;
    const char *xboardName;  // the name in xboard's settings dialog
    const char *configKey;   // the key in quor.cfg
    OptionType type;
    long long min, max;      // a spin's range
    /// The value in effect: 0 or 1 for a check, the number for a spin.
    long long (*number)();
    /// The text in effect for a string or file; nullptr when there is none
    /// to announce.
    const char *(*text)();
    /// Sets the value: a check from 0 or 1, a spin from the number, a string
    /// or file from the text; a button acts.
    void (*set)(long long number, const char *text);
    /// Reads the settings file's value where it means something else than
    /// the protocols' (another unit, or only remembered until start-up has
    /// ended); nullptr: as `set`, a check turned on only by "1".
    void (*configure)(const char *value);
};

/// Every setting, in the order of the UCI option list.
std::span<const EngineOption> engineOptions();

/// The setting whose UCI name (`uci`) or xboard name is `name`, compared
/// without regard to case; nullptr when there is none.
const EngineOption *findOption(const char *name, bool uci);

/// The setting whose settings-file key is exactly `key`, or nullptr.
const EngineOption *findConfigOption(const char *key);

/// NalimovPath: folders of Nalimov tables separated by "," or ";", blanks
/// inside kept. A folder that is missing or no folder is named in one
/// message; no tables are found in it.
void setNalimovPath(const char *path);

/// Hash: the transposition table gets the largest power of two of buckets
/// that fits in `megabytes` (at most MAX_HASH_MB). When the memory cannot be
/// had, the old table stays and a message says so.
void setHashMegabytes(uint64_t megabytes);

/// xboard "memory": `megabytes` for all hash tables together, the
/// transposition and quiescence tables and each search thread's pawn hash.
void setHashMemory(uint64_t megabytes);

/// Changes of the tables wait while a search runs, as its threads use them;
/// this applies them once it has ended.
void applyWaitingTableChanges();
