#include "base/log_file.h"
#include "tests/common/test_support.h"

#include <gtest/gtest.h>

namespace {

const wchar_t* kTestLog = L"quillon_test_log.txt";

TEST(LogFile, WritesSingleByteLinesWithCrLf) {
    LogFile log;
    std::wstring path = log.OpenLogFile(kTestLog);
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.find(L"\\Orvanta\\Quillon\\quillon_test_log.txt"), std::wstring::npos) << path.c_str();

    log.LogWriteLine(L"plain ASCII");
    log.LogPrintf(L"Unable to open key:%ls", L"Software\\Caf\u00e9 \u00ff");
    log.LogPrintf(L"RegEnumValue error %lu: %ls", 234ul, L"\u0416\u4e2d\U0001F600x");
    log.CloseLogFile();

    // Latin-1 characters keep their byte; anything above U+00FF (each UTF-16 unit) becomes "?".
    EXPECT_EQ(testsupport::ReadFileBytes(path), "plain ASCII\r\n"
                                                "Unable to open key:Software\\Caf\xe9 \xff\r\n"
                                                "RegEnumValue error 234: ????x\r\n");
}

TEST(LogFile, LinesAreOnDiskBeforeClose) {
    LogFile log;
    std::wstring path = log.OpenLogFile(kTestLog);
    ASSERT_FALSE(path.empty());
    log.LogWriteLine(L"first");
    EXPECT_EQ(testsupport::ReadFileBytes(path), "first\r\n");
}

TEST(LogFile, SecondOpenTruncates) {
    LogFile log;
    std::wstring path = log.OpenLogFile(kTestLog);
    log.LogWriteLine(L"old search");
    log.CloseLogFile();
    EXPECT_EQ(log.OpenLogFile(kTestLog), path);
    log.CloseLogFile();
    EXPECT_EQ(testsupport::ReadFileBytes(path), "");
}

TEST(LogFile, OverlongLineIsCutNotOverflowed) {
    LogFile log;
    std::wstring path = log.OpenLogFile(kTestLog);
    std::wstring longText(5000, L'k');
    log.LogPrintf(L"RegEnumKeyEx error %lu: %ls", 5ul, longText.c_str());
    log.LogPrintf(L"after");
    log.CloseLogFile();
    std::string bytes = testsupport::ReadFileBytes(path);
    std::string expectedFirst = "RegEnumKeyEx error 5: " + std::string(kLogLineCapacity - 1 - 22, 'k') + "\r\n";
    EXPECT_EQ(bytes, expectedFirst + "after\r\n");
}

TEST(LogFile, UnopenedOrFailedLogSwallowsLines) {
    LogFile never;
    never.LogPrintf(L"nobody hears %ls", L"this");
    never.LogWriteLine(L"or this");
    never.CloseLogFile();
    EXPECT_FALSE(never.IsOpen());

    // Another writer holding the file keeps a second one from opening it for writing.
    LogFile holder;
    std::wstring path = holder.OpenLogFile(kTestLog);
    ASSERT_FALSE(path.empty());
    LogFile blocked;
    EXPECT_EQ(blocked.OpenLogFile(kTestLog), L"");
    blocked.LogPrintf(L"lost %d", 1);
    EXPECT_FALSE(blocked.IsOpen());
    holder.LogWriteLine(L"kept");
    holder.CloseLogFile();
    EXPECT_EQ(testsupport::ReadFileBytes(path), "kept\r\n");
}

} // namespace
