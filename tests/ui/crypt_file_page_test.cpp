// The file page driven from the outside: files encrypted and decrypted by
// the real program, checked byte by byte against the format computed here.
#include "tests/ui/crypt_ui_support.h"

#include "app/options_page_ids.h"
#include "crypt/file_page_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <vector>

namespace {

using namespace cryptui;

constexpr int SourceField = quenzel::IDC_FILE_SOURCE;
constexpr int ChooseButton = quenzel::IDC_FILE_CHOOSE;
constexpr int EncryptButton = quenzel::IDC_FILE_ENCRYPT;
constexpr int DecryptButton = quenzel::IDC_FILE_DECRYPT;
constexpr int ProgressBar = quenzel::IDC_FILE_PROGRESS;
const std::vector<int> JobControls = JobControlsOf(EncryptButton, DecryptButton, ChooseButton, SourceField);

constexpr int PreviewField = quenzel::IDC_FILE_PREVIEW;
constexpr int LevelReadout = quenzel::IDC_KEY_LEVEL_TEXT;
constexpr int KeyFileRadio = quenzel::IDC_KEY_FILE_RADIO;
constexpr int KeyFileField = quenzel::IDC_KEY_FILE;
constexpr int KeyFileButton = quenzel::IDC_KEY_FILE_BUTTON;
// The options that name a file job's output and its source's fate.
constexpr int RecycleBox = quenzel::IDC_OPTIONS_RECYCLE;
constexpr int AddEncBox = quenzel::IDC_OPTIONS_ADD_ENC;
constexpr int RemoveEncBox = quenzel::IDC_OPTIONS_REMOVE_ENC;
constexpr int AddDecBox = quenzel::IDC_OPTIONS_ADD_DEC;

struct FileJobRun {
    std::wstring proposed;
    std::wstring resultOutput; // the result dialog's output view
    std::wstring resultSource; // and its source view
    bool iconWhole = false;    // the result's icon whole in the dialog, beside its text
};

// The result's icon (64 pixels at 96 dpi) is whole: no text lies over it.
bool IconWhole(HWND result)
{
    RECT icon{}, text{}, overlap{};
    return GetWindowRect(GetDlgItem(result, IDC_RESULT_ICON), &icon)
        && GetWindowRect(GetDlgItem(result, JobTextId), &text) && icon.right - icon.left >= 64
        && !IntersectRect(&overlap, &icon, &text);
}

// Runs a file job to its result dialog and closes that.
FileJobRun RunFileJob(Started& s, int command, const std::wstring& destination = L"")
{
    FileJobRun run;
    ConfirmJob(s, command, &run.proposed, destination);
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    EXPECT_NE(result, nullptr);
    if (!result)
        return run;
    run.resultOutput = FieldText(GetDlgItem(result, ResultOutputId));
    run.resultSource = FieldText(GetDlgItem(result, ResultSourceId));
    run.iconWhole = IconWhole(result);
    EXPECT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    return run;
}

std::string ReadAll(const std::wstring& path)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << Narrow(path);
    return bytes;
}

// `n` pseudo-random lower-case letters. Encrypted (classic, level 7) with the
// tests' own password they become digits and punctuation, and those again
// capitals with a password of lower-case letters: every step is text that
// the preview and the result show safely on every Wine (see RandomText).
std::string RandomLetters(size_t n, unsigned seed)
{
    std::string text = RandomBytes(n, seed);
    for (char& c : text)
        c = static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
    return text;
}

TEST(FilePage, RoundTripWithATypedPassword)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n2=1\n3=1\n", FilePageCommand);
    const std::wstring plain = s.Work() + L"\\a.txt";
    const std::string text = "The quick brown fox. " + RandomBytes(5000, 1);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    EXPECT_EQ(FieldText(s.app.Control(PasswordField)), L"MORVANTE");
    TypeOwnPassword(s);

    SetFieldText(s.app.Control(SourceField), plain);
    FileJobRun run = RunFileJob(s, EncryptButton);
    EXPECT_EQ(run.proposed, plain + L".enc");
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed(text, OwnPassword, 7));
    EXPECT_TRUE(ReadAll(plain) == text) << "the source stays without the recycle option";
    EXPECT_EQ(StatusText(s, 0), L"Ready");

    SetFieldText(s.app.Control(SourceField), plain + L".enc");
    run = RunFileJob(s, DecryptButton);
    EXPECT_EQ(run.proposed, plain + L".dec");
    EXPECT_TRUE(ReadAll(plain + L".dec") == text);
    EXPECT_TRUE(s.app.Close());
}

// A classic file made with an empty field (no encryption takes one now)
// still decrypts with the built-in key.
TEST(FilePage, EmptiedPasswordDecryptsWithWelkInPlace)
{
    Started s;
    Start(s, "[MAIN]\n0=1\n", FilePageCommand);
    const std::wstring sealed = s.Work() + L"\\b.bin";
    const std::string bytes = RandomBytes(250, 2);
    ASSERT_TRUE(WriteFileBytes(sealed, Transformed(bytes, "WELK", 0)));
    SetFieldText(s.app.Control(PasswordField), L"");
    SendMessageW(s.app.Control(LevelSlider), TBM_SETPOS, TRUE, 0);
    SetFieldText(s.app.Control(SourceField), sealed);
    const FileJobRun run = RunFileJob(s, DecryptButton);
    EXPECT_EQ(run.proposed, sealed) << "no renaming option: the source itself";
    EXPECT_TRUE(ReadAll(sealed) == bytes) << "replaced in place, never recycled";
    EXPECT_TRUE(s.app.Close());
}

TEST(FilePage, PasswordInTheAnsiCodePageAndExtremeLevels)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
    const std::string ansiPassword = "\x4D\xFC\x6C\x6C\x65\x72\x80"; // "Müller€" in Windows-1252
    SetFieldText(s.app.Control(PasswordField), L"M\u00FCller\u20AC");
    for (int level : {255, 7, 0}) {
        // A source whose encrypted form is plain text (see RandomText).
        const std::string plain = Transformed(RandomText(99, 3), ansiPassword, static_cast<unsigned char>(level));
        const std::wstring path = s.Work() + L"\\level" + std::to_wstring(level) + L".bin";
        ASSERT_TRUE(WriteFileBytes(path, plain));
        SendMessageW(s.app.Control(LevelSlider), TBM_SETPOS, TRUE, level);
        SetFieldText(s.app.Control(SourceField), path);
        RunFileJob(s, EncryptButton);
        EXPECT_TRUE(ReadAll(path + L".enc") == Transformed(plain, ansiPassword, static_cast<unsigned char>(level)))
            << level;
    }
    EXPECT_TRUE(s.app.Close());
}

// A password longer than the format takes is cut to its 32,766 bytes; it
// never falls back to the public default password.
TEST(FilePage, OverlongPasswordIsCutNeverReplacedByTheDefault)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
    std::string password = RandomText(32767, 11);
    SetFieldText(s.app.Control(PasswordField), std::wstring(password.begin(), password.end()));
    password.resize(32766);
    const std::string plain = Transformed(RandomText(300, 12), password, 7);
    const std::wstring path = s.Work() + L"\\long.bin";
    ASSERT_TRUE(WriteFileBytes(path, plain));
    SetFieldText(s.app.Control(SourceField), path);
    RunFileJob(s, EncryptButton);
    EXPECT_TRUE(ReadAll(path + L".enc") == Transformed(plain, password, 7));
    EXPECT_TRUE(s.app.Close());
}

TEST(FilePage, KeyFileAndAKeyFileThatIsGone)
{
    Started s;
    const std::wstring key = L"C:\\users\\Public\\quenzel-test-key-" + std::to_wstring(GetCurrentProcessId());
    // The source and its encrypted form are both letters, which the preview
    // and the result show safely on every Wine (see RandomText): each key
    // byte keeps a letter (the level, 7) or swaps its case (7 ^ 0x20).
    std::string keyBytes = RandomBytes(37, 4);
    for (char& c : keyBytes)
        c = static_cast<char>(7 ^ (c & 0x20));
    ASSERT_TRUE(WriteFileBytes(key, keyBytes));
    const std::string ini = "[PASSWORD]\nPath=1\nPathString=" + Narrow(key) + "\n[MAIN]\n1=1\n";
    Start(s, ini.c_str(), FilePageCommand);
    const std::wstring plain = s.Work() + L"\\c.bin";
    const std::string bytes = RandomLetters(4096, 5);
    ASSERT_TRUE(WriteFileBytes(plain, bytes));
    SetFieldText(s.app.Control(SourceField), plain);
    RunFileJob(s, EncryptButton);
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed(bytes, keyBytes, 7));

    // Without its key nothing is written: the earlier output stays as it was.
    ASSERT_TRUE(DeleteFileW(key.c_str()));
    ConfirmJob(s, EncryptButton);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The key file cannot be opened.", 0), 0u);
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed(bytes, keyBytes, 7));
    EXPECT_EQ(WaitForDialogWith(s.app, ResultOutputId, Millis(500)), nullptr) << "no result for a failed job";
    EXPECT_TRUE(s.app.Close());
}

// A key file of 700 MiB (sparse, its first bytes set) is neither held nor
// copied: the program's memory stays small and the data is encrypted with
// the key's first bytes.
TEST(FilePage, AKeyFileOf700MiBKeepsMemoryBounded)
{
    Started s;
    const std::wstring key = L"C:\\users\\Public\\quenzel-big-key-" + std::to_wstring(GetCurrentProcessId());
    const std::string head = RandomBytes(8192, 21);
    {
        ASSERT_TRUE(WriteFileBytes(key, head));
        HANDLE file = CreateFileW(key.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = 700LL << 20;
        const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        ASSERT_TRUE(sized);
    }
    const std::string ini = "[PASSWORD]\nPath=1\nPathString=" + Narrow(key) + "\n[MAIN]\n1=1\n";
    ASSERT_NO_FATAL_FAILURE(Start(s, ini.c_str(), FilePageCommand));
    const std::wstring plain = s.Work() + L"\\d.bin";
    const std::string bytes = Transformed(RandomText(6000, 22), head, 7);
    ASSERT_TRUE(WriteFileBytes(plain, bytes));
    SetFieldText(s.app.Control(SourceField), plain);
    RunFileJob(s, EncryptButton);
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed(bytes, head, 7));
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    ASSERT_TRUE(K32GetProcessMemoryInfo(s.app.Process(), &memory, sizeof memory));
    EXPECT_GT(memory.PeakWorkingSetSize, 0u);
    EXPECT_LT(memory.PeakWorkingSetSize, size_t(200) << 20) << "the key file was held in memory";
    EXPECT_TRUE(s.app.Close());
    EXPECT_TRUE(DeleteFileW(key.c_str()));
}

TEST(FilePage, ProposedNamesFollowTheOptionsAndCancelChangesNothing)
{
    Started s;
    Start(s, "", FilePageCommand);
    TypeOwnPassword(s);
    struct Case {
        std::vector<int> checked;
        int command;
        std::wstring source, proposed;
    };
    const Case cases[] = {
        {{AddEncBox}, EncryptButton, L"C:\\d\\a.txt", L"C:\\d\\a.txt.enc"},
        {{}, EncryptButton, L"C:\\d\\a.txt", L"C:\\d\\a.txt"},
        {{RemoveEncBox, AddDecBox}, DecryptButton, L"C:\\d\\a.txt.enc", L"C:\\d\\a.txt.dec"},
        {{RemoveEncBox}, DecryptButton, L"C:\\d\\a.txt.enc", L"C:\\d\\a.txt"},
        {{RemoveEncBox}, DecryptButton, L"C:\\d\\a.ENC", L"C:\\d\\a.ENC"},
        {{AddDecBox}, DecryptButton, L"C:\\d\\a.enc", L"C:\\d\\a.enc.dec"},
        {{AddEncBox}, DecryptButton, L"C:\\d\\a.txt", L"C:\\d\\a.txt"},
    };
    for (const Case& c : cases) {
        for (int id = RecycleBox; id <= AddDecBox; ++id) {
            const bool on = std::find(c.checked.begin(), c.checked.end(), id) != c.checked.end();
            SendMessageW(s.app.Control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        SetFieldText(s.app.Control(SourceField), c.source);
        HWND dialog = OpenConfirmation(s, c.command);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(FieldText(GetDlgItem(dialog, ConfirmDestinationId)), c.proposed) << Narrow(c.source);
        EXPECT_EQ(WindowText(dialog),
                  c.command == EncryptButton ? L"Confirm encryption with password" : L"Confirm source and destination");
        ASSERT_TRUE(Press(dialog, IDCANCEL));
        EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
        EXPECT_FALSE(IsWindowVisible(s.app.Control(ProgressBar)));
        EXPECT_EQ(StatusText(s, 0), L"Ready");
    }
    EXPECT_FALSE(FileExists(L"C:\\d"));
    EXPECT_TRUE(s.app.Close());
}

// Asked whatever the stored option says.
TEST(FilePage, PasswordTypedAgainBeforeAnEncryption)
{
    Started s;
    Start(s, "[OPTIONS]\nReType=0\n[MAIN]\n1=1\n", FilePageCommand);
    const std::wstring plain = s.Work() + L"\\d.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "secret"));
    SetFieldText(s.app.Control(SourceField), plain);

    TypeOwnPassword(s);
    HWND dialog = OpenConfirmation(s, EncryptButton);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(GetDlgItem(dialog, RetypeId), nullptr);
    SetFieldText(GetDlgItem(dialog, RetypeId), L"QUITTENBROD");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(DismissMessageBox(s.app), L"The two passwords are not the same.\nType the password again.");
    EXPECT_TRUE(IsWindow(dialog)) << "a mismatch keeps the dialog open";
    SetFieldText(GetDlgItem(dialog, RetypeId), Widen(OwnPassword));
    ASSERT_TRUE(Press(dialog, IDOK));
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed("secret", OwnPassword, 7));

    // A decryption never asks again.
    SetFieldText(s.app.Control(SourceField), plain + L".enc");
    dialog = OpenConfirmation(s, DecryptButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDlgItem(dialog, RetypeId), nullptr);
    ASSERT_TRUE(Press(dialog, IDCANCEL));
    EXPECT_TRUE(s.app.Close());
}

TEST(FilePage, KeyFileModeNeverAsksForThePasswordAgain)
{
    Started s;
    Start(s, "[OPTIONS]\nReType=1\n[PASSWORD]\nPath=1\n", FilePageCommand);
    SetFieldText(s.app.Control(SourceField), L"C:\\x.txt");
    HWND dialog = OpenConfirmation(s, EncryptButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetDlgItem(dialog, RetypeId), nullptr);
    EXPECT_EQ(WindowText(dialog), L"Confirm source and destination");
    ASSERT_TRUE(Press(dialog, IDCANCEL));
    EXPECT_TRUE(s.app.Close());
}

TEST(FilePage, ResultPreviewsOfUtf16AndAnsiText)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n2=1\n3=1\n", FilePageCommand);
    TypeOwnPassword(s);
    std::wstring wide;
    while (wide.size() < 2500)
        wide += L"Gr\u00FC\u00DFe aus K\u00F6ln \u20AC. ";
    const std::wstring utf16 = s.Work() + L"\\wide.txt";
    const std::string utf16Bytes = Utf16File(wide.substr(0, 2499));
    ASSERT_EQ(utf16Bytes.size(), 5000u);
    ASSERT_TRUE(WriteFileBytes(utf16, utf16Bytes));
    SetFieldText(s.app.Control(SourceField), utf16);
    RunFileJob(s, EncryptButton);
    SetFieldText(s.app.Control(SourceField), utf16 + L".enc");
    EXPECT_EQ(RunFileJob(s, DecryptButton).resultOutput, wide.substr(0, 499)) << "the first 1000 bytes";

    const std::wstring ansi = s.Work() + L"\\ansi.txt";
    ASSERT_TRUE(WriteFileBytes(ansi,
                               "Gr\xFC\xDF"
                               "e \x80"));
    SetFieldText(s.app.Control(SourceField), ansi);
    RunFileJob(s, EncryptButton);
    SetFieldText(s.app.Control(SourceField), ansi + L".enc");
    EXPECT_EQ(RunFileJob(s, DecryptButton).resultOutput, L"Gr\u00FC\u00DFe \u20AC");
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
    for (int id = RecycleBox; id <= AddDecBox; ++id) {
        const bool on = std::find(c.checked.begin(), c.checked.end(), id) != c.checked.end();
        SendMessageW(s.app.Control(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
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
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
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
    RunRecycleCase(s, noBin);
    EXPECT_EQ(WaitForDialogWith(s.app, MessageTextId, Millis(500)), nullptr) << "a kept source is no failure";
    EXPECT_TRUE(s.app.Close());
}

// A read-only destination, the source itself included, is replaced only
// after a Yes; No is the default.
TEST(FilePage, ReadOnlyDestinationIsAskedAboutAndStays)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\e.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "new content"));
    ASSERT_TRUE(WriteFileBytes(plain + L".enc", "older output"));
    ASSERT_TRUE(SetFileAttributesW((plain + L".enc").c_str(), FILE_ATTRIBUTE_READONLY));
    SetFieldText(s.app.Control(SourceField), plain);
    for (bool inPlace : {false, true}) {
        const std::wstring destination = inPlace ? plain : plain + L".enc";
        SendMessageW(s.app.Control(AddEncBox), BM_SETCHECK, inPlace ? BST_UNCHECKED : BST_CHECKED, 0);
        ASSERT_TRUE(SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton));
        int defaultButton = 0;
        EXPECT_EQ(AnswerQuestion(s.app, IDNO, defaultButton),
                  L"The file\n" + destination + L"\nis read-only. Replace it all the same?\nIt stays read-only.");
        EXPECT_EQ(defaultButton, IDNO);
        EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
        EXPECT_EQ(WaitForDialogWith(s.app, ResultOutputId, Millis(500)), nullptr);
        EXPECT_TRUE(ReadAll(plain + L".enc") == "older output");
        EXPECT_TRUE(ReadAll(plain) == "new content");
        EXPECT_NE(GetFileAttributesW(destination.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SendMessageW(s.app.Control(AddEncBox), BM_SETCHECK, BST_CHECKED, 0);

    // A source that another program holds open is reported, nothing is written.
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

// The key mode is stored at each click and comes back at the next start;
// the key file chosen with its button is stored too; the level is not.
TEST(KeyControls, ModeKeyFileAndLevelAcrossARestart)
{
    Started s;
    Start(s, "", FilePageCommand);
    const std::wstring key = s.Work() + L"\\key file.bin";
    ASSERT_TRUE(WriteFileBytes(key, "key"));
    const auto expectMode = [&](bool keyFile, int line) {
        EXPECT_EQ(SendMessageW(s.app.Control(KeyFileRadio), BM_GETCHECK, 0, 0) == BST_CHECKED, keyFile) << line;
        EXPECT_EQ(SendMessageW(s.app.Control(PasswordRadio), BM_GETCHECK, 0, 0) == BST_CHECKED, !keyFile) << line;
        EXPECT_EQ(IsWindowEnabled(s.app.Control(PasswordField)) != FALSE, !keyFile) << line;
        EXPECT_EQ(IsWindowEnabled(s.app.Control(KeyFileField)) != FALSE, keyFile) << line;
        EXPECT_EQ(IsWindowEnabled(s.app.Control(KeyFileButton)) != FALSE, keyFile) << line;
    };
    const auto storedMode = [&] { return GetPrivateProfileIntW(L"PASSWORD", L"Path", -1, s.folder.IniPath().c_str()); };
    expectMode(false, __LINE__);
    PostClick(s.app.Control(KeyFileRadio));
    ASSERT_TRUE(WaitUntil([&] { return storedMode() == 1; }));
    expectMode(true, __LINE__);
    PostMouseClick(s.app.Control(KeyFileButton));
    ChooseInFileDialog(s.app, key);
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(KeyFileField)) == key; }));
    // The End key moves the level to its top; the readout follows when the move ends.
    PostMessageW(s.app.Control(LevelSlider), WM_KEYDOWN, VK_END, 0);
    PostMessageW(s.app.Control(LevelSlider), WM_KEYUP, VK_END, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(LevelReadout)) == L"255"; }));

    ASSERT_TRUE(s.app.Close());
    ASSERT_TRUE(s.app.Start(s.folder, L"1"));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
    expectMode(true, __LINE__);
    EXPECT_EQ(FieldText(s.app.Control(KeyFileField)), key);
    EXPECT_EQ(SendMessageW(s.app.Control(LevelSlider), TBM_GETPOS, 0, 0), 7);
    EXPECT_EQ(FieldText(s.app.Control(LevelReadout)), L"7");
    PostClick(s.app.Control(PasswordRadio));
    ASSERT_TRUE(WaitUntil([&] { return storedMode() == 0; }));
    expectMode(false, __LINE__);
    EXPECT_TRUE(s.app.Close());
}

// The source chooser: the size (past 4 GiB) and name in the page text,
// the first bytes in the preview and later in the result's source view;
// a file that cannot be opened is reported and changes nothing else.
TEST(FilePage, SourceChooserShowsSizeAndPreviewAndReportsAFileItCannotOpen)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
    TypeOwnPassword(s);
    const std::wstring large = s.Work() + L"\\five-gib";
    ASSERT_TRUE(WriteFileBytes(large, "Large file begins here."));
    {
        HANDLE file = CreateFileW(large.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = 5LL << 30;
        const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        ASSERT_TRUE(sized);
    }
    PostCommand(s.window, ChooseButton);
    ChooseInFileDialog(s.app, large);
    EXPECT_TRUE(WaitUntil([&] { return StatusText(s, 1) == L"Size: 5 GB, file: five-gib"; }))
        << Narrow(StatusText(s, 1));
    EXPECT_EQ(FieldText(s.app.Control(SourceField)), large);
    EXPECT_EQ(FieldText(s.app.Control(PreviewField)), L"Large file begins here.");

    const std::wstring small = s.Work() + L"\\small.txt";
    ASSERT_TRUE(WriteFileBytes(small, "Small and plain."));
    PostCommand(s.window, ChooseButton);
    ChooseInFileDialog(s.app, small);
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(PreviewField)) == L"Small and plain."; }));
    EXPECT_EQ(RunFileJob(s, EncryptButton).resultSource, L"Small and plain.");

    HANDLE held = CreateFileW(large.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring pageText = StatusText(s, 1);
    PostCommand(s.window, ChooseButton);
    ChooseInFileDialog(s.app, large);
    EXPECT_EQ(DismissMessageBox(s.app),
              L"The file cannot be opened.\nCheck that it exists and that no other program is using it.");
    CloseHandle(held);
    EXPECT_EQ(FieldText(s.app.Control(SourceField)), large);
    EXPECT_EQ(FieldText(s.app.Control(PreviewField)), L"") << "no other file's beginning";
    EXPECT_EQ(StatusText(s, 1), L"Choose a file to encrypt or decrypt");
    EXPECT_NE(StatusText(s, 1), pageText);
    EXPECT_TRUE(s.app.Close());
}

// A typed path is previewed when the field is left and before a job, whose
// result shows the beginning of that file, not of the one shown before; a
// path of no file empties the preview and gives the page its own text.
TEST(FilePage, TypedPathIsPreviewedAndIsTheResultsSource)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
    TypeOwnPassword(s);
    HWND field = s.app.Control(SourceField);
    HWND preview = s.app.Control(PreviewField);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(s.window) == field; }));
    const std::wstring first = s.Work() + L"\\letter.txt";
    const std::wstring second = s.Work() + L"\\other.txt";
    ASSERT_TRUE(WriteFileBytes(first, "Dear reader,"));
    ASSERT_TRUE(WriteFileBytes(second, "Another file."));
    SetFieldText(field, first);
    PostMessageW(field, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(preview) == L"Dear reader,"; }));
    EXPECT_EQ(StatusText(s, 1), L"Size: 12 bytes, file: letter.txt");

    SetFieldText(field, second);
    const FileJobRun run = RunFileJob(s, EncryptButton);
    EXPECT_EQ(run.resultSource, L"Another file.");
    EXPECT_TRUE(run.iconWhole);
    EXPECT_EQ(FieldText(preview), L"Another file.");
    EXPECT_EQ(StatusText(s, 1), L"Size: 13 bytes, file: other.txt");

    SetFieldText(field, s.Work() + L"\\missing.txt");
    PostCommand(s.window, SlotPageCommand);
    PostCommand(s.window, FilePageCommand);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(preview).empty(); }));
    EXPECT_EQ(StatusText(s, 1), L"Choose a file to encrypt or decrypt");
    EXPECT_TRUE(s.app.Close());
}

// The names in a folder, sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (bool more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
        if (found.cFileName[0] != L'.')
            names.push_back(found.cFileName);
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// True when the file holds `size` bytes, all zero.
bool AllZero(const std::wstring& path, long long size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<char> piece(8 << 20);
    DWORD got = 0;
    while (size >= 0 && ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr) && got > 0
           && std::all_of(piece.begin(), piece.begin() + got, [](char c) { return c == 0; }))
        size -= got;
    CloseHandle(file);
    return size == 0 && got == 0;
}

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
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
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
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_TRUE(ReadAll(output) == "earlier output");
    EXPECT_TRUE(ReadAll(plain) == data);
    EXPECT_EQ(NamesIn(outputFolder), std::vector<std::wstring>{L"big.bin.enc"});
    EXPECT_TRUE(s.app.Close());
    RemoveTree(outputFolder);
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
    constexpr long long LargeSize = 3LL << 30;
    for (const auto& row : rows) {
        Started s;
        ASSERT_NO_FATAL_FAILURE(Start(s, row.ini, FilePageCommand));
        TypeOwnPassword(s);
        const std::wstring plain = s.Work() + L"\\large.bin";
        ASSERT_TRUE(MakeSparseFile(plain, LargeSize));
        std::vector<std::wstring> before{L"large.bin"};
        if (row.earlierOutput) {
            ASSERT_TRUE(WriteFileBytes(plain + L".enc", "earlier output"));
            before.push_back(L"large.bin.enc");
        }
        SetFieldText(s.app.Control(SourceField), plain);
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, row.command));
        if (row.earlierOutput) {
            EXPECT_NE(AnswerMessageBox(s.app, IDYES).find(L"exists already"), std::wstring::npos);
        }
        HWND bar = s.app.Control(ProgressBar);
        ASSERT_TRUE(WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) >= 5; })) << row.what;
        const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
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
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n", FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\large.bin";
    constexpr long long LargeSize = 3LL << 30;
    ASSERT_TRUE(MakeSparseFile(plain, LargeSize));
    ASSERT_TRUE(WriteFileBytes(plain + L".enc", "earlier output"));
    SetFieldText(s.app.Control(SourceField), plain);
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton));
    EXPECT_NE(AnswerMessageBox(s.app, IDYES).find(L"exists already"), std::wstring::npos);
    HWND bar = s.app.Control(ProgressBar);
    ASSERT_TRUE(WaitUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) >= 3; }));
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

// The key file is never replaced by an output: the data could never be
// decrypted again.
TEST(FilePage, TheKeyFileIsNeverTheDestination)
{
    Started s;
    const std::wstring key = s.Work() + L"\\the.key";
    const std::string ini = "[PASSWORD]\nPath=1\nPathString=" + Narrow(key) + "\n";
    Start(s, ini.c_str(), FilePageCommand);
    ASSERT_TRUE(WriteFileBytes(key, "the key"));
    const std::wstring plain = s.Work() + L"\\plain.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "plain"));
    SetFieldText(s.app.Control(SourceField), plain);
    ConfirmJob(s, EncryptButton, nullptr, key);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The destination\n" + key + L"\nis the key file.", 0), 0u);
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_EQ(WaitForDialogWith(s.app, ResultOutputId, Millis(500)), nullptr);
    EXPECT_TRUE(ReadAll(key) == "the key");
    EXPECT_TRUE(ReadAll(plain) == "plain");
    EXPECT_TRUE(s.app.Close());
}

// "dot." and "dot" are two files: the one named is the one processed.
TEST(FilePage, ANameEndingInADotIsProcessedNotItsTwin)
{
    Started s;
    Start(s, "", FilePageCommand);
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

bool HasAttributes(const std::wstring& path, DWORD wanted)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & wanted) == wanted;
}

// Another file in the destination's place is replaced only after a Yes; a
// replaced file hands on its hidden, system and read-only attributes.
TEST(FilePage, AnExistingOtherDestinationIsAskedAboutAndKeepsItsAttributes)
{
    Started s;
    Start(s, "[MAIN]\n1=1\n", FilePageCommand);
    TypeOwnPassword(s);
    const std::wstring plain = s.Work() + L"\\a.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "new"));
    ASSERT_TRUE(WriteFileBytes(plain + L".enc", "unrelated"));
    ASSERT_TRUE(SetFileAttributesW((plain + L".enc").c_str(), FILE_ATTRIBUTE_HIDDEN));
    SetFieldText(s.app.Control(SourceField), plain);
    ConfirmJob(s, EncryptButton);
    int defaultButton = 0;
    EXPECT_EQ(AnswerQuestion(s.app, IDNO, defaultButton), L"The file\n" + plain + L".enc\nexists already. Replace it?");
    EXPECT_EQ(defaultButton, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_EQ(WaitForDialogWith(s.app, ResultOutputId, Millis(500)), nullptr);
    EXPECT_TRUE(ReadAll(plain + L".enc") == "unrelated");

    ConfirmJob(s, EncryptButton);
    AnswerMessageBox(s.app, IDYES);
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed("new", OwnPassword, 7));
    EXPECT_TRUE(HasAttributes(plain + L".enc", FILE_ATTRIBUTE_HIDDEN));

    // The source itself is replaced in place, a read-only one after a Yes.
    SendMessageW(s.app.Control(AddEncBox), BM_SETCHECK, BST_UNCHECKED, 0);
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    ASSERT_TRUE(SetFileAttributesW(plain.c_str(), kept));
    std::wstring proposed;
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton, &proposed));
    EXPECT_EQ(proposed, plain);
    EXPECT_NE(AnswerQuestion(s.app, IDYES).find(L"is read-only"), std::wstring::npos);
    result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(ReadAll(plain) == Transformed("new", OwnPassword, 7));
    EXPECT_TRUE(HasAttributes(plain, kept));
    SetFileAttributesW(plain.c_str(), FILE_ATTRIBUTE_NORMAL);
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

// The key controls answer on the page that shows them: the key mode is
// stored at once and enables only its own fields; the level readout follows
// the slider.
TEST(FilePage, KeyModeIsStoredAndTheLevelReadoutFollowsTheSlider)
{
    Started s;
    Start(s, "", FilePageCommand);
    const auto storedMode = [&s] {
        wchar_t text[16] = L"";
        GetPrivateProfileStringW(L"PASSWORD", L"Path", L"<none>", text, 16, s.folder.IniPath().c_str());
        return std::wstring(text);
    };

    PostCommand(s.window, KeyFileRadio);
    ASSERT_TRUE(WaitUntil([&] { return storedMode() == L"1"; }));
    // The handler changes the three fields one after another: wait for the last.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(s.app.Control(KeyFileButton)) != FALSE; }));
    EXPECT_NE(IsWindowEnabled(s.app.Control(KeyFileField)), FALSE);
    EXPECT_EQ(IsWindowEnabled(s.app.Control(PasswordField)), FALSE);

    PostCommand(s.window, PasswordRadio);
    ASSERT_TRUE(WaitUntil([&] { return storedMode() == L"0"; }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(s.app.Control(KeyFileButton)) == FALSE; }));
    EXPECT_NE(IsWindowEnabled(s.app.Control(PasswordField)), FALSE);
    EXPECT_EQ(IsWindowEnabled(s.app.Control(KeyFileField)), FALSE);

    HWND slider = s.app.Control(LevelSlider);
    SendMessageW(slider, TBM_SETPOS, TRUE, 200);
    SendMessageW(s.window, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
    EXPECT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(LevelReadout)) == L"200"; }))
        << Narrow(FieldText(s.app.Control(LevelReadout)));
    EXPECT_TRUE(s.app.Close());
}

} // namespace

namespace {

// No temporary output is left in the folder.
bool NoTemporaryIn(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    FindClose(find);
    return false;
}

// The strong format through the file page: encrypted with a password of
// letters that no one ANSI code page holds, decrypted back by the program
// and, with the password's UTF-8 bytes, by the engine here; a password that
// differs only in such letters, and a damaged file, are refused with a
// message, before any question on the existing file they were to replace,
// and nothing written.
TEST(FilePage, StrongFormatRoundTripAndRefusals)
{
    Started s;
    Start(s, "[OPTIONS]\nStrongFormat=1\n[MAIN]\n1=1\n2=1\n3=1\n", FilePageCommand);
    const std::wstring plain = s.Work() + L"\\strong.txt";
    const std::string text = RandomText(5000, 31);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    const std::wstring password = L"K\u00F6ln \u03A9\u043C\u4E2D";
    const std::string utf8Password = "K\xC3\xB6ln \xCE\xA9\xD0\xBC\xE4\xB8\xAD";
    SetFieldText(s.app.Control(PasswordField), password);
    SetFieldText(s.app.Control(SourceField), plain);
    RunFileJob(s, EncryptButton);
    std::string sealed;
    ASSERT_TRUE(ReadFileBytes(plain + L".enc", sealed));
    EXPECT_TRUE(LooksStrong(sealed, text.size()));
    EXPECT_TRUE(StrongDecrypted(sealed, utf8Password) == text) << "the key input is the password's UTF-8";

    SetFieldText(s.app.Control(SourceField), plain + L".enc");
    RunFileJob(s, DecryptButton);
    EXPECT_TRUE(ReadAll(plain + L".dec") == text);

    const auto expectRefused = [&](const wchar_t* what) {
        ASSERT_TRUE(WriteFileBytes(plain + L".dec", "earlier output"));
        ConfirmJob(s, DecryptButton, nullptr, plain + L".dec");
        EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The file cannot be decrypted: the password or the key file is "
                                                 L"wrong, or the file is damaged.",
                                                 0),
                  0u)
            << Narrow(what);
        EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
        EXPECT_TRUE(ReadAll(plain + L".dec") == "earlier output") << Narrow(what);
        EXPECT_TRUE(NoTemporaryIn(s.Work())) << Narrow(what);
        EXPECT_EQ(WaitForDialogWith(s.app, ResultOutputId, Millis(300)), nullptr) << "no result for a refused file";
    };
    SetFieldText(s.app.Control(PasswordField), L"K\u00F6ln \u03A8\u043C\u4E2D");
    expectRefused(L"a password that differs in a letter the code page lacks");
    SetFieldText(s.app.Control(PasswordField), password);
    std::string damaged = sealed;
    damaged[damaged.size() / 2] ^= 0x10;
    ASSERT_TRUE(WriteFileBytes(plain + L".enc", damaged));
    expectRefused(L"a changed byte");
    EXPECT_TRUE(ReadAll(plain + L".enc") == damaged) << "the source stays";
    EXPECT_TRUE(s.app.Close());
}

// An encryption in either format refuses the sample and an empty password
// before it asks anything (the classic one would use its built-in key), and
// a re-entry that differs keeps the dialog until it is cancelled: in each
// case the source, encrypted in place here, stays.
TEST(FilePage, EncryptionRefusesWeakOrMistypedPasswords)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nStrongFormat=1\n", FilePageCommand));
    const std::wstring plain = s.Work() + L"\\keep.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "stays as it is"));
    SetFieldText(s.app.Control(SourceField), plain);
    struct Case {
        const wchar_t* password; // null: the field as the program starts it
        bool strong;             // the strong format's box
        const wchar_t* retyped;  // null: refused before the confirmation
        const wchar_t* message;  // how the message begins
    };
    const Case cases[] = {
        {nullptr, true, nullptr, L"The password field still holds the sample password"},
        {L"", true, nullptr, L"An encryption needs a password"},
        {L"", false, nullptr, L"An encryption needs a password"},
        {L"correct horse", true, L"correct horsE", L"The two passwords are not the same."},
    };
    for (const Case& c : cases) {
        const std::string line = Narrow(c.message) + (c.strong ? " (strong)" : " (classic)");
        SendMessageW(s.app.Control(quenzel::IDC_OPTIONS_STRONG_FORMAT), BM_SETCHECK,
                     c.strong ? BST_CHECKED : BST_UNCHECKED, 0);
        if (c.password)
            SetFieldText(s.app.Control(PasswordField), c.password);
        if (c.retyped) {
            HWND dialog = OpenConfirmation(s, EncryptButton);
            ASSERT_NE(dialog, nullptr) << line;
            SetFieldText(GetDlgItem(dialog, RetypeId), c.retyped);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(DismissMessageBox(s.app).rfind(c.message, 0), 0u) << line;
            ASSERT_TRUE(Press(dialog, IDCANCEL)) << line;
        } else {
            PostCommand(s.window, EncryptButton);
            EXPECT_EQ(DismissMessageBox(s.app).rfind(c.message, 0), 0u) << line;
        }
        EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); })) << line;
        EXPECT_TRUE(ReadAll(plain) == "stays as it is") << line;
        EXPECT_TRUE(TemporaryFilesIn(s.Work()).empty()) << line;
        EXPECT_EQ(WaitForDialogWith(s.app, ConfirmDestinationId, Millis(300)), nullptr) << line;
    }
    EXPECT_TRUE(s.app.Close());
}

// What is not clearly a file of the original format yet is no sound strong
// file, and a header asking for a cost far above what is written: refused
// with the damaged-file message before any derivation, nothing written.
TEST(FilePage, DamagedStartsAndHostileHeadersAreRefused)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n2=1\n3=1\n", FilePageCommand));
    const std::string magic("\x89QZS\r\n\x1A\n", 8);
    const auto littleEndian = [](uint32_t value) {
        std::string bytes;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(value >> (8 * i));
        return bytes;
    };
    // The rest is text: the page shows the source's beginning.
    std::string nearMiss = magic + RandomText(300, 41);
    nearMiss[2] = 'z';
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"the magic but for a byte", nearMiss},
        {"the magic and too few bytes for a header", magic + "\x01\x03"},
        {"a header asking for 16 passes over 1 GiB",
         magic + "\x01" + littleEndian(16) + littleEndian(1024 * 1024) + RandomText(40 + 300, 42)},
    };
    const std::wstring source = s.Work() + L"\\damaged.enc";
    SetFieldText(s.app.Control(SourceField), source);
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteFileBytes(source, row.bytes));
        ConfirmJob(s, DecryptButton);
        EXPECT_EQ(DismissMessageBox(s.app).rfind(L"The file cannot be decrypted: the password or the key file is "
                                                 L"wrong, or the file is damaged.",
                                                 0),
                  0u)
            << row.what;
        EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
        EXPECT_FALSE(FileExists(s.Work() + L"\\damaged.dec")) << row.what;
        EXPECT_TRUE(ReadAll(source) == row.bytes) << row.what;
        EXPECT_TRUE(NoTemporaryIn(s.Work())) << row.what;
    }
    EXPECT_TRUE(s.app.Close());
}

bool BoxChecked(Started& s, int id)
{
    return SendMessageW(s.app.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A program folder without a settings file gets one that starts safe: a
// click into the password field and typing replace the sample text, and an
// encryption asks for the password twice and makes a new strong ".enc"
// file. A settings file that exists, even an empty one, keeps the defaults.
TEST(FilePage, NewProgramFolderStartsSafe)
{
    constexpr int StrongFormatBox = quenzel::IDC_OPTIONS_STRONG_FORMAT;
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, nullptr, FilePageCommand));
    std::string ini;
    ASSERT_TRUE(ReadFileBytes(s.folder.IniPath(), ini));
    EXPECT_EQ(ini.substr(0, 2), "\xFF\xFE") << "UTF-16LE";
    const std::wstring iniPath = s.folder.IniPath();
    EXPECT_EQ(GetPrivateProfileIntW(L"OPTIONS", L"StrongFormat", 0, iniPath.c_str()), 1u);
    for (const wchar_t* key : {L"1", L"2", L"5", L"6"})
        EXPECT_EQ(GetPrivateProfileIntW(L"MAIN", key, 0, iniPath.c_str()), 1u) << Narrow(key);
    EXPECT_TRUE(BoxChecked(s, StrongFormatBox));

    HWND field = s.app.Control(PasswordField);
    PostMouseClick(field);
    // The field selects its text again once it has the focus (a message it
    // posts itself): typing is posted after that, as a user's keys come.
    ASSERT_TRUE(WaitUntil([&] {
        const auto selection = static_cast<DWORD>(SendMessageW(field, EM_GETSEL, 0, 0));
        return FocusedControl(field) == field && LOWORD(selection) == 0
            && HIWORD(selection) == static_cast<WORD>(FieldText(field).size());
    }));
    for (const wchar_t c : std::wstring(L"fresh pass"))
        PostMessageW(field, WM_CHAR, c, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(field) == L"fresh pass"; })) << Narrow(FieldText(field));

    const std::wstring plain = s.Work() + L"\\new.txt";
    const std::string text = RandomText(3000, 41);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    SetFieldText(s.app.Control(SourceField), plain);
    HWND dialog = OpenConfirmation(s, EncryptButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FieldText(GetDlgItem(dialog, ConfirmDestinationId)), plain + L".enc");
    EXPECT_NE(FieldText(GetDlgItem(dialog, JobTextId)).find(L"\"new.txt.enc\"; the source file stays"),
              std::wstring::npos);
    EXPECT_NE(GetWindowLongW(GetDlgItem(dialog, JobTextId), GWL_STYLE) & SS_NOPREFIX, 0) << "names show their \"&\"";
    ASSERT_NE(GetDlgItem(dialog, RetypeId), nullptr) << "asks for the password twice";
    SetFieldText(GetDlgItem(dialog, RetypeId), L"fresh pass");
    ASSERT_TRUE(Press(dialog, IDOK));
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    EXPECT_NE(GetWindowLongW(GetDlgItem(result, JobTextId), GWL_STYLE) & SS_NOPREFIX, 0) << "names show their \"&\"";
    ASSERT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(ReadAll(plain) == text);
    EXPECT_TRUE(StrongDecrypted(ReadAll(plain + L".enc"), "fresh pass") == text);
    EXPECT_TRUE(s.app.Close());

    Started kept;
    ASSERT_NO_FATAL_FAILURE(Start(kept, "", FilePageCommand));
    EXPECT_FALSE(BoxChecked(kept, StrongFormatBox));
    EXPECT_FALSE(BoxChecked(kept, AddEncBox));
    EXPECT_TRUE(ReadAll(kept.folder.IniPath()) == "\xFF\xFE") << "an empty file stays empty";
    EXPECT_TRUE(kept.app.Close());
}

} // namespace
