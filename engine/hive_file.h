// A reader of registry hive files: the base block, the hive bins and the key, value, security and list
// cells in them. Portable C++ (no Windows headers), so that it also builds with the host compiler.
//
// Every read is checked against the file's bounds. When the hive is opened, the key tree is read once
// into an index in which each key cell appears at most once and no deeper than kMaxKeyDepth, so a walk
// over the index ends whatever the file holds: lists that point back into themselves or to an ancestor,
// counts larger than the file and cells of the wrong kind are noted as problems and left out.
//
// Threads: a HiveFile is read-only after Open, so any number of threads may read it at once; NoteProblem
// and Problems are guarded by a lock of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace hive {

// Keys nest no deeper than this below the root (the registry's own limit).
inline constexpr std::uint32_t kMaxKeyDepth = 512;
// Longest piece of a big value held by one segment of a big-data record.
inline constexpr std::uint32_t kBigDataSegment = 16344;

// A key of the index: its cell and the range of its sub-keys in the children array.
struct KeyEntry {
    std::uint32_t cell = 0;
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
};

// What one key cell says about itself, read when a key is opened.
struct KeyDetails {
    std::uint64_t lastWrite = 0; // FILETIME ticks
    std::uint32_t valueList = 0; // cell of the value offsets
    std::uint32_t valueCount = 0;
    std::uint32_t classCell = 0;
    std::uint32_t classBytes = 0; // 0: no class name
    std::uint32_t securityBytes = 0;
    // Measured over the key's own sub-keys and values (the cell's stored maxima are not trusted).
    std::uint32_t maxSubkeyNameChars = 0;
    std::uint32_t maxSubkeyClassChars = 0;
    std::uint32_t maxValueNameChars = 0;
    std::uint32_t maxValueDataBytes = 0;
};

// One value's header, as read from its cell.
struct ValueHeader {
    std::uint32_t cell = 0;
    std::uint32_t type = 0;
    std::uint32_t dataBytes = 0;
    std::uint32_t dataCell = 0;
    std::uint8_t inlineData[4] = {};
    bool dataInline = false;
    const std::uint8_t* name = nullptr;
    std::uint16_t nameBytes = 0;
    bool nameCompressed = false; // one byte a character (Latin-1), else UTF-16LE
    std::uint32_t NameChars() const { return nameCompressed ? nameBytes : nameBytes / 2u; }
};

class HiveFile {
public:
    // Reads a hive from its bytes. Null, with a text saying what is wrong, when the bytes are no hive at all
    // (too short, no signature, a root cell that is not a key); lesser damage is noted as problems.
    static std::unique_ptr<HiveFile> Open(std::vector<std::uint8_t> bytes, std::string& error);

    HiveFile(const HiveFile&) = delete;
    HiveFile& operator=(const HiveFile&) = delete;

    // The index: key 0 is the root; Children lists indices into Keys().
    const std::vector<KeyEntry>& Keys() const { return keys_; }
    const std::uint32_t* Children(const KeyEntry& key) const { return children_.data() + key.firstChild; }

    // A key's name in UTF-16 code units (Latin-1 names are widened).
    std::uint32_t KeyNameChars(std::uint32_t key) const;
    void CopyKeyName(std::uint32_t key, char16_t* out) const;
    // The key's last-write time (FILETIME ticks) and the length of its class name, read from its cell alone.
    std::uint64_t KeyWritten(std::uint32_t key) const;
    std::uint32_t KeyClassChars(std::uint32_t key) const;
    // True when the key's name equals name without regard to case (ASCII letters and Latin-1 only; others
    // must match exactly, which is what a hive writer gives for the same name).
    bool KeyNameEquals(std::uint32_t key, const char16_t* name, std::size_t chars) const;

    bool ReadKeyDetails(std::uint32_t key, KeyDetails& details, std::string& error) const;
    bool ReadValue(const KeyDetails& key, std::uint32_t index, ValueHeader& value, std::string& error) const;
    static void CopyValueName(const ValueHeader& value, char16_t* out);
    // Copies the whole data (value.dataBytes) to out.
    bool CopyValueData(const ValueHeader& value, std::uint8_t* out, std::string& error) const;
    // The class name's UTF-16 code units; empty when it cannot be read.
    std::u16string ClassName(const KeyDetails& key) const;

    // Warnings that do not make the file damaged (a hive not cleanly closed).
    const std::vector<std::string>& Warnings() const { return warnings_; }
    // Damage found so far, at opening and while reading; the first few texts and the count of all.
    void NoteProblem(const std::string& text) const;
    std::vector<std::string> Problems() const;
    std::size_t ProblemCount() const;

private:
    struct Cell {
        const std::uint8_t* data = nullptr;
        std::uint32_t size = 0; // bytes after the size field
    };

    HiveFile() = default;
    bool ReadBaseBlock(std::string& error);
    void CheckBins();
    // The cell at an offset from the start of the bins, checked against the file.
    bool CellAt(std::uint32_t offset, Cell& cell, std::string& error) const;
    bool KeyCell(std::uint32_t offset, Cell& cell, std::string& error) const;
    void BuildIndex();
    // Appends the key cells of one sub-key list (nested index lists followed up to a fixed depth).
    void CollectSubkeys(std::uint32_t list, std::uint32_t depth, std::uint32_t limit, std::vector<std::uint32_t>& out,
                        std::string& error) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t binsEnd_ = 0; // end of the readable bins, from the start of the file
    std::uint32_t rootCell_ = 0;
    std::uint32_t minorVersion_ = 0;
    std::vector<KeyEntry> keys_;
    std::vector<std::uint32_t> children_;
    std::vector<std::string> warnings_;

    mutable std::mutex problemsLock_;
    mutable std::vector<std::string> problems_;
    mutable std::size_t problemCount_ = 0;
};

} // namespace hive
