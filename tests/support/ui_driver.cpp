#include "tests/support/ui_driver.h"

#include "base/control_ids.h"
#include "version.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <thread>

namespace uitest {

namespace {
constexpr Millis PollInterval{20};
constexpr wchar_t MainClassName[] = L"QUENZEL";
constexpr wchar_t LongPathPrefix[] = L"\\\\?\\";
constexpr size_t RemoteTextUnits = 32768;
constexpr DWORD KillExitCode = 99;

std::wstring Extended(const std::wstring& path)
{
    return path.rfind(LongPathPrefix, 0) == 0 ? path : LongPathPrefix + path;
}

struct TopWindowSearch {
    DWORD processId;
    const wchar_t* className;
    bool visibleOnly;
    int controlId; // a control the window must have; 0 = any window
    HWND found;
};

BOOL CALLBACK FindTopWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<TopWindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId)
        return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (ClassNameOf(window) != search->className)
        return TRUE;
    if (search->controlId && !GetDlgItem(window, search->controlId))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly, int controlId = 0)
{
    TopWindowSearch search{processId, className, visibleOnly, controlId, nullptr};
    EnumWindows(FindTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool CopyInto(const std::wstring& from, const std::wstring& to)
{
    return CopyFileW(Extended(from).c_str(), Extended(to).c_str(), FALSE) != FALSE;
}
} // namespace

bool WaitUntil(const std::function<bool()>& done, Millis timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(PollInterval);
    }
}

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty())
        return L"";
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& text)
{
    if (text.empty())
        return "";
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring HostToWindowsPath(const std::string& hostPath)
{
    std::wstring path = L"Z:" + Widen(hostPath);
    for (auto& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::wstring BuiltProgramDir()
{
    return HostToWindowsPath(QUENZEL_TEST_BIN_DIR);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file =
        CreateFileW(Extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const BOOL closed = CloseHandle(file);
    return ok && closed && written == bytes.size();
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE file = CreateFileW(Extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) != FALSE;
    bytes.assign(ok ? static_cast<size_t>(size.QuadPart) : 0, '\0');
    DWORD got = 0;
    if (ok && !bytes.empty())
        ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string Utf16File(const std::wstring& text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return bytes;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring TrashFolder()
{
    // Wine names the host's home in WINEHOMEDIR as "\\??\\Z:\\...".
    wchar_t home[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH))
        return {};
    std::wstring folder = home;
    if (folder.rfind(L"\\??\\", 0) == 0)
        folder.erase(0, 4);
    return folder + L"\\.local\\share\\Trash\\files";
}

void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Extended(path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(Extended(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Extended(child).c_str());
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(Extended(path).c_str());
}

ProgramFolder::ProgramFolder(size_t minimumPathLength)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    root_ = std::wstring(temp) + L"quenzel-ui-" + std::to_wstring(GetCurrentProcessId()) + L"-"
        + std::to_wstring(++counter);
    path_ = root_;
    if (!CreateDirectoryW(Extended(path_).c_str(), nullptr))
        return;
    // Nest folders until the path is as long as asked.
    for (int depth = 0; path_.size() < minimumPathLength; ++depth) {
        path_ += L"\\folder-" + std::to_wstring(depth) + L"-abcdefghijklmnopqrstuvwxyz";
        if (!CreateDirectoryW(Extended(path_).c_str(), nullptr))
            return;
    }
    if (!CreateDirectoryW(Extended(path_ + L"\\lang").c_str(), nullptr))
        return;
    const std::wstring built = BuiltProgramDir();
    ready_ = CopyInto(built + L"\\Quenzel.exe", ExePath())
        && CopyInto(built + L"\\lang\\default.lng", path_ + L"\\lang\\default.lng");
}

ProgramFolder::~ProgramFolder()
{
    RemoveTree(root_);
}

bool ProgramFolder::WriteIni(const std::string& utf8Content) const
{
    return WriteFileBytes(IniPath(), Utf16File(Widen(utf8Content)));
}

bool ProgramFolder::CopyFromBuild(const std::wstring& relativePath) const
{
    return CopyInto(BuiltProgramDir() + L"\\" + relativePath, path_ + L"\\" + relativePath);
}

bool ProgramFolder::UseLanguage(const std::wstring& fileName) const
{
    return CopyInto(BuiltProgramDir() + L"\\lang\\" + fileName, path_ + L"\\lang\\default.lng");
}

App::~App()
{
    Kill();
}

bool App::Start(const ProgramFolder& folder, const std::wstring& arguments)
{
    return StartProgram(folder.ExePath(), folder.Path(), arguments);
}

bool App::StartProgram(const std::wstring& exePath, const std::wstring& workingDir, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    // Every program a test starts checks that only its window's thread
    // touches its windows, and ends at once when another thread does.
    if (!SetEnvironmentVariableW(L"QUENZEL_CHECK_THREADS", L"1"))
        return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workingDir.c_str(), &startup,
                        &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

HWND App::WaitForMainWindow(Millis timeout)
{
    WaitUntil(
        [&] {
            window_ = FindProcessWindow(processId_, MainClassName, true);
            return window_ != nullptr || Ended();
        },
        timeout);
    return window_;
}

HWND App::WaitForTopWindow(const wchar_t* className, Millis timeout) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(processId_, className, true);
            return found != nullptr || Ended();
        },
        timeout);
    return found;
}

HWND WaitForDialogWith(const App& app, int controlId, Millis timeout)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = FindProcessWindow(app.ProcessId(), L"#32770", true, controlId);
            return found != nullptr || app.Ended();
        },
        timeout);
    return found;
}

bool App::Ended() const
{
    return process_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

bool App::WaitForExit(DWORD& exitCode, Millis timeout)
{
    if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(process_, &exitCode) != FALSE;
}

bool App::Close(Millis timeout)
{
    if (window_)
        PostMessageW(window_, WM_CLOSE, 0, 0);
    DWORD code = 0;
    return WaitForExit(code, timeout);
}

void App::Kill()
{
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, KillExitCode);
        WaitForSingleObject(process_, static_cast<DWORD>(DefaultTimeout.count()));
    }
    CloseHandle(process_);
    process_ = nullptr;
}

RemoteBuffer::RemoteBuffer(HANDLE process, size_t size)
    : process_(process)
    , address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
{ }

RemoteBuffer::~RemoteBuffer()
{
    if (address_)
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(const void* data, size_t size, size_t offset)
{
    SIZE_T done = 0;
    return address_ && WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done)
        && done == size;
}

bool RemoteBuffer::Read(void* data, size_t size, size_t offset) const
{
    SIZE_T done = 0;
    return address_ && ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done)
        && done == size;
}

HWND FocusedControl(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void SetFieldText(HWND field, const std::wstring& text)
{
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring ProgramTitle()
{
    return Widen(QUENZEL_TITLE_TEXT);
}

std::wstring WindowText(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(got);
    return text;
}

std::wstring ClassNameOf(HWND window)
{
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring FieldText(HWND field)
{
    std::vector<wchar_t> text(32768, L'\0');
    SendMessageW(field, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

int SelectedTab(const App& app)
{
    return static_cast<int>(SendMessageW(app.Control(quenzel::IDC_TABS), TCM_GETCURSEL, 0, 0));
}

std::wstring StatusBarText(HANDLE process, HWND statusBar, int part)
{
    RemoteBuffer remote(process, RemoteTextUnits * sizeof(wchar_t));
    SendMessageW(statusBar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(remote.Address()));
    std::vector<wchar_t> text(RemoteTextUnits, L'\0');
    if (!remote.Read(text.data(), text.size() * sizeof(wchar_t)))
        return L"<unreadable>";
    text.back() = L'\0';
    return text.data();
}

namespace {
// Sends a message whose lParam points at an item structure with a text
// buffer; the structure and the buffer share one block in the target process.
template <typename Item>
std::wstring RemoteItemText(HANDLE process, HWND control, UINT message, WPARAM wParam, Item item)
{
    RemoteBuffer remote(process, sizeof(Item) + RemoteTextUnits * sizeof(wchar_t));
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + sizeof(Item));
    item.cchTextMax = static_cast<int>(RemoteTextUnits);
    if (!remote.Write(&item, sizeof item))
        return L"<unwritable>";
    SendMessageW(control, message, wParam, reinterpret_cast<LPARAM>(remote.Address()));
    std::vector<wchar_t> text(RemoteTextUnits, L'\0');
    if (!remote.Read(text.data(), text.size() * sizeof(wchar_t), sizeof(Item)))
        return L"<unreadable>";
    text.back() = L'\0';
    return text.data();
}
} // namespace

std::wstring TabText(HANDLE process, HWND tabs, int index)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    return RemoteItemText(process, tabs, TCM_GETITEMW, index, item);
}

std::wstring ListViewText(HANDLE process, HWND list, int itemIndex, int column)
{
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = itemIndex;
    item.iSubItem = column;
    return RemoteItemText(process, list, LVM_GETITEMTEXTW, itemIndex, item);
}

void PostClick(HWND button)
{
    PostMessageW(button, BM_CLICK, 0, 0);
}

void PostMouseClick(HWND control)
{
    constexpr int Inside = 5;
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Inside, Inside));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(Inside, Inside));
}

void PostCommand(HWND window, int id)
{
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

std::vector<HWND> VisibleChildren(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child))
            children.push_back(child);
    return children;
}

bool SaveWindowPicture(HWND window, const std::wstring& folder, const std::wstring& name)
{
    RECT r{};
    if (!GetWindowRect(window, &r))
        return false;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD rowBytes = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    if (bits)
        bytes.append(static_cast<const char*>(bits), imageBytes);
    CreateDirectoryW(folder.c_str(), nullptr);
    const bool written = bits && WriteFileBytes(folder + L"\\" + name + L".bmp", bytes);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return written;
}

namespace {
// The text of the folder picker's selected tree item.
std::wstring PickerSelection(App& app, HWND picker)
{
    HWND tree = FindWindowExW(picker, nullptr, WC_TREEVIEWW, nullptr);
    if (!tree)
        return {};
    const auto selected = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!selected)
        return {};
    constexpr size_t TextUnits = 520;
    RemoteBuffer remote(app.Process(), sizeof(TVITEMW) + TextUnits * sizeof(wchar_t));
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = selected;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) + sizeof(TVITEMW));
    item.cchTextMax = static_cast<int>(TextUnits);
    std::vector<wchar_t> text(TextUnits, L'\0');
    if (!remote.Write(&item, sizeof item)
        || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()))
        || !remote.Read(text.data(), (TextUnits - 1) * sizeof(wchar_t), sizeof(TVITEMW)))
        return {};
    return text.data();
}
} // namespace

void ChooseInFolderPicker(App& app, const std::wstring& folder)
{
    HWND picker = app.WaitForTopWindow(L"#32770");
    ASSERT_NE(picker, nullptr);
    RemoteBuffer path(app.Process(), (folder.size() + 1) * sizeof(wchar_t));
    ASSERT_TRUE(path.Write(folder.c_str(), (folder.size() + 1) * sizeof(wchar_t)));
    // The picker fills its tree after it shows: select until it has taken.
    const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    ASSERT_TRUE(WaitUntil([&] {
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.Address()));
        return PickerSelection(app, picker) == name;
    })) << Narrow(PickerSelection(app, picker));
    PostMessageW(picker, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
}

void ChooseInFileDialog(App& app, const std::wstring& path)
{
    constexpr int NameEdit = 0x480;  // edt1
    constexpr int NameCombo = 0x47C; // cmb13, the name field of newer dialogs
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        dialog = app.WaitForTopWindow(L"#32770", Millis(500));
        return dialog && (GetDlgItem(dialog, NameEdit) || GetDlgItem(dialog, NameCombo));
    }));
    if (path.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        HWND name = GetDlgItem(dialog, NameEdit) ? GetDlgItem(dialog, NameEdit) : GetDlgItem(dialog, NameCombo);
        // The name combo of some dialogs holds its edit field inside.
        for (const wchar_t* inner : {L"ComboBox", L"Edit"})
            if (HWND child = FindWindowExW(name, nullptr, inner, nullptr))
                name = child;
        SetFieldText(name, path);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

} // namespace uitest
