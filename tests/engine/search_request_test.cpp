// The request built from a form's values: the order of the checks and their messages, and what an accepted
// request holds. The search view and the console program both rely on these answers.
#include "engine/keldra_thread.h"
#include "engine/search_request.h"
#include "base/settings.h"

#include <gtest/gtest.h>

namespace {

SearchFormValues Values(const std::wstring& text, const std::wstring& lookIn, DWORD mode = SM_FIND_STRING) {
    SearchFormValues values;
    values.searchText = text;
    values.lookIn = lookIn;
    values.mode = mode;
    values.unicodeBinary = false;
    return values;
}

RequestRefusal RefusalOf(const SearchFormValues& values) {
    RequestOutcome outcome = BuildSearchRequest(values);
    EXPECT_FALSE(outcome.Accepted());
    return outcome.refusal;
}

SYSTEMTIME Day(WORD year, WORD month, WORD day, WORD hour = 0) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    return time;
}

bool SearchToTheEnd(CKeldraThread& engine, const SearchRequest& request) {
    if (!engine.Start(request)) {
        return false;
    }
    const bool ended = WaitForSingleObject(engine.GetHandle(), 30000) == WAIT_OBJECT_0;
    engine.Stop();
    return ended;
}

} // namespace

TEST(SearchRequestChecks, RefusalsComeInTheFormsOrderWithItsMessages) {
    // Everything wrong at once: the computer name is reported first.
    SearchFormValues values = Values(L"", L"nonsense;HKEY_CURRENT_USER");
    values.remote = true;
    values.computer = L" \\\\/ ";
    RequestRefusal refusal = RefusalOf(values);
    EXPECT_EQ(refusal.field, RequestField::Computer);
    EXPECT_EQ(refusal.message, L"Please enter a remote computer name.");

    values.computer = L"\\\\FAR/";
    refusal = RefusalOf(values);
    EXPECT_EQ(refusal.field, RequestField::RemoteHive);
    EXPECT_EQ(refusal.message, L"Only 'HKEY_LOCAL_MACHINE' and 'HKEY_USERS' are supported for remote registry search.");

    values.lookIn = L"nonsense";
    refusal = RefusalOf(values);
    EXPECT_EQ(refusal.field, RequestField::LookIn);
    EXPECT_EQ(refusal.message, L"Error in the Look-In text.");

    values.remote = false;
    values.lookIn = L"HKCU\\Software";
    refusal = RefusalOf(values);
    EXPECT_EQ(refusal.field, RequestField::SearchText);
    EXPECT_EQ(refusal.message, L"Empty or invalid search string");
}

TEST(SearchRequestChecks, SearchTextMustPrepareAndCompile) {
    EXPECT_EQ(RefusalOf(Values(L"   ", L"HKCU")).field, RequestField::SearchText);
    EXPECT_EQ(RefusalOf(Values(L"[", L"HKCU", SM_REGEX)).field, RequestField::SearchText);
    EXPECT_EQ(RefusalOf(Values(L"a[", L"HKCU", SM_WILDCARD)).field, RequestField::SearchText);
    // A bracket is an ordinary character outside the expression modes; all items needs no text.
    EXPECT_TRUE(BuildSearchRequest(Values(L"[", L"HKCU")).Accepted());
    EXPECT_TRUE(BuildSearchRequest(Values(L"", L"HKCU", SM_ALL_ITEMS)).Accepted());
    // The HKCR abbreviation is not refused for a remote search, as the form never did.
    SearchFormValues remote = Values(L"x", L"HKCR\\.txt");
    remote.remote = true;
    remote.computer = L"far";
    EXPECT_TRUE(BuildSearchRequest(remote).Accepted());
}

TEST(SearchRequestBuilding, AcceptedRequestCarriesTheShapedValues) {
    SearchFormValues values = Values(L"  \"*.reg\" ", L"HKLM\\Software; hku");
    values.remote = true;
    values.computer = L"\\\\Far\\";
    values.excludeOn = true;
    values.exclude = L"HKLM\\Software\\Classes";
    values.options = SO_MATCH_CASE; // no look-at bit: all three
    values.typeMask = 0;            // none: all types
    values.modifiedAfter = Day(2024, 5, 1, 13);
    values.lengthFilterOn = true;
    values.lengthFrom = 100;
    values.lengthTo = 50;
    values.keyTreeOn = true;
    values.resultLimit = 5;
    RequestOutcome outcome = BuildSearchRequest(values);
    ASSERT_TRUE(outcome.Accepted());
    const SearchRequest& request = *outcome.request;
    EXPECT_EQ(request.remoteComputer, L"Far");
    ASSERT_EQ(request.lookIn.size(), 2u);
    EXPECT_EQ(request.lookIn[1].root, HKEY_USERS);
    ASSERT_EQ(request.excludeKeys.size(), 2u);
    EXPECT_EQ(request.excludeKeys[0].subKey, L"Software\\Classes");
    EXPECT_EQ(request.excludeKeys[1].root, HKEY_CURRENT_USER);
    EXPECT_EQ(request.excludeKeys[1].subKey, std::wstring(kProgramKeyPath) + L"\\" + kHistorySubKey);
    EXPECT_EQ(request.options, DWORD{SO_LOOK_AT_MASK | SO_MATCH_CASE});
    EXPECT_EQ(request.typeMask, 0xFFFFFFFFu);
    ASSERT_EQ(request.patterns.size(), 1u);
    EXPECT_EQ(request.patterns[0], L"reg");
    EXPECT_TRUE(request.modifiedAfterOn);
    EXPECT_FALSE(request.modifiedBeforeOn);
    SYSTEMTIME back = {};
    FileTimeToSystemTime(&request.modifiedAfter, &back);
    EXPECT_EQ(back.wHour, 13) << "taken unchanged, no time-zone conversion";
    EXPECT_TRUE(request.lengthFilterOn);
    EXPECT_EQ(request.minLength, 100u);
    EXPECT_EQ(request.maxLength, 0u) << "a To below From means no upper bound";
    EXPECT_TRUE(request.keyTreeOn);
    EXPECT_EQ(request.resultLimit, 5u);

    // The exclude text counts only while its box is checked; the history key is always left out.
    values.excludeOn = false;
    EXPECT_EQ(BuildSearchRequest(values).request->excludeKeys.size(), 1u);
}

TEST(SearchRequestBuilding, DataModesDropLookAtAndNarrowTypes) {
    SearchFormValues values = Values(L"0x10", L"HKCU", SM_INTEGER);
    values.options = SO_KEYS | SO_MATCH_CASE;
    RequestOutcome outcome = BuildSearchRequest(values);
    ASSERT_TRUE(outcome.Accepted());
    EXPECT_EQ(outcome.request->options, DWORD{SO_MATCH_CASE});
    EXPECT_EQ(outcome.request->typeMask, DWORD{(1u << REG_DWORD) | (1u << REG_QWORD)});
    EXPECT_EQ(outcome.request->integerValue, 16u);
    EXPECT_TRUE(outcome.request->patterns.empty());
}

TEST(SearchRequestBuilding, TheWorkerSearchesWithItsRequest) {
    // The worker searches with the request it is given: its case rule, its pattern.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QuillonTestRequest\\Alpha", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t text[] = L"needle in here";
    RegSetValueExW(key, L"Note", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(key);

    SearchFormValues values = Values(L"NEEDLE", L"HKCU\\Software\\QuillonTestRequest");
    values.options = SO_DATA | SO_MATCH_CASE;
    CKeldraThread engine;
    ASSERT_TRUE(SearchToTheEnd(engine, *BuildSearchRequest(values).request));
    EXPECT_EQ(engine.Results().Count(), 0u) << "the case rule came along";

    values.options = SO_DATA;
    ASSERT_TRUE(SearchToTheEnd(engine, *BuildSearchRequest(values).request));
    SearchResult found;
    ASSERT_EQ(engine.Results().Count(), 1u);
    ASSERT_TRUE(engine.Results().Copy(0, found));
    EXPECT_EQ(found.valueName, L"Note");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuillonTestRequest");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillonTestRequest");
}
