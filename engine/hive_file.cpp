#include "engine/hive_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace hive {

namespace {

constexpr std::size_t kBaseBlockBytes = 4096;
constexpr std::size_t kBinsStart = 4096;
constexpr std::size_t kBinAlignment = 4096;
constexpr std::size_t kProblemTextsKept = 20;
// A nested index list ("ri") holds leaf lists only; one more level is tolerated, deeper ones are refused.
constexpr std::uint32_t kMaxListNesting = 2;

constexpr std::uint16_t kKeyCompressedName = 0x0020;
constexpr std::uint16_t kValueCompressedName = 0x0001;
constexpr std::uint32_t kInlineDataFlag = 0x80000000u;

// Key cell layout (offsets after the cell's size field).
constexpr std::uint32_t kNkFlags = 0x02, kNkWritten = 0x04, kNkSubkeyCount = 0x14, kNkSubkeyList = 0x1C,
                        kNkValueCount = 0x24, kNkValueList = 0x28, kNkSecurity = 0x2C, kNkClass = 0x30,
                        kNkNameBytes = 0x48, kNkClassBytes = 0x4A, kNkName = 0x4C;
// Value cell layout.
constexpr std::uint32_t kVkNameBytes = 0x02, kVkDataSize = 0x04, kVkData = 0x08, kVkType = 0x0C, kVkFlags = 0x10,
                        kVkName = 0x14;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t U64(const std::uint8_t* p) {
    return U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
}
bool Signature(const std::uint8_t* p, const char* two) {
    return p[0] == static_cast<std::uint8_t>(two[0]) && p[1] == static_cast<std::uint8_t>(two[1]);
}

std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Case folding for names: ASCII and Latin-1 letters; everything else compares as it is.
char16_t Fold(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

} // namespace

std::unique_ptr<HiveFile> HiveFile::Open(std::vector<std::uint8_t> bytes, std::string& error) {
    std::unique_ptr<HiveFile> file(new HiveFile());
    file->bytes_ = std::move(bytes);
    if (!file->ReadBaseBlock(error)) {
        return nullptr;
    }
    file->CheckBins();
    Cell root;
    if (!file->KeyCell(file->rootCell_, root, error)) {
        error = "its root key cannot be read: " + error;
        return nullptr;
    }
    file->BuildIndex();
    return file;
}

bool HiveFile::ReadBaseBlock(std::string& error) {
    if (bytes_.size() < kBaseBlockBytes) {
        error = "not a hive file: it is shorter than a hive's 4096-byte header";
        return false;
    }
    const std::uint8_t* base = bytes_.data();
    if (std::memcmp(base, "regf", 4) != 0) {
        error = "not a hive file: it does not start with \"regf\"";
        return false;
    }
    const std::uint32_t primary = U32(base + 4), secondary = U32(base + 8);
    if (primary != secondary) {
        warnings_.push_back(Format("the hive was not cleanly closed (sequence numbers %u and %u differ): "
                                   "changes still in its log files are not applied",
                                   primary, secondary));
    }
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 0x1FC; i += 4) {
        sum ^= U32(base + i);
    }
    sum = sum == 0xFFFFFFFFu ? 0xFFFFFFFEu : (sum == 0 ? 1 : sum);
    if (sum != U32(base + 0x1FC)) {
        NoteProblem(Format("the header's checksum is 0x%08X but its contents give 0x%08X", U32(base + 0x1FC), sum));
    }
    minorVersion_ = U32(base + 0x18);
    rootCell_ = U32(base + 0x24);
    const std::uint32_t binsBytes = U32(base + 0x28);
    const std::size_t fileBins = bytes_.size() - kBinsStart;
    if (fileBins == 0) {
        error = "the file ends after its header: it holds no keys";
        return false;
    }
    if (binsBytes > fileBins) {
        NoteProblem(Format("the file is truncated: its header announces %u bytes of keys and values, the file "
                           "holds %zu",
                           binsBytes, fileBins));
        binsEnd_ = bytes_.size();
    } else if (binsBytes == 0 || binsBytes % kBinAlignment != 0) {
        NoteProblem(Format("the header gives an invalid size of the hive's data (%u bytes)", binsBytes));
        binsEnd_ = bytes_.size();
    } else {
        binsEnd_ = kBinsStart + binsBytes;
    }
    return true;
}

void HiveFile::CheckBins() {
    std::size_t at = kBinsStart;
    while (at < binsEnd_) {
        if (binsEnd_ - at < 32 || std::memcmp(bytes_.data() + at, "hbin", 4) != 0) {
            NoteProblem(Format("no hive bin where one should start (file offset 0x%zX)", at));
            return;
        }
        const std::uint32_t size = U32(bytes_.data() + at + 8);
        if (size < kBinAlignment || size % kBinAlignment != 0 || size > binsEnd_ - at) {
            NoteProblem(Format("the hive bin at file offset 0x%zX has an invalid size (%u bytes)", at, size));
            return;
        }
        at += size;
    }
}

bool HiveFile::CellAt(std::uint32_t offset, Cell& cell, std::string& error) const {
    const std::size_t at = kBinsStart + static_cast<std::size_t>(offset);
    if (offset == 0xFFFFFFFFu || at + 4 > binsEnd_ || at < kBinsStart + 32) {
        error = Format("offset 0x%X points outside the hive's data", offset);
        return false;
    }
    const std::int32_t raw = static_cast<std::int32_t>(U32(bytes_.data() + at));
    const std::uint32_t size = raw < 0 ? 0u - static_cast<std::uint32_t>(raw) : static_cast<std::uint32_t>(raw);
    if (size < 8 || size > binsEnd_ - at) {
        error = Format("the cell at offset 0x%X has an invalid size", offset);
        return false;
    }
    cell.data = bytes_.data() + at + 4;
    cell.size = size - 4;
    return true;
}

bool HiveFile::KeyCell(std::uint32_t offset, Cell& cell, std::string& error) const {
    if (!CellAt(offset, cell, error)) {
        return false;
    }
    if (cell.size < kNkName || !Signature(cell.data, "nk")) {
        error = Format("the cell at offset 0x%X is not a key", offset);
        return false;
    }
    if (kNkName + U16(cell.data + kNkNameBytes) > cell.size) {
        error = Format("the key at offset 0x%X has a name longer than its cell", offset);
        return false;
    }
    return true;
}

void HiveFile::BuildIndex() {
    const std::size_t cellBound = binsEnd_ / 8;
    std::vector<bool> seen(cellBound + 1, false);
    std::vector<std::uint16_t> depth;
    keys_.push_back({rootCell_, 0, 0});
    depth.push_back(0);
    seen[(kBinsStart + rootCell_) / 8] = true;
    std::vector<std::uint32_t> found;
    std::u16string name;
    std::string error;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        Cell cell;
        KeyCell(keys_[i].cell, cell, error); // checked before it entered the index
        keys_[i].firstChild = static_cast<std::uint32_t>(children_.size());
        const std::uint32_t count = U32(cell.data + kNkSubkeyCount);
        if (count == 0) {
            continue;
        }
        if (count > cellBound) {
            NoteProblem(Format("the key at offset 0x%X claims %u sub-keys, more than the file can hold",
                               keys_[i].cell, count));
            continue;
        }
        if (depth[i] >= kMaxKeyDepth) {
            NoteProblem(Format("the key at offset 0x%X lies deeper than %u levels; its sub-keys are left out",
                               keys_[i].cell, kMaxKeyDepth));
            continue;
        }
        found.clear();
        CollectSubkeys(U32(cell.data + kNkSubkeyList), 0, count, found, error);
        for (std::uint32_t child : found) {
            Cell childCell;
            if (!KeyCell(child, childCell, error)) {
                NoteProblem(error);
                continue;
            }
            const std::size_t mark = (kBinsStart + child) / 8;
            if (seen[mark]) {
                NoteProblem(Format("the key at offset 0x%X is listed more than once (a sub-key list points back "
                                   "into the tree)",
                                   child));
                continue;
            }
            seen[mark] = true;
            children_.push_back(static_cast<std::uint32_t>(keys_.size()));
            keys_.push_back({child, 0, 0});
            depth.push_back(static_cast<std::uint16_t>(depth[i] + 1));
            name.resize(KeyNameChars(static_cast<std::uint32_t>(keys_.size() - 1)));
            CopyKeyName(static_cast<std::uint32_t>(keys_.size() - 1), name.data());
            if (name.empty() || name.find_first_of(std::u16string_view(u"\\\0", 2)) != std::u16string::npos) {
                NoteProblem(Format("the key at offset 0x%X has an empty name or one with a backslash or a null "
                                   "character",
                                   child));
            }
        }
        keys_[i].childCount = static_cast<std::uint32_t>(children_.size()) - keys_[i].firstChild;
    }
}

void HiveFile::CollectSubkeys(std::uint32_t list, std::uint32_t nesting, std::uint32_t limit,
                              std::vector<std::uint32_t>& out, std::string& error) const {
    Cell cell;
    if (!CellAt(list, cell, error)) {
        NoteProblem("a sub-key list cannot be read: " + error);
        return;
    }
    const bool leafWithHints = Signature(cell.data, "lf") || Signature(cell.data, "lh");
    const bool leaf = leafWithHints || Signature(cell.data, "li");
    const bool index = Signature(cell.data, "ri");
    if (!leaf && !index) {
        NoteProblem(Format("the cell at offset 0x%X is not a sub-key list", list));
        return;
    }
    const std::uint32_t stride = leafWithHints ? 8 : 4;
    std::uint32_t count = U16(cell.data + 2);
    if (4 + static_cast<std::uint64_t>(count) * stride > cell.size) {
        NoteProblem(Format("the sub-key list at offset 0x%X claims %u entries, more than its cell holds", list, count));
        count = (cell.size - 4) / stride;
    }
    if (index && nesting >= kMaxListNesting) {
        NoteProblem(Format("the sub-key list at offset 0x%X is nested too deeply", list));
        return;
    }
    for (std::uint32_t i = 0; i < count && out.size() < limit; ++i) {
        const std::uint32_t entry = U32(cell.data + 4 + i * stride);
        if (index) {
            CollectSubkeys(entry, nesting + 1, limit, out, error);
        } else {
            out.push_back(entry);
        }
    }
}

std::uint32_t HiveFile::KeyNameChars(std::uint32_t key) const {
    Cell cell;
    std::string error;
    if (key >= keys_.size() || !KeyCell(keys_[key].cell, cell, error)) {
        return 0;
    }
    const std::uint16_t bytes = U16(cell.data + kNkNameBytes);
    return (U16(cell.data + kNkFlags) & kKeyCompressedName) ? bytes : bytes / 2u;
}

std::uint64_t HiveFile::KeyWritten(std::uint32_t key) const {
    Cell cell;
    std::string error;
    return key < keys_.size() && KeyCell(keys_[key].cell, cell, error) ? U64(cell.data + kNkWritten) : 0;
}

std::uint32_t HiveFile::KeyClassChars(std::uint32_t key) const {
    Cell cell;
    std::string error;
    return key < keys_.size() && KeyCell(keys_[key].cell, cell, error) ? U16(cell.data + kNkClassBytes) / 2u : 0;
}

void HiveFile::CopyKeyName(std::uint32_t key, char16_t* out) const {
    Cell cell;
    std::string error;
    if (key >= keys_.size() || !KeyCell(keys_[key].cell, cell, error)) {
        return;
    }
    ValueHeader asValue; // a key name is stored the way a value name is
    asValue.name = cell.data + kNkName;
    asValue.nameBytes = U16(cell.data + kNkNameBytes);
    asValue.nameCompressed = (U16(cell.data + kNkFlags) & kKeyCompressedName) != 0;
    CopyValueName(asValue, out);
}

bool HiveFile::KeyNameEquals(std::uint32_t key, const char16_t* name, std::size_t chars) const {
    if (KeyNameChars(key) != chars) {
        return false;
    }
    std::u16string own(chars, u'\0');
    CopyKeyName(key, own.data());
    for (std::size_t i = 0; i < chars; ++i) {
        if (Fold(own[i]) != Fold(name[i])) {
            return false;
        }
    }
    return true;
}

bool HiveFile::ReadKeyDetails(std::uint32_t key, KeyDetails& details, std::string& error) const {
    Cell cell;
    if (key >= keys_.size() || !KeyCell(keys_[key].cell, cell, error)) {
        return false;
    }
    details = {};
    details.lastWrite = U64(cell.data + kNkWritten);
    details.valueCount = U32(cell.data + kNkValueCount);
    details.valueList = U32(cell.data + kNkValueList);
    if (details.valueCount > 0) {
        Cell list;
        if (!CellAt(details.valueList, list, error)) {
            NoteProblem(Format("the value list of the key at offset 0x%X cannot be read: ", keys_[key].cell) + error);
            details.valueCount = 0;
        } else if (static_cast<std::uint64_t>(details.valueCount) * 4 > list.size) {
            NoteProblem(Format("the key at offset 0x%X claims %u values, more than its value list holds",
                               keys_[key].cell, details.valueCount));
            details.valueCount = list.size / 4;
        }
    }
    Cell part;
    std::string ignored;
    const std::uint32_t classBytes = U16(cell.data + kNkClassBytes);
    if (classBytes > 0 && CellAt(U32(cell.data + kNkClass), part, ignored) && classBytes <= part.size) {
        details.classCell = U32(cell.data + kNkClass);
        details.classBytes = classBytes;
    }
    if (CellAt(U32(cell.data + kNkSecurity), part, ignored) && part.size >= 20 && Signature(part.data, "sk")) {
        details.securityBytes = std::min(U32(part.data + 16), part.size - 20);
    }
    const KeyEntry& entry = keys_[key];
    for (std::uint32_t i = 0; i < entry.childCount; ++i) {
        details.maxSubkeyNameChars = std::max(details.maxSubkeyNameChars, KeyNameChars(Children(entry)[i]));
        details.maxSubkeyClassChars = std::max(details.maxSubkeyClassChars, KeyClassChars(Children(entry)[i]));
    }
    ValueHeader value;
    for (std::uint32_t i = 0; i < details.valueCount; ++i) {
        if (ReadValue(details, i, value, ignored)) {
            details.maxValueNameChars = std::max(details.maxValueNameChars, value.NameChars());
            details.maxValueDataBytes = std::max(details.maxValueDataBytes, value.dataBytes);
        }
    }
    return true;
}

bool HiveFile::ReadValue(const KeyDetails& key, std::uint32_t index, ValueHeader& value, std::string& error) const {
    Cell list, cell;
    if (index >= key.valueCount || !CellAt(key.valueList, list, error)) {
        error = "no such value";
        return false;
    }
    const std::uint32_t offset = U32(list.data + index * 4);
    if (!CellAt(offset, cell, error)) {
        return false;
    }
    if (cell.size < kVkName || !Signature(cell.data, "vk")) {
        error = Format("the cell at offset 0x%X is not a value", offset);
        return false;
    }
    value = {};
    value.cell = offset;
    value.nameBytes = U16(cell.data + kVkNameBytes);
    value.nameCompressed = (U16(cell.data + kVkFlags) & kValueCompressedName) != 0;
    value.name = cell.data + kVkName;
    value.type = U32(cell.data + kVkType);
    if (kVkName + value.nameBytes > cell.size) {
        error = Format("the value at offset 0x%X has a name longer than its cell", offset);
        return false;
    }
    const std::uint32_t size = U32(cell.data + kVkDataSize);
    if (size & kInlineDataFlag) {
        value.dataBytes = size & ~kInlineDataFlag;
        if (value.dataBytes > 4) {
            error = Format("the value at offset 0x%X claims %u bytes of data inside its cell, where 4 fit", offset,
                           value.dataBytes);
            return false;
        }
        value.dataInline = true;
        std::memcpy(value.inlineData, cell.data + kVkData, 4);
        return true;
    }
    value.dataBytes = size;
    value.dataCell = U32(cell.data + kVkData);
    if (size == 0) {
        return true;
    }
    Cell data;
    if (!CellAt(value.dataCell, data, error)) {
        error = Format("the data of the value at offset 0x%X cannot be read: ", offset) + error;
        return false;
    }
    // A value over one segment is either one big cell (some writers do that) or a big-data record whose
    // segments are checked when the data is read.
    const bool bigRecord = data.size < size && size > kBigDataSegment && Signature(data.data, "db");
    if (data.size < size && !bigRecord) {
        error = Format("the value at offset 0x%X claims %u bytes of data, its data cell holds %u", offset, size,
                       data.size);
        return false;
    }
    if (bigRecord && size > binsEnd_) {
        error = Format("the value at offset 0x%X claims %u bytes of data, more than the file holds", offset, size);
        return false;
    }
    return true;
}

void HiveFile::CopyValueName(const ValueHeader& value, char16_t* out) {
    if (value.nameCompressed) {
        for (std::uint32_t i = 0; i < value.nameBytes; ++i) {
            out[i] = value.name[i];
        }
    } else {
        for (std::uint32_t i = 0; i < value.nameBytes / 2u; ++i) {
            out[i] = U16(value.name + 2 * i);
        }
    }
}

bool HiveFile::CopyValueData(const ValueHeader& value, std::uint8_t* out, std::string& error) const {
    if (value.dataInline) {
        std::memcpy(out, value.inlineData, value.dataBytes);
        return true;
    }
    if (value.dataBytes == 0) {
        return true;
    }
    Cell data;
    if (!CellAt(value.dataCell, data, error)) {
        return false;
    }
    if (data.size >= value.dataBytes) {
        std::memcpy(out, data.data, value.dataBytes);
        return true;
    }
    // A big-data record: the segment count and the cell listing the segments.
    Cell segments;
    if (data.size < 8 || !CellAt(U32(data.data + 4), segments, error)) {
        error = Format("the big value at offset 0x%X has no readable segment list", value.cell);
        return false;
    }
    const std::uint32_t count = std::min<std::uint32_t>(U16(data.data + 2), segments.size / 4);
    std::uint32_t copied = 0;
    for (std::uint32_t i = 0; i < count && copied < value.dataBytes; ++i) {
        Cell segment;
        if (!CellAt(U32(segments.data + 4 * i), segment, error)) {
            error = Format("segment %u of the big value at offset 0x%X cannot be read: ", i, value.cell) + error;
            return false;
        }
        const std::uint32_t take = std::min({value.dataBytes - copied, kBigDataSegment, segment.size});
        std::memcpy(out + copied, segment.data, take);
        copied += take;
    }
    if (copied < value.dataBytes) {
        error = Format("the big value at offset 0x%X is missing %u of its %u bytes", value.cell,
                       value.dataBytes - copied, value.dataBytes);
        return false;
    }
    return true;
}

std::u16string HiveFile::ClassName(const KeyDetails& key) const {
    Cell cell;
    std::string error;
    if (key.classBytes == 0 || !CellAt(key.classCell, cell, error) || key.classBytes > cell.size) {
        return {};
    }
    std::u16string name(key.classBytes / 2, u'\0');
    for (std::size_t i = 0; i < name.size(); ++i) {
        name[i] = U16(cell.data + 2 * i);
    }
    return name;
}

void HiveFile::NoteProblem(const std::string& text) const {
    std::lock_guard<std::mutex> hold(problemsLock_);
    ++problemCount_;
    if (problems_.size() < kProblemTextsKept) {
        problems_.push_back(text);
    }
}

std::vector<std::string> HiveFile::Problems() const {
    std::lock_guard<std::mutex> hold(problemsLock_);
    return problems_;
}

std::size_t HiveFile::ProblemCount() const {
    std::lock_guard<std::mutex> hold(problemsLock_);
    return problemCount_;
}

} // namespace hive
