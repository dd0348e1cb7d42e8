// Where the file page's output goes: a file already in its place, the key
// file, the name beside a decryption's source, and the source's way to the
// recycle bin.
#include "tests/ui/file_page_support.h"

#include <gtest/gtest.h>

namespace {

using namespace filepage;

constexpr wchar_t ExistsQuestion[] = L"\nexists already. Replace it?";
constexpr wchar_t ReadOnlyQuestion[] = L"\nis read-only. Replace it all the same?\nIt stays read-only.";

// A file in the destination's place: another file beside the source, or
// the source itself (no renaming option).
struct ExistingCase {
    const char* what;
    bool inPlace;
    DWORD attributes;        // the destination's
    const wchar_t* question; // after "The file\n" and the destination
};

// Writes the source `plain` and the other file beside it afresh, gives the
// destination its attributes and chooses the renaming option; the
// destination comes back.
std::wstring PrepareExisting(Started& s, const ExistingCase& c, const std::wstring& plain, const std::string& content)
{
    SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW((plain + L".enc").c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::wstring destination = c.inPlace ? plain : plain + L".enc";
    EXPECT_TRUE(WriteFileBytes(plain, content));
    EXPECT_TRUE(WriteFileBytes(plain + L".enc", "older output"));
    EXPECT_TRUE(SetFileAttributesW(destination.c_str(), c.attributes));
    SendMessageW(s.app.Control(AddEncBox), BM_SETCHECK, c.inPlace ? BST_UNCHECKED : BST_CHECKED, 0);
    SetFieldText(s.app.Control(SourceField), plain);
    return destination;
}

// A file in the destination's place, read-only or not, the source itself
// included, is replaced only after a Yes; No is the default and leaves it
// as it was. A source that another program holds open is reported, nothing
// is written.
TEST(FilePage, AnExistingDestinationStaysAfterANoOrASourceThatCannotBeRead)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n", FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\e.txt";
    const ExistingCase cases[] = {
        {"another file, hidden", false, FILE_ATTRIBUTE_HIDDEN, ExistsQuestion},
        {"another file, read-only", false, FILE_ATTRIBUTE_READONLY, ReadOnlyQuestion},
        {"the source itself, read-only", true, FILE_ATTRIBUTE_READONLY, ReadOnlyQuestion},
    };
    for (const ExistingCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring destination = PrepareExisting(s, c, plain, "new content");
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton));
        int defaultButton = 0;
        EXPECT_EQ(AnswerQuestion(s.app, IDNO, defaultButton), L"The file\n" + destination + c.question);
        EXPECT_EQ(defaultButton, IDNO);
        EXPECT_TRUE(JobEnded(s));
        EXPECT_TRUE(NoResultWithin(s, Millis(500)));
        EXPECT_TRUE(ReadAll(plain + L".enc") == "older output");
        EXPECT_TRUE(ReadAll(plain) == "new content");
        EXPECT_TRUE(HasAttributes(destination, c.attributes));
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SendMessageW(s.app.Control(AddEncBox), BM_SETCHECK, BST_CHECKED, 0);

    HANDLE held = CreateFileW(plain.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ConfirmJob(s, EncryptButton);
    EXPECT_NE(AnswerMessageBox(s.app, IDYES).find(L"exists already"), std::wstring::npos);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The file\n" + plain + L"\ncannot be read. Nothing has been written", 0),
              0u);
    CloseHandle(held);
    EXPECT_TRUE(ReadAll(plain + L".enc") == "older output");
    EXPECT_TRUE(s.app.Close());
}

// After a Yes the file in the destination's place, the source itself
// included, is replaced and hands on its hidden, system and read-only
// attributes.
TEST(FilePage, AReplacedDestinationKeepsItsAttributes)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n", FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\a.txt";
    const DWORD hiddenSystemReadOnly = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const ExistingCase cases[] = {
        {"another file, hidden", false, FILE_ATTRIBUTE_HIDDEN, L"exists already"},
        {"the source itself, read-only, hidden and system", true, hiddenSystemReadOnly, L"is read-only"},
    };
    for (const ExistingCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring destination = PrepareExisting(s, c, plain, "new");
        std::wstring proposed;
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton, &proposed));
        EXPECT_EQ(proposed, destination);
        EXPECT_NE(AnswerQuestion(s.app, IDYES).find(c.question), std::wstring::npos);
        ASSERT_TRUE(CloseResult(s));
        EXPECT_TRUE(JobEnded(s));
        EXPECT_TRUE(ReadAll(destination) == Transformed("new", OwnPassword, 7));
        EXPECT_TRUE(HasAttributes(destination, c.attributes));
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    EXPECT_TRUE(s.app.Close());
}

// The key file is never replaced by an output: the data could never be
// decrypted again.
TEST(FilePage, TheKeyFileIsNeverTheDestination)
{
    Started s;
    const std::wstring key = s.Work() + L"\\the.key";
    ASSERT_NO_FATAL_FAILURE(Start(s, KeyFileIni(key).c_str(), FilePageCommand));
    ASSERT_TRUE(WriteFileBytes(key, "the key"));
    const std::wstring plain = s.Work() + L"\\plain.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "plain"));
    SetFieldText(s.app.Control(SourceField), plain);
    ConfirmJob(s, EncryptButton, nullptr, key);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The destination\n" + key + L"\nis the key file.", 0), 0u);
    EXPECT_TRUE(JobEnded(s));
    EXPECT_TRUE(NoResultWithin(s, Millis(500)));
    EXPECT_TRUE(ReadAll(key) == "the key");
    EXPECT_TRUE(ReadAll(plain) == "plain");
    EXPECT_TRUE(s.app.Close());
}

// "dot." and "dot" are two files: the one named is the one processed.
TEST(FilePage, ANameEndingInADotIsProcessedNotItsTwin)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring dotted = s.Work() + L"\\dot.";
    ASSERT_TRUE(WriteFileBytes(dotted, "with the dot"));
    ASSERT_TRUE(WriteFileBytes(s.Work() + L"\\dot", "without"));
    SetFieldText(s.app.Control(SourceField), dotted);
    EXPECT_EQ(RunFileJob(s, EncryptButton).proposed, dotted);
    EXPECT_TRUE(ReadAll(dotted) == Transformed("with the dot", OwnPassword, 7));
    EXPECT_TRUE(ReadAll(s.Work() + L"\\dot") == "without");
    EXPECT_TRUE(s.app.Close());
}

// A decryption never takes the name of the file beside its source: a
// classic one with a wrong password writes the next free name and says so
// first, and its result shows the information icon, not the finished job's.
TEST(FilePage, ADecryptionTakesTheNextFreeNameBesideTheOriginal)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n2=1\n", FilePageCommand));
    TypeOwnPassword(s);
    const auto resultIcon = [&s] {
        HWND result = WaitForDialogWith(s.app, ResultOutputId);
        const LRESULT icon = result ? SendDlgItemMessageW(result, IDC_RESULT_ICON, STM_GETICON, 0, 0) : 0;
        EXPECT_TRUE(result && Press(result, IDOK));
        return icon;
    };
    // Each source and output here is text (see RandomLetters).
    const std::wstring other = s.Work() + L"\\y.txt";
    ASSERT_TRUE(WriteFileBytes(other, RandomLetters(100, 61)));
    SetFieldText(s.app.Control(SourceField), other);
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton));
    const LRESULT finishedIcon = resultIcon();

    // x.txt.enc is x.txt encrypted with "secret", decrypted here with the tests' own password.
    const std::string wrongResult = RandomLetters(400, 62);
    const std::string encrypted = Transformed(wrongResult, OwnPassword, 7);
    const std::string original = Transformed(encrypted, "secret", 7);
    const std::wstring plain = s.Work() + L"\\x.txt";
    ASSERT_TRUE(WriteFileBytes(plain, original));
    ASSERT_TRUE(WriteFileBytes(plain + L".enc", encrypted));
    SetFieldText(s.app.Control(SourceField), plain + L".enc");
    std::wstring proposed, question;
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, DecryptButton, &proposed, L"", &question));
    EXPECT_EQ(proposed, s.Work() + L"\\x (2).txt");
    EXPECT_NE(question.find(L"A file \"x.txt\" exists already and is kept: the decrypted file takes the next free "
                            L"name, \"x (2).txt\"."),
              std::wstring::npos)
        << Narrow(question);
    EXPECT_NE(resultIcon(), finishedIcon) << "a result that was never authenticated";
    EXPECT_TRUE(ReadAll(plain) == original);
    EXPECT_TRUE(ReadAll(s.Work() + L"\\x (2).txt") == wrongResult);
    EXPECT_TRUE(s.app.Close());
}

enum class SourceFate { Kept, Recycled };

struct RecycleCase {
    std::vector<int> checked; // the bin box asks for the bin, with add ".enc" (encrypting) or add ".dec" (decrypting)
    int command;
    std::wstring name;
    std::wstring destination; // typed into the confirmation; empty: as proposed
    std::wstring output;
    SourceFate source;
    bool binPromised; // the confirmation says the source goes to the bin
};

// Runs one file job of the recycle table in the test's folder.
void RunRecycleCase(Started& s, const RecycleCase& c)
{
    SetNamingOptions(s, c.checked);
    const std::wstring source = s.Work() + L"\\" + c.name;
    const std::string content = "content of " + Narrow(c.name);
    ASSERT_TRUE(WriteFileBytes(source, content));
    SetFieldText(s.app.Control(SourceField), source);
    std::wstring question;
    ASSERT_NO_FATAL_FAILURE(
        ConfirmJob(s, c.command, nullptr, c.destination.empty() ? L"" : s.Work() + L"\\" + c.destination, &question));
    EXPECT_EQ(question.find(L"recycle bin") != std::wstring::npos, c.binPromised) << Narrow(question);
    EXPECT_FALSE(c.binPromised && question.find(L"stays as it is") != std::wstring::npos) << Narrow(question);
    // Where the source cannot go to a bin, Windows asks before deleting it
    // for good (the answer here is No); Wine's shell declines by itself.
    HWND result = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        if (HWND ask = WaitForDialogWith(s.app, IDNO, Millis(0)))
            Press(ask, IDNO);
        result = WaitForDialogWith(s.app, ResultOutputId, Millis(0));
        return result != nullptr;
    })) << Narrow(c.name);
    ASSERT_TRUE(Press(result, IDOK));
    ASSERT_TRUE(JobEnded(s));
    EXPECT_TRUE(ReadAll(s.Work() + L"\\" + c.output) == Transformed(content, OwnPassword, 7)) << Narrow(c.name);
    if (c.source == SourceFate::Recycled) {
        EXPECT_TRUE(WaitUntil([&] { return !FileExists(source); })) << Narrow(c.name);
        EXPECT_TRUE(FileExists(TrashFolder() + L"\\" + c.name)) << Narrow(TrashFolder());
    } else if (c.output != c.name) {
        EXPECT_TRUE(ReadAll(source) == content) << Narrow(c.name);
        EXPECT_FALSE(FileExists(TrashFolder() + L"\\" + c.name)) << Narrow(c.name);
    }
}

// The confirmation promises the recycle bin only where the options send the
// source there, and a source that cannot go to a bin is never deleted
// without a question.
TEST(FilePage, SourceGoesToTheRecycleBinOnlyWhenTheOutputIsAnotherFile)
{
    const std::wstring t = std::to_wstring(GetCurrentProcessId()); // this run's names
    constexpr SourceFate Binned = SourceFate::Recycled, Kept = SourceFate::Kept;
    // clang-format off
    const RecycleCase cases[] = {
        {{RecycleBox, AddEncBox}, EncryptButton, L"enc-" + t + L".txt", L"", L"enc-" + t + L".txt.enc", Binned, true},
        {{RecycleBox, AddDecBox}, DecryptButton, L"dec-" + t + L".enc", L"", L"dec-" + t + L".enc.dec", Binned, true},
        {{RecycleBox}, EncryptButton, L"other-" + t + L".txt", L"other-output.bin", L"other-output.bin", Kept, false},
        {{RecycleBox, RemoveEncBox}, DecryptButton, L"strip-" + t + L".enc", L"", L"strip-" + t, Kept, false},
        // The destination typed as the source in other letters is the source:
        // it is replaced in place and never sent to the bin.
        {{RecycleBox, AddEncBox}, EncryptButton, L"same.txt", L".\\SAME.TXT", L"same.txt", Kept, true},
    };
    // Where there is no recycle bin.
    const RecycleCase noBin =
        {{RecycleBox, AddEncBox}, EncryptButton, L"kept-" + t + L".txt", L"", L"kept-" + t + L".txt.enc", Kept, true};
    // clang-format on
    {
        Started s;
        ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
        TypeOwnPassword(s);
        for (const RecycleCase& c : cases)
            ASSERT_NO_FATAL_FAILURE(RunRecycleCase(s, c));
        EXPECT_TRUE(s.app.Close());
    }
    // A program whose Wine finds no recycle bin, as on a stick or a network share.
    wchar_t saved[MAX_PATH] = L"";
    const bool hadDataHome = GetEnvironmentVariableW(L"XDG_DATA_HOME", saved, MAX_PATH) != 0;
    ASSERT_TRUE(SetEnvironmentVariableW(L"XDG_DATA_HOME", L"/dev/null/no-recycle-bin"));
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    SetEnvironmentVariableW(L"XDG_DATA_HOME", hadDataHome ? saved : nullptr);
    TypeOwnPassword(s);
    ASSERT_NO_FATAL_FAILURE(RunRecycleCase(s, noBin));
    EXPECT_EQ(WaitForDialogWith(s.app, MessageTextId, Millis(500)), nullptr) << "a kept source is no failure";
    EXPECT_TRUE(s.app.Close());
}

} // namespace
