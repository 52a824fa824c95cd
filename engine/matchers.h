// Matching in every search mode. The search text is prepared once per search (PrepareSearchText, then
// SearchMatcher::Configure compiles it); the worker then asks the matcher about each key name, value name
// and value data. A SearchMatcher is used by one thread at a time: configured on the main thread while no
// search runs, matched on the worker.
#pragma once

#include "engine/match_answer.h"
#include "engine/plain_pattern.h"
#include "engine/regex_prefilter.h"
#include "engine/result_markup.h"
#include "engine/search_types.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Turns the search text into the pattern of the mode: patterns gets one element, or none for the all-items
// and number modes (integerValue is set for the number mode). False for an empty text outside all-items.
bool PrepareSearchText(const std::wstring& text, DWORD mode, std::vector<std::wstring>& patterns,
                       std::uint64_t& integerValue);

// "*" -> ".*?", "." -> "\.", "?" -> "."; everything else is copied.
std::wstring WildcardToRegex(const std::wstring& wildcard);

// Two upper-case hexadecimal digits per byte, no separators.
std::wstring BytesToHex(const BYTE* bytes, size_t count);
void BytesToHex(const BYTE* bytes, size_t count, std::wstring& out);

class SearchMatcher {
public:
    SearchMatcher();
    ~SearchMatcher();
    SearchMatcher(const SearchMatcher&) = delete;
    SearchMatcher& operator=(const SearchMatcher&) = delete;

    // Prepares matching for the mode and pattern with the case and binary rules of options. Compiles a
    // regular expression only when mode, pattern or case rule changed since the last call. False when the
    // pattern is not a valid regular expression; the matcher then matches nothing.
    bool Configure(DWORD mode, const std::wstring& pattern, std::uint64_t integerValue, DWORD options);

    DWORD Mode() const { return mode_; }

    // The core test on a UTF-16 candidate.
    MatchAnswer MatchText(std::wstring_view candidate) const;
    // The test on binary data: the pattern as ANSI bytes, then (find and whole-string modes with the
    // UTF-16 binary option) as UTF-16 bytes. Position and length are in bytes.
    MatchAnswer MatchBytes(const BYTE* data, size_t size) const;
    // The number mode: a REG_DWORD equal to the low 32 bits, or a REG_QWORD equal to the number. Data shorter
    // than its type never matches.
    bool MatchInteger(DWORD type, const BYTE* data, size_t size) const;

    // MatchText, then on a match the colour markup goes into display (which the caller set equal to the
    // candidate) and long text is shortened. An empty candidate never matches.
    bool MatchAndMark(std::wstring_view candidate, std::wstring& display, MarkColour colour) const;
    // MatchBytes, then on a match display = the marked printable rendering of the data.
    bool MatchBinary(const BYTE* data, size_t size, std::wstring& display) const;

    // Why the last answer with failed set came about (the regular-expression engine's message).
    const std::string& LastFailure() const { return lastFailure_; }

private:
    MatchAnswer WholeText(std::wstring_view candidate) const;
    MatchAnswer RegexText(std::wstring_view candidate) const;
    MatchAnswer WholeBytes(std::string_view data, const std::string& pattern) const;
    MatchAnswer RegexBytes(std::string_view data) const;
    void Compile();

    bool configured_ = false;
    DWORD mode_ = SM_FIND_STRING;
    bool matchCase_ = false;
    bool unicodeBinary_ = false;
    bool valid_ = true;
    std::uint64_t integerValue_ = 0;
    std::wstring pattern_;

    // Find and whole-string modes: the pattern as compared (upper-cased when case is ignored).
    std::wstring comparePattern_;
    std::string ansiPattern_;  // ANSI bytes of the pattern, upper-cased when case is ignored
    std::string utf16Pattern_; // UTF-16LE bytes of the pattern, likewise

    // Wildcard and regular-expression modes: the plain matcher when the expression allows it, else the
    // compiled expressions (wide for text, single-byte for binary data) with their reusable match records.
    struct Expressions;
    bool plainText_ = false;
    bool plainBytes_ = false;
    PlainPattern<wchar_t> plainTextPattern_;
    PlainPattern<char> plainBytesPattern_;
    std::unique_ptr<Expressions> regex_;
    // A literal every match contains (lower-cased when case is ignored); candidates without it are not
    // given to the regular-expression search.
    std::wstring textLiteral_;
    std::string bytesLiteral_;
    mutable std::string lastFailure_;
};
