#include "drives/folder_drive_value.h"
#include "drives/logon_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>

namespace quenzel {
namespace {

TEST(FolderDriveValue, ParsesAndBuildsTheStoredForm)
{
    FolderDrive drive;
    ASSERT_TRUE(ParseFolderDriveValue(L"1|X: D:\\Work", drive));
    EXPECT_TRUE(drive.ticked);
    EXPECT_EQ(L'X', drive.letter);
    EXPECT_EQ(L"D:\\Work", drive.folder);
    EXPECT_EQ(L"1|X: D:\\Work", FolderDriveValue(drive));
    EXPECT_EQ(L"X: D:\\Work", MappingArgument(drive));

    ASSERT_TRUE(ParseFolderDriveValue(L"0|q: C:\\Program Files\\Ελληνικά", drive));
    EXPECT_FALSE(drive.ticked);
    EXPECT_EQ(L'Q', drive.letter);
    EXPECT_EQ(L"0|Q: C:\\Program Files\\Ελληνικά", FolderDriveValue(drive));
}

TEST(FolderDriveValue, MalformedValuesAreRejected)
{
    for (const wchar_t* value : {L"", L"1", L"1|", L"1|X", L"1|X:", L"1|X: ", L"1X: D:\\a", L"2|X: D:\\a",
                                 L"1|1: D:\\a", L"1|X; D:\\a", L"1|X:D:\\a", L"1|[: D:\\a", L"1|X:   ", L"0|X: \t "}) {
        FolderDrive drive;
        EXPECT_FALSE(ParseFolderDriveValue(value, drive)) << "value: " << std::wstring(value).size();
    }
}

TEST(FolderDriveValue, DriveColumnAndDialogChoice)
{
    EXPECT_EQ(L" [M:]", DriveColumnText(L'M'));
    EXPECT_EQ(L'M', LetterOfDriveColumn(L" [M:]"));
    EXPECT_EQ(0, LetterOfDriveColumn(L""));
    const std::map<std::wstring, wchar_t> choices = {
        {L" [E:]", L'E'}, {L"[e:]", L'E'}, {L"x:", L'X'}, {L"Z", L'Z'}, {L" b ", L'B'}, {L"", 0},      {L" [", 0},
        {L"XY", 0},       {L"1:", 0},      {L"Ä", 0},     {L"[E]", 0},  {L"E:\\", 0},   {L"E: ", L'E'}};
    for (const auto& [text, letter] : choices)
        EXPECT_EQ(letter, LetterFromChoice(text)) << "choice of length " << text.size();
}

TEST(FolderDriveValue, ReadingStopsAtAGapSkipsMalformedAndSortsByLetter)
{
    const std::map<unsigned, std::wstring> section = {
        {0, L"1|Z: C:\\z"}, {1, L"0|C: C:\\c"}, {2, L"1|"}, {3, L"1|M: C:\\m"}, {5, L"1|A: C:\\a"}};
    const auto drives = ReadFolderDrives([&](unsigned entry) {
        const auto found = section.find(entry);
        return found == section.end() ? std::wstring() : found->second;
    });
    ASSERT_EQ(3u, drives.size());
    EXPECT_EQ(L"0|C: C:\\c", FolderDriveValue(drives[0]));
    EXPECT_EQ(L"1|M: C:\\m", FolderDriveValue(drives[1]));
    EXPECT_EQ(L"1|Z: C:\\z", FolderDriveValue(drives[2]));
}

TEST(FolderDriveValue, CommandLinesQuoteWhatTheReceiverSplits)
{
    EXPECT_EQ(L"\"C:\\a b\"", QuoteArgument(L"C:\\a b"));
    EXPECT_EQ(L"\"D:\\\\\"", QuoteArgument(L"D:\\"));
    EXPECT_EQ(L"\"a\\\\\\\"b\"", QuoteArgument(L"a\\\"b"));
    FolderDrive drive{true, L'X', L"C:\\Program Files"};
    EXPECT_EQ(L"\"C:\\windows\\system32\\subst.exe\" X: \"C:\\Program Files\"",
              MapCommandLine(L"C:\\windows\\system32\\subst.exe", drive));
    EXPECT_EQ(L"\"C:\\windows\\system32\\subst.exe\" Q: /D",
              UnmapCommandLine(L"C:\\windows\\system32\\subst.exe", L'Q'));
    EXPECT_EQ(L"\"C:\\Program Files\\Quenzel\\Quenzel.exe\" -x", LogonRunCommand(L"C:\\Program Files\\Quenzel"));
}

// The log-on start's log: its notice is due once, after drives were not
// mounted, and a log of anything else says nothing.
TEST(LogonLog, TheNoticeIsDueOnceAfterDrivesWereNotMounted)
{
    const std::wstring failed = LogonLogText(L"2026-12-08 07:58:01", {L"W: missing", L"X: refused"});
    EXPECT_EQ(ReadLogonLog(failed).notMounted, 2);
    EXPECT_TRUE(LogonNoticeDue(ReadLogonLog(failed)));
    const std::wstring shown = LogonLogShown(failed);
    EXPECT_EQ(ReadLogonLog(shown).notMounted, 2);
    EXPECT_FALSE(LogonNoticeDue(ReadLogonLog(shown)));
    EXPECT_FALSE(LogonNoticeDue(ReadLogonLog(LogonLogText(L"2026-12-08 07:58:01", {}))));
    const wchar_t* foreign[] = {L"", L"Quenzel log-on start x, folder drives not mounted: 2x",
                                L"Quenzel log-on start x, folder drives not mounted: 12345", L"2\r\n"};
    for (size_t i = 0; i < std::size(foreign); ++i)
        EXPECT_FALSE(LogonNoticeDue(ReadLogonLog(foreign[i]))) << i;
    const std::vector<std::wstring> many(LogonLogMaxLines * 2, L"Y: refused");
    const std::wstring full = LogonLogShown(LogonLogText(L"now", many));
    EXPECT_EQ(static_cast<size_t>(std::count(full.begin(), full.end(), L'\n')), LogonLogMaxLines);
    EXPECT_EQ(ReadLogonLog(full).notMounted, static_cast<int>(many.size())) << "the heading counts every drive";
}

} // namespace
} // namespace quenzel
