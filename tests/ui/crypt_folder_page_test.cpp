// The folder page driven from the outside: a tree listed, encrypted into
// another folder with its sub-folders, and decrypted back.
#include "tests/ui/crypt_ui_support.h"

#include "app/options_page_ids.h"
#include "base/control_ids.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "engine/strong_format.h"
#include "res/resource.h"
#include "slots/slot_page_ids.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>

namespace {

using namespace cryptui;

constexpr int FolderField = quenzel::IDC_FOLDER_SOURCE;
constexpr int GatherButton = quenzel::IDC_FOLDER_GATHER;
constexpr int FileList = quenzel::IDC_FOLDER_LIST;
constexpr int EncryptButton = quenzel::IDC_FOLDER_ENCRYPT;
constexpr int DecryptButton = quenzel::IDC_FOLDER_DECRYPT;
const std::vector<int> JobControls = JobControlsOf(EncryptButton, DecryptButton, GatherButton, FolderField);

// relative path -> content
using Tree = std::map<std::wstring, std::string>;

void MakeTree(const std::wstring& root, const Tree& tree)
{
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    for (const auto& [relative, content] : tree) {
        for (size_t at = relative.find(L'\\', 1); at != std::wstring::npos; at = relative.find(L'\\', at + 1))
            CreateDirectoryW((root + relative.substr(0, at)).c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(root + relative, content));
    }
}

void ExpectTree(const std::wstring& root, const Tree& tree, const std::string& key, unsigned char level)
{
    for (const auto& [relative, content] : tree) {
        std::string out;
        ASSERT_TRUE(ReadFileBytes(root + relative, out)) << Narrow(root + relative);
        EXPECT_TRUE(out == Transformed(content, key, level)) << Narrow(root + relative);
    }
}

int ListCount(Started& s)
{
    return static_cast<int>(SendMessageW(s.app.Control(FileList), LVM_GETITEMCOUNT, 0, 0));
}

// Lists the folder with the "..." button and waits for the walk to end.
void Gather(Started& s, const std::wstring& folder)
{
    PostCommand(s.window, GatherButton);
    ChooseInFolderPicker(s.app, folder);
    // Only a folder the picker really chose may be processed.
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(FolderField)) == folder; }))
        << Narrow(FieldText(s.app.Control(FolderField)));
    ASSERT_TRUE(WaitUntil([&] { return StatusText(s, 1).find(L"file(s) found") != std::wstring::npos; }));
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
}

// Runs a folder job to its report and returns the report's text.
std::wstring RunFolderJob(Started& s, int command, std::wstring* proposed = nullptr,
                          const std::wstring& destination = L"")
{
    ConfirmJob(s, command, proposed, destination);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    return report;
}

const Tree SampleTree = {
    {L"\\x.txt", "root file"},
    {L"\\a\\b.txt", std::string(3000, 'b')},
    {L"\\a\\b\\c.txt", "deep"},
    {L"\\empty.txt", ""},
};

TEST(FolderPage, EncryptsIntoEncryptedKeepingSubFoldersAndDecryptsBack)
{
    Started s;
    Start(s, "[MAIN]\n5=1\n6=1\n7=1\n", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Docs";
    MakeTree(root, SampleTree);
    Gather(s, root);
    EXPECT_EQ(ListCount(s), 4);
    EXPECT_EQ(StatusText(s, 1), L"4 file(s) found in \"Docs\"");
    EXPECT_EQ(ListViewText(s.app.Process(), s.app.Control(FileList), 0, 0).find(root + L"\\"), 0u);

    std::wstring proposed;
    const std::wstring report = RunFolderJob(s, EncryptButton, &proposed);
    EXPECT_EQ(proposed, root + L"\\Encrypted");
    EXPECT_EQ(report,
              L"All 4 file(s) listed from \"Docs\" have been encrypted into the folder\n" + root + L"\\Encrypted");
    EXPECT_EQ(StatusText(s, 1), L"4 file(s) processed from \"Docs\"");
    ExpectTree(root + L"\\Encrypted", SampleTree, OwnPassword, 7);

    Gather(s, root + L"\\Encrypted");
    RunFolderJob(s, DecryptButton, &proposed);
    EXPECT_EQ(proposed, root + L"\\Decrypted");
    ExpectTree(root + L"\\Decrypted", SampleTree, std::string(1, '\0'), 0);
    EXPECT_TRUE(s.app.Close());
}

// A new installation encrypts a folder into its "\Encrypted" sub-folder.
// Listed again, the folder shows only its sources, never the first run's
// outputs, and a second encryption replaces them after one Yes.
TEST(FolderPage, ASecondEncryptionWithTheNewSettingsListsOnlyTheSources)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, nullptr, FolderPageCommand));
    SetFieldText(s.app.Control(PasswordField), L"second run");
    const std::wstring root = s.Work() + L"\\Docs";
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, SampleTree));
    const std::wstring encrypted = root + L"\\Encrypted";
    for (const bool second : {false, true}) {
        ASSERT_NO_FATAL_FAILURE(Gather(s, root));
        EXPECT_EQ(ListCount(s), 4) << "second run: " << second;
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton));
        if (second) {
            EXPECT_EQ(AnswerQuestion(s.app, IDYES).rfind(L"4 file(s) in the output folder\n" + encrypted, 0), 0u);
        }
        EXPECT_EQ(DismissMessageBox(s.app).rfind(L"All 4 file(s) listed from \"Docs\" have been encrypted", 0), 0u);
        ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    }
    EXPECT_FALSE(FileExists(encrypted + L"\\Encrypted"));
    std::string sealed;
    for (const auto& [relative, content] : SampleTree)
        EXPECT_TRUE(ReadFileBytes(encrypted + relative, sealed) && StrongDecrypted(sealed, "second run") == content);
    EXPECT_TRUE(s.app.Close());
}

TEST(FolderPage, ALockedFileIsSkippedWithOneWarning)
{
    Started s;
    Start(s, "", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Locked";
    MakeTree(root, SampleTree);
    Gather(s, root);
    HANDLE held = CreateFileW((root + L"\\a\\b\\c.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring out = s.Work() + L"\\Out";
    ConfirmJob(s, EncryptButton, nullptr, out);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"A file of the folder cannot be read and is skipped", 0), 0u);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_EQ(report.rfind(L"3 of 4 file(s) listed from \"Locked\" have been encrypted into the folder\n" + out
                               + L"\nThe others were not: their source files and earlier outputs are unchanged."
                                 L"\n1 file(s) were not processed:\n"
                               + root + L"\\a\\b\\c.txt",
                           0),
              0u)
        << Narrow(report);
    CloseHandle(held);
    EXPECT_FALSE(FileExists(out + L"\\a\\b")) << "no folder for a file that could not be read";
    Tree others = SampleTree;
    others.erase(L"\\a\\b\\c.txt");
    ExpectTree(out, others, OwnPassword, 7);
    EXPECT_TRUE(s.app.Close());
}

// A job works on the folder in the field: one typed (or set by a slot, or
// dropped as text) after another was listed is listed first, and the
// confirmation counts its files; a field that names no folder is refused.
TEST(FolderPage, TheFolderInTheFieldIsListedBeforeItsJob)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FolderPageCommand));
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Listed";
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, SampleTree));
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    const std::wstring typed = s.Work() + L"\\Typed";
    const Tree typedTree = {{L"\\t1.txt", "one"}, {L"\\sub\\t2.txt", "two"}};
    ASSERT_NO_FATAL_FAILURE(MakeTree(typed, typedTree));
    SetFieldText(s.app.Control(FolderField), typed);
    const std::wstring out = s.Work() + L"\\Out";
    std::wstring question;
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton, nullptr, out, &question));
    EXPECT_EQ(question.rfind(L"Process 2 file(s) from the folder \"Typed\" now?\n", 0), 0u) << Narrow(question);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_EQ(report.rfind(L"All 2 file(s) listed from \"Typed\" have been encrypted into the folder", 0), 0u)
        << Narrow(report);
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    ExpectTree(out, typedTree, OwnPassword, 7);
    EXPECT_FALSE(FileExists(out + L"\\x.txt"));
    EXPECT_EQ(ListCount(s), 2);

    const std::wstring missing = s.Work() + L"\\Missing";
    SetFieldText(s.app.Control(FolderField), missing);
    PostCommand(s.window, EncryptButton);
    EXPECT_EQ(DismissMessageBox(s.app),
              L"The folder\n" + missing + L"\ncannot be found. Choose a folder with the \"...\" button.");
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_EQ(ListCount(s), 2);
    EXPECT_TRUE(s.app.Close());
}

TEST(FolderPage, ProposedFoldersAndCancel)
{
    Started s;
    Start(s, "[MAIN]\n8=1\n9=1\n", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring typed = s.Work() + L"\\Docs\\Encrypted";
    ASSERT_TRUE(CreateDirectoryW((s.Work() + L"\\Docs").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(typed.c_str(), nullptr));
    SetFieldText(s.app.Control(FolderField), typed);
    HWND dialog = OpenConfirmation(s, EncryptButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FieldText(GetDlgItem(dialog, ConfirmDestinationId)), L"c:\\My Encrypted");
    EXPECT_EQ(FieldText(GetDlgItem(dialog, JobTextId))
                  .rfind(L"Process 0 file(s) from the folder \"Encrypted\" now?\n"
                         L"The files are encrypted into the folder "
                         L"\"c:\\My Encrypted\"; the source files stay",
                         0),
              0u);
    ASSERT_TRUE(Press(dialog, IDCANCEL));
    SetFieldText(s.app.Control(quenzel::IDC_OPTIONS_DEC_PATH), L"E:\\Plain");
    dialog = OpenConfirmation(s, DecryptButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FieldText(GetDlgItem(dialog, ConfirmDestinationId)), L"E:\\Plain");
    ASSERT_TRUE(Press(dialog, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_EQ(StatusText(s, 0), L"Ready");
    EXPECT_TRUE(s.app.Close());
}

TEST(FolderPage, EmptyListIsProcessedAsNothing)
{
    Started s;
    Start(s, "", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Empty";
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    Gather(s, root);
    EXPECT_EQ(StatusText(s, 1), L"0 file(s) found in \"Empty\"");
    EXPECT_EQ(RunFolderJob(s, EncryptButton, nullptr, s.Work() + L"\\Out").rfind(L"All 0 file(s) listed", 0), 0u);
    EXPECT_FALSE(FileExists(s.Work() + L"\\Out"));
    EXPECT_TRUE(s.app.Close());
}

// Names that end in a dot are their own files and folders, read and
// written as named; the output folder has 250 characters, past the limit of
// the classic folder functions (248).
TEST(FolderPage, TrailingDotTwinsGoIntoALongOutputFolderUnderTheirOwnNames)
{
    Started s;
    Start(s, "", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Twins";
    const Tree tree = {{L"\\dot.", "with the dot"}, {L"\\dot", "without"}, {L"\\dir.\\in.txt", "in a dotted folder"}};
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + root + L"\\dir.").c_str(), nullptr));
    for (const auto& [relative, content] : tree)
        ASSERT_TRUE(WriteFileBytes(root + relative, content));
    Gather(s, root);
    ASSERT_EQ(ListCount(s), 3);
    std::wstring out = s.Work() + L"\\";
    out += std::wstring(250 - out.size(), L'o');
    RunFolderJob(s, EncryptButton, nullptr, out);
    ExpectTree(out, tree, OwnPassword, 7);
    for (const auto& [relative, content] : tree) {
        std::string source;
        ASSERT_TRUE(ReadFileBytes(root + relative, source));
        EXPECT_TRUE(source == content) << Narrow(relative);
    }
    EXPECT_TRUE(s.app.Close());
}

// A folder job that would destroy data is refused before anything is done,
// with a message, the controls back and the listed files untouched: an
// output folder whose files would be listed files overwritten before they
// are read (the folder inside the list, and a folder holding the listed one
// where the outputs would land on listed files), and an output that would be
// the key file lying inside the listed folder.
TEST(FolderPage, AJobThatWouldDestroyDataIsRefused)
{
    Started s;
    const std::wstring root = s.Work() + L"\\Tree";
    const std::wstring key = root + L"\\keys\\my.key";
    // Decryptions go into a folder of the options (set below).
    const std::string ini = "[MAIN]\n9=1\n[PASSWORD]\nPath=1\nPathString=" + Narrow(key) + "\n";
    Start(s, ini.c_str(), FolderPageCommand);
    const Tree tree = {
        {L"\\x.txt", "x"}, {L"\\sub\\y.txt", "y"}, {L"\\Tree\\z.txt", "z"}, {L"\\keys\\my.key", "key bytes"}};
    MakeTree(root, tree);
    Gather(s, root);
    const struct {
        std::wstring output;
        std::wstring message;
    } cases[] = {
        {root + L"\\sub", L"The output folder\n" + root + L"\\sub\noverlaps the listed folder"},
        {s.Work(), L"The output folder\n" + s.Work() + L"\noverlaps the listed folder"},
        {root, L"An output of the job,\n" + key + L",\nwould be the key file."},
    };
    for (const auto& c : cases) {
        ConfirmJob(s, EncryptButton, nullptr, c.output);
        EXPECT_EQ(DismissMessageBox(s.app).rfind(c.message, 0), 0u) << Narrow(c.output);
        EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
        ExpectTree(root, tree, std::string(1, '\0'), 0);
    }
    // An output folder that the options name is refused before the
    // confirmation asks for anything.
    SetFieldText(s.app.Control(quenzel::IDC_OPTIONS_DEC_PATH), s.Work());
    PostCommand(s.window, DecryptButton);
    EXPECT_EQ(DismissMessageBox(s.app),
              L"The output folder\n" + s.Work()
                  + L"\noverlaps the listed folder: the job would overwrite listed files before reading them.\n"
                    L"Choose an output folder outside the listed folder, or a sub-folder of it that holds no listed "
                    L"files.");
    EXPECT_EQ(WaitForDialogWith(s.app, ConfirmDestinationId, Millis{500}), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_FALSE(FileExists(s.Work() + L"\\x.txt"));
    EXPECT_TRUE(s.app.Close());
}

// Outputs of an encryption that exist and are other files are replaced only
// after one Yes for all of them; a replaced file keeps its hidden attribute.
// A decryption replaces none of them.
TEST(FolderPage, ExistingOutputsAreCountedAndReplacedOnlyAfterAYes)
{
    Started s;
    Start(s, "", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Src";
    const Tree tree = {{L"\\a.txt", "a"}, {L"\\b.txt", "b"}, {L"\\c.txt", "c"}};
    MakeTree(root, tree);
    const std::wstring out = s.Work() + L"\\Out";
    const Tree older = {{L"\\a.txt", "older a"}, {L"\\b.txt", "older b"}, {L"\\c.txt", "older c"}};
    MakeTree(out, older);
    ASSERT_TRUE(SetFileAttributesW((out + L"\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    // A read-only output is neither counted nor replaced: its file is skipped and reported.
    ASSERT_TRUE(SetFileAttributesW((out + L"\\c.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    Gather(s, root);

    ConfirmJob(s, EncryptButton, nullptr, out);
    int defaultButton = 0;
    EXPECT_EQ(AnswerQuestion(s.app, IDNO, defaultButton)
                  .rfind(L"2 file(s) in the output folder\n" + out + L"\nexist already", 0),
              0u);
    EXPECT_EQ(defaultButton, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    ExpectTree(out, older, std::string(1, '\0'), 0);

    ConfirmJob(s, EncryptButton, nullptr, out);
    AnswerMessageBox(s.app, IDYES);
    EXPECT_EQ(DismissMessageBox(s.app).rfind(L"An output file exists and is read-only", 0), 0u);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_EQ(report.rfind(L"2 of 3 file(s) listed from \"Src\" have been encrypted into the folder\n" + out
                               + L"\nThe others were not: their source files and earlier outputs are unchanged."
                                 L"\n1 file(s) were not processed:\n"
                               + root + L"\\c.txt",
                           0),
              0u)
        << Narrow(report);
    ExpectTree(out, {{L"\\a.txt", "a"}, {L"\\b.txt", "b"}}, OwnPassword, 7);
    ExpectTree(out, {{L"\\c.txt", "older c"}}, std::string(1, '\0'), 0);
    EXPECT_NE(GetFileAttributesW((out + L"\\a.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    // Decrypted back beside the originals: nothing is asked or replaced,
    // each output takes the next free name.
    Gather(s, out);
    RunFolderJob(s, DecryptButton, nullptr, root);
    ExpectTree(root, tree, std::string(1, '\0'), 0);
    ExpectTree(root, {{L"\\a (2).txt", "a"}, {L"\\b (2).txt", "b"}}, std::string(1, '\0'), 0);
    SetFileAttributesW((out + L"\\c.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(s.app.Close());
}

} // namespace

namespace {

// An output volume that fills up during a folder job: each file that does
// not fit is reported and skipped, the job goes on, and no output file is
// left half-written.
TEST(FolderPage, FullVolumeSkipsWhatDoesNotFitAndLeavesNoPartialFile)
{
    wchar_t drive[8] = L"";
    if (!GetEnvironmentVariableW(L"QUENZEL_SMALL_DRIVE", drive, 8))
        GTEST_SKIP() << "the test run has no small volume to fill";
    Started s;
    Start(s, "", FolderPageCommand);
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Big";
    Tree tree;
    for (int i = 0; i < 4; ++i)
        tree[L"\\part" + std::to_wstring(i) + L".bin"] = RandomBytes(400 * 1024, 20 + i);
    MakeTree(root, tree);
    Gather(s, root);
    ASSERT_EQ(ListCount(s), 4);

    const std::wstring output = std::wstring(drive) + L"\\FolderOut";
    ConfirmJob(s, EncryptButton, nullptr, output);
    // The first file that does not fit asks whether to go on; the others are
    // not asked about again but listed in the report.
    EXPECT_EQ(AnswerQuestion(s.app, IDYES).rfind(L"An output file could not be written completely", 0), 0u);
    const std::wstring report = DismissMessageBox(s.app);
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_NE(report.find(L"file(s) listed from \"Big\" have been encrypted into the folder\n" + output),
              std::wstring::npos)
        << Narrow(report);
    const size_t listed = report.find(L" file(s) were not processed:");
    ASSERT_NE(listed, std::wstring::npos) << Narrow(report);
    const size_t failures = std::stoul(report.substr(report.rfind(L'\n', listed) + 1));

    size_t written = 0;
    for (const auto& [relative, content] : tree) {
        std::string out;
        if (!ReadFileBytes(output + relative, out))
            continue;
        ++written;
        EXPECT_TRUE(out == Transformed(content, OwnPassword, 7)) << Narrow(relative) << " is incomplete";
    }
    EXPECT_EQ(written + failures, tree.size());
    EXPECT_GE(written, 1u);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((output + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
    EXPECT_TRUE(s.app.Close());
    RemoveTree(output);
}

} // namespace

namespace {

// A job keeps the key, level and options it started with. While a folder
// job waits at a warning, a command that reaches its page and a folder
// slot's path are refused; a file job on the other page starts and ends: the
// key controls and the tabs stay disabled until the folder job has ended
// too, and the folder job's later files still get its first key and level.
TEST(FolderPage, KeyAndControlsHeldUntilEveryJobEnds)
{
    using namespace quenzel;
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OFTENRADIO]\n0=1\n[OFTENPATHS]\n0=C:\\windows\n", FolderPageCommand));
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Held";
    const Tree tree = {
        {L"\\a.txt", "first, held open"}, {L"\\sub\\b.txt", RandomText(5000, 3)}, {L"\\sub\\c.txt", "third"}};
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, tree));
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    HANDLE held =
        CreateFileW((root + L"\\a.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring out = s.Work() + L"\\Out";
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, IDC_FOLDER_ENCRYPT, nullptr, out));
    HWND warning = WaitForDialogWith(s.app, MessageTextId);
    ASSERT_NE(warning, nullptr) << "the folder job waits at the held file";

    const std::wstring busy = L"Busy: try again when the running work has ended.";
    PostCommand(s.window, IDC_FOLDER_DECRYPT);
    EXPECT_TRUE(WaitUntil([&] { return StatusText(s, 1) == busy; })) << Narrow(StatusText(s, 1));
    PostCommand(s.window, SlotPageCommand);
    ASSERT_TRUE(WaitUntil([&] { return StatusText(s, 1).rfind(L"Nine slots", 0) == 0; }));
    PostCommand(s.window, SlotControlId(IDC_SLOT_USE_0, 0));
    EXPECT_TRUE(WaitUntil([&] { return StatusText(s, 1) == busy; })) << Narrow(StatusText(s, 1));
    EXPECT_EQ(FieldText(s.app.Control(FolderField)), root);
    EXPECT_EQ(WaitForDialogWith(s.app, ConfirmDestinationId, Millis{500}), nullptr) << "a second job was asked for";

    const std::wstring single = s.Work() + L"\\single.txt";
    const std::string plain = RandomText(300, 4);
    ASSERT_TRUE(WriteFileBytes(single, plain));
    PostCommand(s.window, FilePageCommand);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(s.app.Control(IDC_FILE_SOURCE)) != FALSE; }));
    SetFieldText(s.app.Control(IDC_FILE_SOURCE), single);
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, IDC_FILE_ENCRYPT, nullptr, single + L".enc"));
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(Press(result, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(s.app.Control(IDC_FILE_ENCRYPT)) != FALSE; }));
    for (int id : {IDC_KEY_LEVEL_SLIDER, IDC_TABS, IDC_KEY_PASSWORD, IDC_KEY_PASSWORD_RADIO, IDC_KEY_FILE_RADIO})
        EXPECT_FALSE(IsWindowEnabled(s.app.Control(id))) << id << " came back while the folder job runs";

    // What the controls show now is not what the running job uses.
    SendMessageW(s.app.Control(IDC_KEY_LEVEL_SLIDER), TBM_SETPOS, TRUE, 99);
    SetFieldText(s.app.Control(IDC_KEY_PASSWORD), L"OTHER");
    ASSERT_TRUE(Press(warning, IDOK));
    DismissMessageBox(s.app);
    CloseHandle(held);
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_FALSE(IsWindowEnabled(s.app.Control(IDC_KEY_FILE))) << "password mode keeps the key file field off";
    Tree written = tree;
    written.erase(L"\\a.txt");
    ExpectTree(out, written, OwnPassword, 7);
    std::string encrypted;
    ASSERT_TRUE(ReadFileBytes(single + L".enc", encrypted));
    EXPECT_TRUE(encrypted == Transformed(plain, OwnPassword, 7));
    EXPECT_TRUE(s.app.Close());
}

// Closing while a folder job runs asks: "keep running" changes nothing,
// "stop" (here from File > Exit) gives up the file in work, and the report
// says how many were done before the program ends.
TEST(FolderPage, ClosedDuringAJobReportsWhatWasDone)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FolderPageCommand));
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Tree";
    const Tree small = {{L"\\a.txt", "first"}, {L"\\sub\\deeper\\c.txt", "last"}};
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, small));
    ASSERT_TRUE(MakeSparseFile(root + L"\\sub\\big.bin", 4LL << 30));
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    const std::wstring out = s.Work() + L"\\Out";
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, quenzel::IDC_FOLDER_ENCRYPT, nullptr, out));
    ASSERT_TRUE(WaitUntil([&] { return FileExists(out + L"\\a.txt"); }));

    PostMessageW(s.window, WM_CLOSE, 0, 0);
    EXPECT_EQ(AnswerQuestion(s.app, IDNO).rfind(L"A task is still running.", 0), 0u);
    EXPECT_TRUE(IsWindow(s.window));
    PostCommand(s.window, IDM_EXIT);
    AnswerQuestion(s.app, IDYES);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_EQ(report.rfind(L"The task was stopped: 1 of 3 file(s) listed from \"Tree\" were processed", 0), 0u)
        << Narrow(report);
    DWORD code = 0;
    ASSERT_TRUE(s.app.WaitForExit(code));
    ExpectTree(out, {{L"\\a.txt", "first"}}, OwnPassword, 7);
    EXPECT_FALSE(FileExists(out + L"\\sub\\big.bin"));
    EXPECT_FALSE(FileExists(out + L"\\sub\\deeper\\c.txt"));
    EXPECT_TRUE(TemporaryFilesIn(out + L"\\sub").empty());
}

// A failure that every file meets (the output folder is a file) is shown
// once, asking whether to go on: Yes lists the others in the report, No
// stops the job there. Either way the report names the first files and
// counts the rest.
TEST(FolderPage, AFailureOfEveryFileIsShownOnce)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FolderPageCommand));
    TypeOwnPassword(s);
    const std::wstring root = s.Work() + L"\\Many";
    Tree tree;
    for (int i = 0; i < 12; ++i)
        tree[L"\\f" + std::to_wstring(i) + L".txt"] = "data";
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, tree));
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    const std::wstring blocker = s.Work() + L"\\NotAFolder";
    ASSERT_TRUE(WriteFileBytes(blocker, "a file where the output folder should be"));
    struct Row {
        int answer;
        const wchar_t* reportStart;
        const wchar_t* listed;
    };
    for (const Row& row : {Row{IDYES, L"0 of 12 file(s) listed from \"Many\" have been encrypted into the folder",
                               L"12 file(s) were not processed:"},
                           Row{IDNO, L"The task was stopped: 0 of 12 file(s) listed from \"Many\" were processed",
                               L"1 file(s) were not processed:"}}) {
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, EncryptButton, nullptr, blocker));
        EXPECT_EQ(AnswerQuestion(s.app, row.answer).rfind(L"An output file cannot be created", 0), 0u);
        const std::wstring report = DismissMessageBox(s.app);
        EXPECT_EQ(report.rfind(row.reportStart, 0), 0u) << Narrow(report);
        EXPECT_NE(report.find(std::wstring(row.listed) + L"\n" + root + L"\\"), std::wstring::npos) << Narrow(report);
        EXPECT_EQ(report.find(L"... and 2 more.") != std::wstring::npos, row.answer == IDYES) << Narrow(report);
        ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    }
    EXPECT_TRUE(s.app.Close());
}

// The key file is read once, before any source is opened: lying among the
// listed files it is processed like them, not refused as in use.
TEST(FolderPage, KeyFileInsideTheListedFolderIsNotRefused)
{
    Started s;
    const std::wstring root = s.Work() + L"\\Keyed";
    const std::string ini = "[PASSWORD]\nPath=1\nPathString=" + Narrow(root) + "\\key.bin\n";
    ASSERT_NO_FATAL_FAILURE(Start(s, ini.c_str(), FolderPageCommand));
    const std::string key = RandomBytes(5000, 9);
    const Tree tree = {{L"\\key.bin", key}, {L"\\x.txt", RandomText(12000, 10)}};
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, tree));
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    const std::wstring report = RunFolderJob(s, EncryptButton, nullptr, s.Work() + L"\\Out");
    EXPECT_EQ(report.rfind(L"All 2 file(s) listed", 0), 0u) << Narrow(report);
    ExpectTree(s.Work() + L"\\Out", tree, key, 7);
    EXPECT_TRUE(s.app.Close());
}

} // namespace

namespace {

// A folder encrypted in the strong format, then decrypted beside a legacy
// file and a damaged strong file: each file by its own format, the damaged
// one skipped, and the job goes on; the report names the damaged file and,
// last, the legacy one, which was never authenticated.
TEST(FolderPage, StrongAndLegacyFilesMixedDecryptEachByItsFormat)
{
    Started s;
    Start(s, "[OPTIONS]\nStrongFormat=1\n[MAIN]\n5=1\n6=1\n7=1\n", FolderPageCommand);
    SetFieldText(s.app.Control(PasswordField), L"shared pass");
    const std::wstring root = s.Work() + L"\\Mixed";
    MakeTree(root, SampleTree);
    Gather(s, root);
    RunFolderJob(s, EncryptButton);
    const std::wstring encrypted = root + L"\\Encrypted";
    for (const auto& [relative, content] : SampleTree) {
        std::string sealed;
        ASSERT_TRUE(ReadFileBytes(encrypted + relative, sealed)) << Narrow(relative);
        EXPECT_TRUE(LooksStrong(sealed, content.size())) << Narrow(relative);
    }
    ASSERT_TRUE(WriteFileBytes(encrypted + L"\\legacy.txt", Transformed("a legacy file", "shared pass", 7)));
    std::string damaged;
    ASSERT_TRUE(ReadFileBytes(encrypted + L"\\x.txt", damaged));
    damaged.back() ^= 1;
    ASSERT_TRUE(WriteFileBytes(encrypted + L"\\a\\damaged.txt", damaged));

    Gather(s, encrypted);
    const std::wstring report = RunFolderJob(s, DecryptButton);
    // Five of six are decrypted: the damaged file is not counted as processed.
    EXPECT_EQ(report.rfind(L"5 of 6 file(s) listed from \"Encrypted\" have been decrypted into the folder\n" + root
                               + L"\\Decrypted\nThe others were not",
                           0),
              0u)
        << Narrow(report);
    const std::wstring lists = L"Not decrypted, because the password or the key file is wrong or the file is "
                               L"damaged:\n\\a\\damaged.txt\n\nDecrypted in the original format, which cannot "
                               L"detect a wrong password or key file or a damaged file (check their content):\n"
                               L"\\legacy.txt";
    EXPECT_EQ(report.substr(report.size() - std::min(report.size(), lists.size())), lists) << Narrow(report);
    const std::wstring decrypted = root + L"\\Decrypted";
    ExpectTree(decrypted, SampleTree, std::string(1, '\0'), 0);
    std::string legacy;
    ASSERT_TRUE(ReadFileBytes(decrypted + L"\\legacy.txt", legacy));
    EXPECT_EQ(legacy, "a legacy file");
    EXPECT_FALSE(FileExists(decrypted + L"\\a\\damaged.txt"));
    EXPECT_TRUE(s.app.Close());
}

// A folder of files encrypted separately, each under a salt of its own:
// past the first 8 keys the decryption asks once what it may cost, No being
// the default. Yes decrypts every file without asking again; No stops the
// job there, and the report says what was done.
TEST(FolderPage, ManySeparateEncryptionsAskOnceBeforeMoreKeys)
{
    constexpr Millis KeysTimeout{120000};
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FolderPageCommand));
    SetFieldText(s.app.Control(PasswordField), L"separate salts");
    const std::wstring root = s.Work() + L"\\Separate";
    Tree plain;
    Tree sealed;
    for (int i = 0; i < 10; ++i) {
        const std::wstring name = L"\\f" + std::to_wstring(i) + L".txt";
        plain[name] = RandomText(200 + i, 40 + i);
        sealed[name] = StrongEncryptedAlone(plain[name], "separate salts");
        ASSERT_TRUE(LooksStrong(sealed[name], plain[name].size()));
    }
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, sealed));
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    struct Row {
        int answer;
        const wchar_t* reportStart;
        size_t decrypted;
    };
    for (const Row& row :
         {Row{IDYES, L"All 10 file(s) listed from \"Separate\" have been decrypted into the folder", 10},
          Row{IDNO, L"The task was stopped: 8 of 10 file(s) listed from \"Separate\" were processed", 8}}) {
        const std::wstring out = s.Work() + (row.answer == IDYES ? L"\\Yes" : L"\\No");
        ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, DecryptButton, nullptr, out));
        // Eight keys first, each a second or more on a busy machine.
        ASSERT_NE(WaitForDialogWith(s.app, MessageTextId, KeysTimeout), nullptr);
        int defaultButton = 0;
        const std::wstring question = AnswerQuestion(s.app, row.answer, defaultButton);
        EXPECT_EQ(
            question.rfind(L"These files were encrypted separately, each with a key of its own: each costs about ", 0),
            0u)
            << Narrow(question);
        EXPECT_EQ(defaultButton, IDNO);
        // Asked once: the next box is the report.
        ASSERT_NE(WaitForDialogWith(s.app, MessageTextId, KeysTimeout), nullptr);
        const std::wstring report = DismissMessageBox(s.app);
        EXPECT_EQ(report.rfind(row.reportStart, 0), 0u) << Narrow(report);
        ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
        size_t decrypted = 0;
        for (const auto& [relative, content] : plain) {
            std::string bytes;
            if (!ReadFileBytes(out + relative, bytes))
                continue;
            ++decrypted;
            EXPECT_TRUE(bytes == content) << Narrow(relative);
        }
        EXPECT_EQ(decrypted, row.decrypted);
        EXPECT_TRUE(TemporaryFilesIn(out).empty());
    }
    EXPECT_TRUE(s.app.Close());
}

// The report's counts of a verification, as its language file words them.
std::wstring VerifyCounts(int intact, int damaged, int wrongKey, int notCheckable)
{
    return L"Intact: " + std::to_wstring(intact) + L"\nDamaged: " + std::to_wstring(damaged)
        + L"\nWrong password or key file (or damaged at the start): " + std::to_wstring(wrongKey)
        + L"\nCannot be checked (original format, or a later version of the strong format): "
        + std::to_wstring(notCheckable);
}

size_t EntriesIn(const std::wstring& folder)
{
    size_t count = 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        count += wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return count;
}

// File > Verify reads strong files to their end with the key set and
// writes nothing: the file page's file, then the folder page's list. A
// changed byte or a cut past the first chunk is damage; a file of the
// original format cannot be checked.
TEST(FolderPage, VerifyTellsIntactDamagedAndWrongKeyFilesApart)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    const std::string plain = RandomBytes(quenzel::StrongChunkBytes + 3000, 61);
    const std::string sealed = StrongEncryptedAlone(plain, OwnPassword);
    ASSERT_TRUE(LooksStrong(sealed, plain.size()));
    std::string flipped = sealed;
    flipped[sealed.size() - 100] ^= 0x10;
    const Tree tree = {{L"\\intact.enc", sealed},
                       {L"\\flipped.enc", flipped},
                       {L"\\cut.enc", sealed.substr(0, quenzel::StrongHeaderBytesV2 + quenzel::StrongSealedChunkBytes)},
                       {L"\\other key.enc", StrongEncryptedAlone(plain, "ANDERES")},
                       {L"\\classic.txt", Transformed(plain, OwnPassword, 7)}};
    const std::wstring root = s.Work() + L"\\Checked";
    ASSERT_NO_FATAL_FAILURE(MakeTree(root, tree));
    const struct {
        const wchar_t* file;
        const char* password;
        std::wstring counts;
    } rows[] = {{L"intact.enc", OwnPassword, VerifyCounts(1, 0, 0, 0)},
                {L"flipped.enc", OwnPassword, VerifyCounts(0, 1, 0, 0)},
                {L"cut.enc", OwnPassword, VerifyCounts(0, 1, 0, 0)},
                {L"intact.enc", "WRONG", VerifyCounts(0, 0, 1, 0)},
                {L"classic.txt", OwnPassword, VerifyCounts(0, 0, 0, 1)}};
    for (const auto& row : rows) {
        SetFieldText(s.app.Control(PasswordField), Widen(row.password));
        SetFieldText(s.app.Control(quenzel::IDC_FILE_SOURCE), root + L"\\" + row.file);
        PostCommand(s.window, quenzel::CMD_VERIFY);
        const std::wstring report = DismissMessageBox(s.app);
        EXPECT_EQ(report.rfind(L"The file \"" + std::wstring(row.file) + L"\" was read to its end", 0), 0u)
            << Narrow(report);
        EXPECT_NE(report.find(row.counts), std::wstring::npos) << Narrow(report);
        ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    }

    PostCommand(s.window, FolderPageCommand);
    TypeOwnPassword(s);
    ASSERT_NO_FATAL_FAILURE(Gather(s, root));
    PostCommand(s.window, quenzel::CMD_VERIFY);
    const std::wstring report = DismissMessageBox(s.app);
    EXPECT_EQ(report.rfind(L"5 file(s) listed from \"Checked\" were read to their end", 0), 0u) << Narrow(report);
    EXPECT_NE(report.find(VerifyCounts(1, 2, 1, 1)), std::wstring::npos) << Narrow(report);
    // The names below the counts, in the list's order.
    const size_t damaged = report.find(L"\n\nDamaged:\n");
    ASSERT_NE(damaged, std::wstring::npos) << Narrow(report);
    const std::wstring damagedNames = report.substr(damaged, report.find(L"\n\n", damaged + 2) - damaged);
    EXPECT_NE(damagedNames.find(L"\ncut.enc"), std::wstring::npos) << Narrow(report);
    EXPECT_NE(damagedNames.find(L"\nflipped.enc"), std::wstring::npos) << Narrow(report);
    EXPECT_NE(report.find(L"\n\nWrong password or key file (or damaged at the start):\nother key.enc"),
              std::wstring::npos)
        << Narrow(report);
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_EQ(EntriesIn(root), tree.size());
    EXPECT_TRUE(s.app.Close());
}

} // namespace
