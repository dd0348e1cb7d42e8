// What users download: the installer run silently in the test prefix
// (the build that suits this Windows, files, shortcuts, Send To, the
// Uninstall entry), the installed program started, an update over it that
// keeps the settings, the chosen language and the log-on start, the silent
// uninstall and the one that removes the settings too; and the portable zip
// unpacked and started. The tests run in a 32-bit prefix and, where the
// release installer carries both builds, again in a 64-bit one.
#include "tests/support/ui_driver.h"

#include <commctrl.h>
#include <shlobj.h>
#include <algorithm>
#include <cstring>
#include <cwctype>
#include <memory>
#include <gtest/gtest.h>

namespace {

using namespace uitest;

constexpr Millis SetupTimeout{90000};
constexpr wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quenzel";
constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t Missing[] = L"<missing>";
const wchar_t* const ProgramFiles[] = {L"Quenzel.exe",       L"language.exe",        L"quenzel-cli.exe",
                                       L"lang\\default.lng", L"lang\\english.lng",   L"lang\\german.lng",
                                       L"help\\quenzel.chm", L"help\\quenzel-de.chm"};
// The user's PATH, which the installer changes only when its box is ticked.
constexpr wchar_t EnvironmentKey[] = L"Environment";
constexpr wchar_t PathValue[] = L"Path";

// The directory page's folder field and the components page's tree, in
// the page's own dialog.
constexpr int DirectoryFieldId = 1019;
constexpr int ComponentsTreeId = 1032;
// Where a program's PE header starts, and its machine field within it.
constexpr size_t PeOffsetField = 0x3C;
constexpr size_t MachineField = 4;

bool WindowsIs64Bit()
{
    BOOL wow64 = FALSE;
    return sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &wow64) && wow64);
}

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"";
}

std::wstring DistFile(const wchar_t* kind)
{
    return HostToWindowsPath(QUENZEL_DIST_DIR) + L"\\Quenzel-" + Widen(QUENZEL_VERSION) + kind;
}

std::vector<std::wstring> Shortcuts()
{
    return {KnownFolder(CSIDL_PROGRAMS) + L"\\Quenzel.lnk",
            KnownFolder(CSIDL_SENDTO) + L"\\Quenzel (encrypt or decrypt).lnk",
            KnownFolder(CSIDL_SENDTO) + L"\\Quenzel (shred).lnk"};
}

// The Send To entries a German installer makes, which every uninstaller removes.
std::vector<std::wstring> GermanSendTo()
{
    return {KnownFolder(CSIDL_SENDTO) + L"\\Quenzel (ver- oder entschl\u00fcsseln).lnk",
            KnownFolder(CSIDL_SENDTO) + L"\\Quenzel (schreddern).lnk"};
}

// What a shortcut starts: its target and arguments.
std::wstring ShortcutCommand(const std::wstring& link)
{
    std::wstring command = Missing;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return command;
    IShellLinkW* shellLink = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = L"";
    wchar_t arguments[MAX_PATH] = L"";
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shellLink)))
        && SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))
        && SUCCEEDED(file->Load(link.c_str(), STGM_READ)) && SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, 0))
        && SUCCEEDED(shellLink->GetArguments(arguments, MAX_PATH)))
        command = std::wstring(target) + L" " + arguments;
    if (file)
        file->Release();
    if (shellLink)
        shellLink->Release();
    CoUninitialize();
    return command;
}

std::wstring RegText(const wchar_t* key, const wchar_t* name)
{
    wchar_t text[1024] = L"";
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, text,
                     &size)
        != ERROR_SUCCESS)
        return Missing;
    return text;
}

// Runs a program of the package to its end; its exit code, or a failure.
::testing::AssertionResult RunToEnd(const std::wstring& exe, const std::wstring& arguments)
{
    App program;
    if (!program.StartProgram(exe, HostToWindowsPath(QUENZEL_DIST_DIR), arguments))
        return ::testing::AssertionFailure() << Narrow(exe) << " did not start";
    DWORD code = 1;
    if (!program.WaitForExit(code, SetupTimeout))
        return ::testing::AssertionFailure() << Narrow(exe) << " did not end";
    if (code != 0)
        return ::testing::AssertionFailure() << Narrow(exe) << " ended with " << code;
    return ::testing::AssertionSuccess();
}

void StartAndClose(const std::wstring& folder)
{
    App app;
    ASSERT_TRUE(app.StartProgram(folder + L"\\Quenzel.exe", folder)) << Narrow(folder);
    ASSERT_NE(app.WaitForMainWindow(), nullptr) << Narrow(folder);
    EXPECT_EQ(WindowText(app.Window()), ProgramTitle());
    EXPECT_TRUE(app.Close());
}

std::string Bytes(const std::wstring& path)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << Narrow(path);
    return bytes;
}

// The machine a program is built for: the PE header's machine field.
WORD ProgramMachine(const std::wstring& exe)
{
    const std::string bytes = Bytes(exe);
    uint32_t header = 0;
    WORD machine = 0;
    if (bytes.size() > PeOffsetField + sizeof header)
        std::memcpy(&header, bytes.data() + PeOffsetField, sizeof header);
    if (header && bytes.size() > header + MachineField + sizeof machine && bytes.compare(header, 4, "PE\0\0", 4) == 0)
        std::memcpy(&machine, bytes.data() + header + MachineField, sizeof machine);
    return machine;
}

void SetRegText(const wchar_t* key, const wchar_t* name, const std::wstring& text)
{
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

// On 64-bit Windows the installed copy is made what 32-bit Windows gets (the
// programs of the unpacked win32 zip, a "(32-bit)" entry), so that the next
// update is the one from the i686 build to the x86_64 one.
void MakeInstalledCopyThe32BitOne(const std::wstring& dir)
{
    const std::wstring portable = HostToWindowsPath(QUENZEL_PORTABLE_DIR);
    if (!WindowsIs64Bit() || ProgramMachine(portable + L"\\Quenzel.exe") != IMAGE_FILE_MACHINE_I386)
        return;
    for (const wchar_t* program : {L"\\Quenzel.exe", L"\\language.exe", L"\\quenzel-cli.exe"})
        ASSERT_TRUE(CopyFileW((portable + program).c_str(), (dir + program).c_str(), FALSE)) << Narrow(program);
    ASSERT_NO_FATAL_FAILURE(SetRegText(UninstallKey, L"DisplayName", L"Quenzel (32-bit)"));
}

// The build this Windows gets: its programs and the name of its entry.
void ExpectTheBuildOfThisWindows(const std::wstring& dir)
{
    const WORD machine = WindowsIs64Bit() ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
    EXPECT_EQ(ProgramMachine(dir + L"\\Quenzel.exe"), machine);
    EXPECT_EQ(ProgramMachine(dir + L"\\language.exe"), machine);
    EXPECT_EQ(ProgramMachine(dir + L"\\quenzel-cli.exe"), machine);
    EXPECT_EQ(RegText(UninstallKey, L"DisplayName"), WindowsIs64Bit() ? L"Quenzel (64-bit)" : L"Quenzel (32-bit)");
}

struct TextSearch {
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK MatchText(HWND child, LPARAM data)
{
    auto* search = reinterpret_cast<TextSearch*>(data);
    if (WindowText(child) != *search->text)
        return TRUE;
    search->found = child;
    return FALSE;
}

// A window below `parent`, at any depth, with the text `text`.
HWND ChildWithText(HWND parent, const std::wstring& text)
{
    TextSearch search{&text, nullptr};
    EnumChildWindows(parent, MatchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Ends the process of a wizard a failed test leaves open.
void EndProcessOf(HWND window)
{
    DWORD id = 0;
    HANDLE process =
        IsWindow(window) && GetWindowThreadProcessId(window, &id) ? OpenProcess(PROCESS_TERMINATE, FALSE, id) : nullptr;
    if (process) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

TEST(Install, PerUserInstallStartsUpdatesKeepingSettingsAndUninstallsCleanly)
{
    const std::wstring dir = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quenzel";
    const std::wstring pathBefore = RegText(EnvironmentKey, PathValue);
    ASSERT_TRUE(RunToEnd(DistFile(L"-setup.exe"), L"/S"));
    for (const wchar_t* file : ProgramFiles)
        EXPECT_TRUE(FileExists(dir + L"\\" + file)) << Narrow(file);
    EXPECT_EQ(RegText(EnvironmentKey, PathValue), pathBefore) << "PATH changed without being asked";
    ExpectTheBuildOfThisWindows(dir);
    EXPECT_FALSE(FileExists(dir + L"\\Quenzel.ini"));
    // Send To opens the file page (tab 1) or the shredder (tab 4) with the files.
    const std::vector<std::wstring> links = Shortcuts();
    const std::wstring exe = dir + L"\\Quenzel.exe";
    EXPECT_EQ(ShortcutCommand(links[0]), exe + L" ");
    EXPECT_EQ(ShortcutCommand(links[1]), exe + L" 1");
    EXPECT_EQ(ShortcutCommand(links[2]), exe + L" 4");
    EXPECT_EQ(RegText(UninstallKey, L"DisplayVersion"), Widen(QUENZEL_VERSION));
    EXPECT_EQ(RegText(UninstallKey, L"Publisher"), L"Quenzel project");
    EXPECT_EQ(RegText(UninstallKey, L"DisplayIcon"), dir + L"\\Quenzel.exe,0");
    EXPECT_EQ(RegText(UninstallKey, L"UninstallString"), L"\"" + dir + L"\\Uninstall.exe\"");
    DWORD size = 0;
    DWORD sizeBytes = sizeof size;
    EXPECT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, UninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size, &sizeBytes),
        ERROR_SUCCESS);
    EXPECT_GT(size, 1000u);
    ASSERT_NO_FATAL_FAILURE(StartAndClose(dir));

    // The user's settings, German chosen with language.exe (an older
    // version's file) and the log-on start survive an update, also the one
    // from the i686 build, and the choice gets the new texts.
    const std::string settings = Utf16File(L"[OPTIONS]\r\nMagnet=1\r\n");
    ASSERT_TRUE(WriteFileBytes(dir + L"\\Quenzel.ini", settings));
    ASSERT_TRUE(WriteFileBytes(dir + L"\\lang\\default.lng",
                               Utf16File(L"[LANGUAGE]\r\n1=Deutsch\r\n[INTERFACE]\r\n1=Bereit (alt)\r\n")));
    const std::wstring run = L"\"" + dir + L"\\Quenzel.exe\" -x";
    ASSERT_NO_FATAL_FAILURE(SetRegText(RunKey, L"Quenzel", run));
    ASSERT_NO_FATAL_FAILURE(MakeInstalledCopyThe32BitOne(dir));
    ASSERT_TRUE(RunToEnd(DistFile(L"-setup.exe"), L"/S"));
    ExpectTheBuildOfThisWindows(dir);
    EXPECT_EQ(Bytes(dir + L"\\Quenzel.ini"), settings);
    EXPECT_TRUE(Bytes(dir + L"\\lang\\default.lng") == Bytes(dir + L"\\lang\\german.lng"))
        << "lang\\default.lng is not this version's German";
    EXPECT_EQ(RegText(RunKey, L"Quenzel"), run);
    EXPECT_EQ(ShortcutCommand(links[2]), exe + L" 4");

    // The log-on start of this copy goes with it; the settings stay unless asked.
    for (const std::wstring& link : GermanSendTo())
        ASSERT_TRUE(CopyFileW(links[1].c_str(), link.c_str(), FALSE)) << Narrow(link);
    // The PATH box ticked at the install: the uninstaller takes the folder
    // off again, in whatever case it is written, and keeps the other entries.
    std::wstring upperDir = dir;
    std::transform(upperDir.begin(), upperDir.end(), upperDir.begin(), towupper);
    ASSERT_NO_FATAL_FAILURE(SetRegText(EnvironmentKey, PathValue, L"C:\\Tools;" + upperDir + L";D:\\bin"));
    ASSERT_TRUE(RunToEnd(dir + L"\\Uninstall.exe", L"/S"));
    // The uninstaller goes on in a copy of itself after the first one ended.
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(dir + L"\\Uninstall.exe"); }, SetupTimeout));
    EXPECT_TRUE(WaitUntil([&] { return RegText(UninstallKey, L"DisplayName") == Missing; }, SetupTimeout));
    for (const wchar_t* file : ProgramFiles)
        EXPECT_FALSE(FileExists(dir + L"\\" + file)) << Narrow(file);
    for (const std::vector<std::wstring>& group : {Shortcuts(), GermanSendTo()})
        for (const std::wstring& link : group)
            EXPECT_FALSE(FileExists(link)) << Narrow(link);
    EXPECT_EQ(RegText(RunKey, L"Quenzel"), Missing);
    EXPECT_EQ(RegText(EnvironmentKey, PathValue), L"C:\\Tools;D:\\bin");
    if (pathBefore == Missing)
        EXPECT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, EnvironmentKey, PathValue), ERROR_SUCCESS);
    else
        ASSERT_NO_FATAL_FAILURE(SetRegText(EnvironmentKey, PathValue, pathBefore));
    EXPECT_EQ(Bytes(dir + L"\\Quenzel.ini"), settings);
    RemoveTree(dir);
}

// Ticked, "Also remove my settings" removes the settings file and the copies
// the program keeps of it, so the folder goes too.
TEST(Install, UninstallAskedToRemoveTheSettingsRemovesTheirBackupsAndTheFolder)
{
    const std::wstring dir = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quenzel";
    ASSERT_TRUE(RunToEnd(DistFile(L"-setup.exe"), L"/S"));
    for (const wchar_t* file : {L"\\Quenzel.ini", L"\\Quenzel.ini.bak", L"\\Quenzel.ini.1.bak"})
        ASSERT_TRUE(WriteFileBytes(dir + file, Utf16File(L"[OPTIONS]\r\n"))) << Narrow(file);
    App uninstaller;
    ASSERT_TRUE(uninstaller.StartProgram(dir + L"\\Uninstall.exe", dir));
    // The copy the uninstaller goes on in is another process: found by its
    // title, which NSIS ends with a space.
    const std::wstring title = L"Quenzel " + Widen(QUENZEL_VERSION) + L" Uninstall ";
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (wizard = FindWindowW(L"#32770", title.c_str())) != nullptr; }, SetupTimeout));
    const std::unique_ptr<HWND__, void (*)(HWND)> endsWithTest(wizard, EndProcessOf);
    PostClick(GetDlgItem(wizard, IDOK));
    HWND tree = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
        return (tree = page ? GetDlgItem(page, ComponentsTreeId) : nullptr) != nullptr;
    }));
    const HTREEITEM settings = TreeView_GetNextSibling(tree, TreeView_GetRoot(tree));
    const UINT unticked = TreeView_GetItemState(tree, settings, TVIS_STATEIMAGEMASK);
    TreeView_SelectItem(tree, settings);
    PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_TRUE(WaitUntil([&] { return TreeView_GetItemState(tree, settings, TVIS_STATEIMAGEMASK) != unticked; }));
    PostClick(GetDlgItem(wizard, IDOK));
    HWND close = GetDlgItem(wizard, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(close) == L"&Close" && IsWindowEnabled(close); }, SetupTimeout));
    PostClick(close);
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(dir); }, SetupTimeout)) << "the program folder stays";
    RemoveTree(dir);
}

// The finish page's PATH box is off; ticked, it puts the program folder at
// the end of the user's PATH, and the uninstaller takes it off again.
TEST(Install, PathBoxOfTheFinishPageAddsTheFolderAndTheUninstallerRemovesIt)
{
    const std::wstring dir = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Quenzel";
    const std::wstring pathBefore = RegText(EnvironmentKey, PathValue);
    App setup;
    ASSERT_TRUE(setup.StartProgram(DistFile(L"-setup.exe"), HostToWindowsPath(QUENZEL_DIST_DIR)));
    HWND wizard = WaitForDialogWith(setup, IDOK, SetupTimeout);
    ASSERT_NE(wizard, nullptr);
    PostClick(GetDlgItem(wizard, IDOK)); // the directory page's Next
    HWND pathBox = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            pathBox = ChildWithText(wizard, L"Add quenzel-cli (the command line) to my PATH");
            return pathBox && IsWindowVisible(pathBox);
        },
        SetupTimeout));
    EXPECT_EQ(SendMessageW(pathBox, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "the PATH box is ticked by default";
    HWND runBox = ChildWithText(wizard, L"&Run Quenzel " + Widen(QUENZEL_VERSION));
    ASSERT_NE(runBox, nullptr);
    SendMessageW(runBox, BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(pathBox, BM_SETCHECK, BST_CHECKED, 0);
    PostClick(GetDlgItem(wizard, IDOK)); // Finish
    DWORD code = 1;
    ASSERT_TRUE(setup.WaitForExit(code, SetupTimeout));
    EXPECT_EQ(RegText(EnvironmentKey, PathValue), pathBefore == Missing ? dir : pathBefore + L";" + dir);
    ASSERT_TRUE(RunToEnd(dir + L"\\Uninstall.exe", L"/S"));
    EXPECT_TRUE(WaitUntil([&] { return RegText(EnvironmentKey, PathValue) == pathBefore; }, SetupTimeout))
        << Narrow(RegText(EnvironmentKey, PathValue));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(dir + L"\\Uninstall.exe"); }, SetupTimeout));
    RemoveTree(dir);
}

// A folder where the installer's probe file cannot be written is refused
// on the directory page, which stays. The test runs as a user who may
// write anywhere, so the probe's name is taken by a folder.
TEST(Install, DirectoryPageRefusesAFolderThatCannotBeWritten)
{
    App setup;
    ASSERT_TRUE(setup.StartProgram(DistFile(L"-setup.exe"), HostToWindowsPath(QUENZEL_DIST_DIR)));
    HWND wizard = WaitForDialogWith(setup, IDOK, SetupTimeout);
    ASSERT_NE(wizard, nullptr);
    HWND field = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        HWND page = FindWindowExW(wizard, nullptr, L"#32770", nullptr);
        return (field = page ? GetDlgItem(page, DirectoryFieldId) : nullptr) != nullptr;
    }));
    const std::wstring refused = KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Quenzel-refused";
    const std::wstring probe = refused + L"\\Quenzel-write-test.tmp";
    ASSERT_TRUE(CreateDirectoryW(refused.c_str(), nullptr) && CreateDirectoryW(probe.c_str(), nullptr));
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(refused.c_str()));
    PostClick(GetDlgItem(wizard, IDOK));
    HWND box = WaitForDialogWith(setup, MessageTextId);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(
        WindowText(GetDlgItem(box, MessageTextId)).rfind(L"Quenzel cannot write to this folder:\r\n" + refused, 0), 0u);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(field)) << "the directory page stays";
    setup.Kill();
    RemoveTree(refused);
}

TEST(Install, PortableZipHoldsTheProgramFolderAndRunsWhereItWasUnpacked)
{
    const std::wstring dir = HostToWindowsPath(QUENZEL_PORTABLE_DIR);
    for (const wchar_t* file : ProgramFiles)
        EXPECT_TRUE(FileExists(dir + L"\\" + file)) << Narrow(file);
    std::vector<std::wstring> top;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            top.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::wstring>{L"Quenzel.exe", L"help", L"lang", L"language.exe", L"quenzel-cli.exe"}));
    ASSERT_NO_FATAL_FAILURE(StartAndClose(dir));
}

} // namespace
