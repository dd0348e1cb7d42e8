#include "base/shell_helpers.h"

#include "base/com_apartment.h"
#include "base/handles.h"
#include "base/process.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace quenzel {

namespace {
constexpr UINT PickerFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
constexpr wchar_t HelpViewerKey[] = L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr wchar_t HelpViewerFile[] = L"hhctrl.ocx";
constexpr WORD HtmlHelpOrdinal = 15; // HtmlHelpW
constexpr DWORD RegistryPathLimit = MAX_PATH;

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// SHFileOperationW reads lists: each entry ends with a terminator, the list
// with a second one.
std::wstring DoubleTerminated(const wchar_t* path)
{
    std::wstring list(path);
    if (!list.empty() && list.back() == L'\\')
        list.pop_back();
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

bool IsFullPath(const std::wstring& path)
{
    const bool drivePath = path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool uncPath = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
    return drivePath || uncPath;
}

HMODULE LoadFullPath(const std::wstring& fullPath)
{
    return LoadLibraryW(fullPath.c_str());
}

struct HelpViewerState {
    HelpViewerSource source{LoadFullPath, RegisteredHelpViewerPath};
    HMODULE library = nullptr; // kept until the process ends
    HtmlHelpFn entry = nullptr;
    bool failed = false;
};

HelpViewerState Help;

bool LoadHelpViewer()
{
    const std::wstring registered = Help.source.registeredPath();
    if (!registered.empty())
        Help.library = Help.source.load(registered);
    if (!Help.library) {
        const std::wstring system = SystemFolder();
        if (!system.empty())
            Help.library = Help.source.load(system + L"\\" + HelpViewerFile);
    }
    return Help.library != nullptr;
}
} // namespace

std::wstring SystemFolder()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(folder, length);
}

int BrowseForFolder(const wchar_t* title, wchar_t* path, DWORD capacity, HWND owner)
{
    // The new dialog style needs a single-threaded apartment; a thread in
    // the multithreaded one gets the classic picker.
    const ComApartment apartment;
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = path; // a display name of at most MAX_PATH characters
    browse.lpszTitle = title;
    browse.ulFlags = apartment.SingleThreaded() ? PickerFlags : PickerFlags & ~BIF_NEWDIALOGSTYLE;
    const PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen)
        return 0;
    // Not SHGetPathFromIDListW: it stops at MAX_PATH characters.
    if (!SHGetPathFromIDListEx(chosen, path, capacity, GPFIDL_DEFAULT))
        path[0] = L'\0';
    CoTaskMemFree(chosen);
    return path[0] ? 1 : 0;
}

bool ShellFileOperation(const wchar_t* path, FILEOP_FLAGS flags, const wchar_t* destination, UINT operation, HWND owner,
                        bool* declined)
{
    if (declined)
        *declined = false;
    if (!path || !*path)
        return false;
    const std::wstring from = DoubleTerminated(path);
    const std::wstring to = destination ? DoubleTerminated(destination) : std::wstring();
    SHFILEOPSTRUCTW operationInfo{};
    operationInfo.wFunc = operation;
    operationInfo.pFrom = from.c_str();
    operationInfo.pTo = destination ? to.c_str() : nullptr;
    operationInfo.fFlags = flags;
    operationInfo.hwnd = owner;
    const ComApartment apartment; // the shell's copy engine and its questions need one
    const int result = SHFileOperationW(&operationInfo);
    if (declined)
        *declined = operationInfo.fAnyOperationsAborted || result == ERROR_CANCELLED;
    return result == 0 && !operationInfo.fAnyOperationsAborted;
}

HWND ShowHelpTopic(HWND window, const wchar_t* file, UINT command, DWORD_PTR data)
{
    if (Help.failed)
        return nullptr;
    if (!Help.library && !LoadHelpViewer()) {
        Help.failed = true;
        return nullptr;
    }
    if (!Help.entry) {
        Help.entry = reinterpret_cast<HtmlHelpFn>(
            reinterpret_cast<void*>(GetProcAddress(Help.library, MAKEINTRESOURCEA(HtmlHelpOrdinal))));
        if (!Help.entry) {
            Help.failed = true;
            return nullptr;
        }
    }
    return Help.entry(window, file, command, data);
}

std::wstring RegisteredHelpViewerPath()
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, HelpViewerKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return {};
    UniqueRegKey key(opened);
    wchar_t value[RegistryPathLimit + 1] = L"";
    DWORD type = 0;
    DWORD size = RegistryPathLimit * sizeof(wchar_t);
    if (RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return {};
    value[size / sizeof(wchar_t)] = L'\0'; // the stored value need not be terminated
    std::wstring path = value;
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[RegistryPathLimit];
        const DWORD length = ExpandEnvironmentStringsW(value, expanded, RegistryPathLimit);
        if (length == 0 || length > RegistryPathLimit)
            return {};
        path = expanded;
    }
    // A bare name would be searched for, also beside the program.
    return IsFullPath(path) ? path : std::wstring();
}

void ResetHelpViewer(const HelpViewerSource& source)
{
    Help = HelpViewerState{};
    Help.source = source;
}

HMODULE LoadSystemLibrary(const wchar_t* name)
{
    const std::wstring system = SystemFolder();
    if (system.empty() || !name || !*name)
        return nullptr;
    return LoadLibraryW((system + L"\\" + name).c_str());
}

void RestrictLibrarySearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without SetDefaultDllDirectories this at least drops the current folder.
    SetDllDirectoryW(L"");
}

} // namespace quenzel
