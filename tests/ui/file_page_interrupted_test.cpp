// File jobs that do not end as planned: a full volume, a killed program and
// a window closed during the job leave the files that were there as they
// were, and nothing of their own.
#include "tests/ui/file_page_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using namespace filepage;

constexpr long long LargeSize = 3LL << 30;

// A destination volume that fills up: the job reports it, the earlier output
// stays as it was and no partial file is left behind.
TEST(FilePage, FullVolumeKeepsTheEarlierOutputAndReports)
{
    wchar_t drive[8] = L"";
    if (!GetEnvironmentVariableW(L"QUENZEL_SMALL_DRIVE", drive, 8))
        GTEST_SKIP() << "the test run has no small volume to fill";
    const std::wstring outputFolder = std::wstring(drive) + L"\\full-volume";
    ASSERT_TRUE(CreateDirectoryW(outputFolder.c_str(), nullptr));
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n", FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\big.bin";
    const std::string data = RandomBytes(3 * 1024 * 1024, 11);
    ASSERT_TRUE(WriteFileBytes(plain, data));
    const std::wstring output = outputFolder + L"\\big.bin.enc";
    ASSERT_TRUE(WriteFileBytes(output, "earlier output"));
    SetFieldText(s.app.Control(SourceField), plain);
    ConfirmJob(s, EncryptButton, nullptr, output);
    EXPECT_NE(AnswerMessageBox(s.app, IDYES).find(L"exists already"), std::wstring::npos);
    EXPECT_EQ(
        DismissMessageBox(s.app).rfind(L"The encrypted file\n" + output + L"\ncould not be written completely.", 0),
        0u);
    EXPECT_TRUE(JobEnded(s));
    EXPECT_TRUE(ReadAll(output) == "earlier output");
    EXPECT_TRUE(ReadAll(plain) == data);
    EXPECT_EQ(NamesIn(outputFolder), std::vector<std::wstring>{L"big.bin.enc"});
    EXPECT_TRUE(s.app.Close());
    RemoveTree(outputFolder);
}

// A large job under way: the source sparse and all zero, an earlier output
// beside it when asked for (replaced after a Yes).
void StartLargeJob(Started& s, const char* ini, int command, bool earlierOutput)
{
    ASSERT_NO_FATAL_FAILURE(Start(s, ini, FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\large.bin";
    ASSERT_TRUE(MakeSparseFile(plain, LargeSize));
    if (earlierOutput) {
        ASSERT_TRUE(WriteFileBytes(plain + L".enc", "earlier output"));
    }
    SetFieldText(s.app.Control(SourceField), plain);
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, command));
    if (earlierOutput) {
        EXPECT_NE(AnswerMessageBox(s.app, IDYES).find(L"exists already"), std::wstring::npos);
    }
}

// The job's progress, once it has reached `least` percent; -1 when it did not.
LRESULT ProgressOnceAt(Started& s, LRESULT least)
{
    HWND bar = s.app.Control(ProgressBar);
    if (!WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) >= least; }))
        return -1;
    return SendMessageW(bar, PBM_GETPOS, 0, 0);
}

// A killed program leaves the source and an earlier output as they were,
// and nothing of its own, not even a temporary output: neither an
// encryption that was to replace an earlier output nor a decryption in
// place, whose plaintext must not outlive the process.
TEST(FilePage, KilledDuringALargeJobLeavesOnlyTheFilesThatWereThere)
{
    const struct {
        const char* what;
        const char* ini;
        int command;
        bool earlierOutput;
    } rows[] = {
        {"an encryption replacing an earlier output", "[MAIN]\n1=1\n", EncryptButton, true},
        {"a decryption in place", "[MAIN]\n", DecryptButton, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Started s;
        ASSERT_NO_FATAL_FAILURE(StartLargeJob(s, row.ini, row.command, row.earlierOutput));
        const std::wstring plain = s.Work() + L"\\large.bin";
        std::vector<std::wstring> before{L"large.bin"};
        if (row.earlierOutput)
            before.push_back(L"large.bin.enc");
        const LRESULT position = ProgressOnceAt(s, 5);
        ASSERT_GE(position, 5) << row.what;
        // The output's name beside the source: 64 random bits as hex digits.
        const std::vector<std::wstring> temporaries = TemporaryFilesIn(s.Work());
        ASSERT_EQ(temporaries.size(), 1u) << row.what;
        EXPECT_EQ(temporaries[0].find_first_not_of(L"0123456789abcdef", 9), 9u + 16u) << Narrow(temporaries[0]);
        s.app.Kill();
        ASSERT_LT(position, 95) << row.what << ": the job ended before it could be interrupted";
        // The system closes a killed process's files as it goes.
        WaitUntil([&] { return NamesIn(s.Work()) == before; }, Millis(3000));
        EXPECT_EQ(NamesIn(s.Work()), before) << row.what;
        if (row.earlierOutput) {
            EXPECT_TRUE(ReadAll(plain + L".enc") == "earlier output");
        }
        EXPECT_TRUE(AllZero(plain, LargeSize)) << row.what;
    }
}

// Closing the window while a file job runs asks first; "stop" gives up the
// file: the source and an earlier output stay as they were, no temporary
// file is left, the user is told, and only then does the program end.
TEST(FilePage, ClosedDuringAJobStopsItAndPutsTheFileBack)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(StartLargeJob(s, "[MAIN]\n1=1\n", EncryptButton, true));
    const std::wstring plain = s.Work() + L"\\large.bin";
    ASSERT_GE(ProgressOnceAt(s, 3), 3);
    PostMessageW(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(AnswerQuestion(s.app, IDYES).rfind(L"A task is still running.", 0), 0u);
    EXPECT_EQ(DismissMessageBox(s.app),
              L"The task was stopped: \"large.bin\" was not processed. It is unchanged, and no "
              L"output has been written for it.");
    DWORD code = 0;
    ASSERT_TRUE(s.app.WaitForExit(code)) << "the window goes once the job has ended";
    EXPECT_TRUE(ReadAll(plain + L".enc") == "earlier output");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(plain.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ((LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow, LargeSize);
    EXPECT_TRUE(TemporaryFilesIn(s.Work()).empty());
}

} // namespace
