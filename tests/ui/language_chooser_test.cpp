// language.exe in a program folder of its own: choosing a language makes it
// the file Quenzel reads, and the folder's faults give clear messages.
#include "tests/support/ui_driver.h"

#include "base/control_ids.h"
#include "base/lang_keys.h"
#include "lang/chooser/chooser_resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

using namespace uitest;

constexpr int LanguageListId = IDC_LANGUAGES;
constexpr int TabControlId = quenzel::IDC_TABS;
constexpr int FirstTabKey = quenzel::keys::FirstTabLabel;
constexpr int CancelKey = quenzel::keys::Cancel;
constexpr int ChooserTitleKey = quenzel::keys::ChooserTitle;
constexpr int ChooserChangedKey = quenzel::keys::ChooserChanged;
constexpr int TabCount = 6;
constexpr DWORD ExitFailed = 1;
constexpr DWORD TextLimit = 1024;

// A program folder with language.exe and every built language file.
struct ChooserFolder {
    ProgramFolder folder;
    bool Ready() const
    {
        return folder.Ready() && folder.CopyFromBuild(L"language.exe") && folder.CopyFromBuild(L"lang\\english.lng")
            && folder.CopyFromBuild(L"lang\\german.lng");
    }
    std::wstring Lang(const wchar_t* name) const { return folder.Path() + L"\\lang\\" + name; }
    std::wstring Chooser() const { return folder.Path() + L"\\language.exe"; }
};

std::string Bytes(const std::wstring& path)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << Narrow(path);
    return bytes;
}

// Waits for a message box of the process and returns its text, then closes it.
std::wstring TakeMessageBox(const App& app)
{
    HWND box = WaitForDialogWith(app, MessageTextId);
    if (!box)
        return L"<no message box>";
    const std::wstring text = WindowText(GetDlgItem(box, MessageTextId));
    PostCommand(box, IDOK);
    return text;
}

std::wstring ListEntry(HWND list, LRESULT index)
{
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length < 0)
        return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// What the chooser showed before the choice.
struct Shown {
    std::wstring current; // the selected entry
    std::wstring title;
    std::wstring cancel; // the Cancel button's text
};

// Runs language.exe, picks the entry that starts with `language` and presses OK.
// Returns the text of the message box that follows.
std::wstring Choose(const ChooserFolder& setup, const wchar_t* language, Shown* shown = nullptr)
{
    App chooser;
    if (!chooser.StartProgram(setup.Chooser(), setup.folder.Path()))
        return L"<not started>";
    HWND dialog = chooser.WaitForTopWindow(L"#32770");
    if (!dialog)
        return L"<no dialog>";
    HWND list = GetDlgItem(dialog, LanguageListId);
    if (shown)
        *shown = {ListEntry(list, SendMessageW(list, LB_GETCURSEL, 0, 0)), WindowText(dialog),
                  WindowText(GetDlgItem(dialog, IDCANCEL))};
    const LRESULT index =
        SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(language));
    if (index < 0)
        return L"<not listed>";
    SendMessageW(list, LB_SETCURSEL, index, 0);
    PostClick(GetDlgItem(dialog, IDOK));
    const std::wstring text = TakeMessageBox(chooser);
    // A failure leaves the dialog open; Cancel ends it.
    if (IsWindow(dialog))
        PostCommand(dialog, IDCANCEL);
    DWORD code = ExitFailed;
    EXPECT_TRUE(chooser.WaitForExit(code));
    return text;
}

bool NoTemporaryFilesLeft(const ChooserFolder& setup)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(setup.Lang(L"*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    FindClose(find);
    return false;
}

std::wstring ProfileText(const std::wstring& file, int key)
{
    wchar_t text[TextLimit] = L"";
    GetPrivateProfileStringW(L"INTERFACE", std::to_wstring(key).c_str(), L"", text, TextLimit, file.c_str());
    return text;
}

TEST(LanguageChooser, GermanChosenBecomesTheDefaultAndQuenzelShowsIt)
{
    ChooserFolder setup;
    ASSERT_TRUE(setup.Ready());
    Shown shown;
    const std::wstring report = Choose(setup, L"Deutsch", &shown);
    EXPECT_EQ(shown.current, L"English (current)");
    EXPECT_EQ(shown.title, L"Quenzel language");
    EXPECT_EQ(shown.cancel, L"Cancel");
    // The report is given in the language just chosen.
    std::wstring germanReport = ProfileText(setup.Lang(L"german.lng"), ChooserChangedKey);
    ASSERT_NE(germanReport.find(L"%s"), std::wstring::npos);
    germanReport.replace(germanReport.find(L"%s"), 2, L"Deutsch");
    for (wchar_t& c : germanReport)
        c = c == L'~' ? L'\n' : c;
    EXPECT_EQ(report, germanReport);
    EXPECT_TRUE(Bytes(setup.Lang(L"default.lng")) == Bytes(setup.Lang(L"german.lng")));
    EXPECT_TRUE(NoTemporaryFilesLeft(setup));

    App quenzel;
    ASSERT_TRUE(quenzel.Start(setup.folder));
    ASSERT_NE(quenzel.WaitForMainWindow(), nullptr);
    HWND tabs = quenzel.Control(TabControlId);
    EXPECT_EQ(TabText(quenzel.Process(), tabs, 0), L"Optionen");
    for (int tab = 0; tab < TabCount; ++tab)
        EXPECT_EQ(TabText(quenzel.Process(), tabs, tab), ProfileText(setup.Lang(L"german.lng"), FirstTabKey + tab));
    EXPECT_TRUE(quenzel.Close());

    // The choice can be undone: English is offered again and restores the original.
    // The chooser itself now speaks German.
    const std::wstring undo = Choose(setup, L"English", &shown);
    EXPECT_EQ(shown.current, L"Deutsch (aktuell)");
    EXPECT_EQ(shown.title, ProfileText(setup.Lang(L"german.lng"), ChooserTitleKey));
    EXPECT_EQ(shown.cancel, ProfileText(setup.Lang(L"german.lng"), CancelKey));
    EXPECT_NE(undo.find(L"English"), std::wstring::npos) << Narrow(undo);
    EXPECT_NE(undo.find(L"Restart Quenzel"), std::wstring::npos) << Narrow(undo);
    EXPECT_TRUE(Bytes(setup.Lang(L"default.lng")) == Bytes(setup.Lang(L"english.lng")));
}

TEST(LanguageChooser, MissingOrEmptyLanguageFolderIsReported)
{
    ChooserFolder setup;
    ASSERT_TRUE(setup.Ready());
    // Only default.lng: nothing to choose from.
    ASSERT_TRUE(DeleteFileW(setup.Lang(L"english.lng").c_str()));
    ASSERT_TRUE(DeleteFileW(setup.Lang(L"german.lng").c_str()));
    for (const wchar_t* expected : {L"holds no language files", L"cannot be found"}) {
        App chooser;
        ASSERT_TRUE(chooser.StartProgram(setup.Chooser(), setup.folder.Path()));
        const std::wstring text = TakeMessageBox(chooser);
        EXPECT_NE(text.find(expected), std::wstring::npos) << Narrow(text);
        EXPECT_NE(text.find(L"\\lang"), std::wstring::npos) << Narrow(text);
        DWORD code = 0;
        EXPECT_TRUE(chooser.WaitForExit(code));
        EXPECT_EQ(code, ExitFailed);
        RemoveTree(setup.folder.Path() + L"\\lang");
    }
}

TEST(LanguageChooser, DefaultFileThatCannotBeReplacedIsReportedAndLeftWhole)
{
    ChooserFolder setup;
    ASSERT_TRUE(setup.Ready());
    const std::string before = Bytes(setup.Lang(L"default.lng"));
    {
        // Another program holds default.lng open and shares it with nobody.
        HANDLE held = CreateFileW(setup.Lang(L"default.lng").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const std::wstring text = Choose(setup, L"Deutsch");
        CloseHandle(held);
        EXPECT_NE(text.find(L"cannot be replaced"), std::wstring::npos) << Narrow(text);
    }
    EXPECT_TRUE(Bytes(setup.Lang(L"default.lng")) == before);
    EXPECT_TRUE(NoTemporaryFilesLeft(setup));
}

TEST(LanguageChooser, ReadOnlyLanguageFolderIsReported)
{
    ChooserFolder setup;
    ASSERT_TRUE(setup.Ready());
    const std::string before = Bytes(setup.Lang(L"default.lng"));
    const std::wstring lang = setup.folder.Path() + L"\\lang";
    ASSERT_TRUE(SetFileAttributesW(lang.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring probe = lang + L"\\probe.txt";
    if (WriteFileBytes(probe, "x")) {
        DeleteFileW(probe.c_str());
        SetFileAttributesW(lang.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "this system lets the tests write into a read-only folder (an administrator under Wine)";
    }
    const std::wstring text = Choose(setup, L"Deutsch");
    SetFileAttributesW(lang.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(text.find(L"no file can be created"), std::wstring::npos) << Narrow(text);
    EXPECT_TRUE(Bytes(setup.Lang(L"default.lng")) == before);
}

} // namespace
