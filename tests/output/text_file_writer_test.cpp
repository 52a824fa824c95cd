// The writer shared by the registry export and the list save.
#include "output/text_file_writer.h"
#include "tests/common/file_test_support.h"

#include <gtest/gtest.h>

namespace {

using filetest::ScratchFolder;
using filetest::Utf16Bytes;
using testsupport::ReadFileBytes;

TEST(TextFileWriter, WritesByteOrderMarkUtf16AndCrLfWithoutTerminator) {
    ScratchFolder folder;
    const std::wstring path = folder.File(L"out.txt");
    ASSERT_EQ(WriteUtf16File(path, L"A\n\x00e9\x20ac\nend"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileBytes(path), std::string("\xFF\xFE"
                                               "A\0\r\0\n\0\xE9\0\xAC\x20\r\0\n\0e\0n\0d\0",
                                               22));
    EXPECT_EQ(ToCrLf(L"a\r\nb\n\n"), L"a\r\r\nb\r\n\r\n") << "every LF gets its CR, as the text was built";
}

TEST(TextFileWriter, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    ScratchFolder folder;
    const std::wstring path = folder.File(L"out.reg");
    ASSERT_EQ(WriteUtf16File(path, std::wstring(5000, L'x')), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(WriteUtf16File(path, L"short\n"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFileBytes(path), Utf16Bytes(L"short\r\n"));
    EXPECT_EQ(folder.Count(), 1);
}

// Fault guarded against: the file was truncated when it was opened, so a write that failed destroyed the
// user's old file.
TEST(TextFileWriter, FailedWriteKeepsTheOldFile) {
    ScratchFolder folder;
    const std::wstring path = folder.File(L"busy.csv");
    ASSERT_EQ(WriteUtf16File(path, L"old\n"), static_cast<DWORD>(ERROR_SUCCESS));
    {
        // Another program holds the file open without sharing it.
        UniqueHandle held(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_NE(WriteUtf16File(path, L"new\n"), static_cast<DWORD>(ERROR_SUCCESS));
    }
    EXPECT_EQ(ReadFileBytes(path), Utf16Bytes(L"old\r\n"));
    EXPECT_EQ(folder.Count(), 1) << "the temporary file is removed";

    EXPECT_NE(WriteUtf16File(folder.File(L"missing\\folder.txt"), L"x"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(folder.Count(), 1);
}

} // namespace
