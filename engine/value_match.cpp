#include "engine/value_match.h"

#include "engine/result_markup.h"

#include <cstdint>

namespace {

// Where the data display of a matched record comes from.
enum class DataShown {
    Nothing,     // left empty (numbers as text, data not looked at)
    Text,        // a REG_SZ / REG_EXPAND_SZ string
    MultiString, // one string of a REG_MULTI_SZ
    Binary,      // binary data that matched
    BinaryNote,  // binary data that did not match
    Hex,         // the hexadecimal text of the data
};

struct DataTest {
    DataShown shown = DataShown::Nothing;
    MatchAnswer answer;
    std::wstring_view text;
    bool moreBefore = false;
    bool moreAfter = false;
};

const wchar_t* Chars(const BYTE* data) {
    return reinterpret_cast<const wchar_t*>(data);
}

// The string of a REG_SZ / REG_EXPAND_SZ: size / 2 characters without a final null.
std::wstring_view StringData(const BYTE* data, DWORD size) {
    std::wstring_view text(Chars(data), size / 2);
    if (!text.empty() && text.back() == L'\0') {
        text.remove_suffix(1);
    }
    return text;
}

void NoteFailure(const MatchAnswer& answer, ValueVerdict& verdict) {
    verdict.matchFailed |= answer.failed;
}

MatchAnswer TestNonEmpty(const SearchMatcher& matcher, std::wstring_view text) {
    return text.empty() ? MatchAnswer{} : matcher.MatchText(text);
}

// The strings in order, each ending at its null or the end of the data; the first that matches wins.
void TestMultiString(const SearchMatcher& matcher, const BYTE* data, DWORD size, DataTest& test,
                     ValueVerdict& verdict) {
    const wchar_t* chars = Chars(data);
    const size_t count = size / 2;
    test.shown = DataShown::MultiString;
    if (count == 0 || chars[0] == L'\0') {
        return;
    }
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < count && chars[end] != L'\0') {
            ++end;
        }
        test.text = std::wstring_view(chars + start, end - start);
        test.answer = TestNonEmpty(matcher, test.text);
        NoteFailure(test.answer, verdict);
        if (test.answer.found) {
            test.moreBefore = start > 0;
            test.moreAfter = count > end + 2; // more than the final null follows
            return;
        }
        if (end + 1 >= count || chars[end + 1] == L'\0') {
            return;
        }
        start = end + 1;
    }
}

DataTest TestDataAsText(const SearchMatcher& matcher, DWORD type, const BYTE* data, DWORD size, ValueVerdict& verdict) {
    DataTest test;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        test.shown = DataShown::Text;
        test.text = StringData(data, size);
        test.answer = TestNonEmpty(matcher, test.text);
        NoteFailure(test.answer, verdict);
        break;
    case REG_MULTI_SZ:
        TestMultiString(matcher, data, size, test, verdict);
        break;
    case REG_DWORD:
    case REG_QWORD:
        break; // numbers never match as text
    default:
        test.answer = matcher.MatchBytes(data, size);
        NoteFailure(test.answer, verdict);
        test.shown = test.answer.found ? DataShown::Binary : DataShown::BinaryNote;
        break;
    }
    return test;
}

std::wstring DataTestMarkup(const DataTest& test, const BYTE* data, DWORD size) {
    const MatchAnswer& a = test.answer;
    switch (test.shown) {
    case DataShown::Text:
    case DataShown::Hex:
        return std::wstring(test.text); // marked text is kept as a mark, not as markup
    case DataShown::MultiString: {
        if (!a.found) {
            return std::wstring(test.text);
        }
        std::wstring markup = test.moreBefore ? kMoreData : L"";
        markup += MarkAndShorten(test.text, a.position, a.length, MarkColour::Data);
        if (test.moreAfter) {
            markup += kMoreData;
        }
        return markup;
    }
    case DataShown::Binary:
        return BinaryMarkup(data, size, a.position, a.length);
    case DataShown::BinaryNote:
        return kBinaryNotShown;
    case DataShown::Nothing:
        break;
    }
    return {};
}

} // namespace

ValueVerdict EvaluateValue(const SearchMatcher& matcher, DWORD options, std::wstring_view name, DWORD type,
                           const BYTE* data, DWORD size, std::wstring& scratch, SearchResult& record) {
    ValueVerdict verdict;
    const DWORD mode = matcher.Mode();
    MatchAnswer nameAnswer;
    if ((options & SO_VALUES) && !name.empty()) {
        nameAnswer = matcher.MatchText(name);
        verdict.nameMatched = nameAnswer.found;
        NoteFailure(nameAnswer, verdict);
    }

    const bool asText = (options & SO_DATA) && size > 0;
    DataTest test;
    if (asText) {
        test = TestDataAsText(matcher, type, data, size, verdict);
        verdict.dataMatched = test.answer.found;
    } else if (mode == SM_HEX && size > 0) {
        BytesToHex(data, size, scratch);
        test.shown = DataShown::Hex;
        test.text = scratch;
        test.answer = matcher.MatchText(scratch);
        verdict.dataMatched = test.answer.found;
        NoteFailure(test.answer, verdict);
    } else if (mode == SM_INTEGER) {
        verdict.dataMatched = matcher.MatchInteger(type, data, size);
    } else if (mode == SM_ALL_ITEMS) {
        verdict.dataMatched = true;
    }
    if (!verdict.nameMatched && !verdict.dataMatched) {
        return verdict;
    }

    record.valueName.assign(name);
    record.type = type;
    record.dataSize = size;
    record.kind = (verdict.nameMatched ? DWORD{RK_VALUE_NAME} : 0) | (verdict.dataMatched ? DWORD{RK_DATA} : 0);
    record.nameMark = {static_cast<std::uint32_t>(nameAnswer.position), static_cast<std::uint32_t>(nameAnswer.length),
                       verdict.nameMatched};
    const bool textShown = test.shown == DataShown::Text || test.shown == DataShown::Hex;
    if (textShown) {
        record.dataText.assign(test.text);
    }
    // Matched text is shown marked; the record keeps where, and the list marks it when the row is drawn.
    if (textShown && test.answer.found) {
        record.dataDisplay = DataDisplay::MarkedText;
        record.dataMark = {static_cast<std::uint32_t>(test.answer.position),
                           static_cast<std::uint32_t>(test.answer.length), true};
        return verdict;
    }
    std::wstring markup = DataTestMarkup(test, data, size);
    if (size > 0 && ((!asText && mode != SM_HEX) || markup.empty() || mode == SM_ALL_ITEMS)) {
        FormatData(type, data, size, markup);
    }
    KeepDataMarkup(record, std::move(markup), data, size);
    return verdict;
}
