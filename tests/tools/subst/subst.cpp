// A working `subst` for the test prefix (Wine's own maps nothing). Never
// shipped: scripts/lib/wine-env.sh installs it as the prefix's subst.exe.
//   subst X: folder     maps the folder to drive X: through Wine's mount manager
//   subst X: /D         removes drive X:
// As on Windows, QueryDosDeviceW("X:") then answers "\??\" and the folder's
// full path (Wine's mount manager alone names a volume device), and /D
// removes only a drive that subst made.
// Every command line is appended to the log named by QUENZEL_SUBST_LOG, one
// line per call, the arguments separated by tabs, so tests see the
// arguments as the program received them and the order of the calls.
// While the file named by QUENZEL_SUBST_GATE is missing, a call waits (at
// most a minute) before it acts: tests see the program while subst runs.
#include <windows.h>
#include <winioctl.h>

#include <cwctype>
#include <string>

namespace {

// Wine's extension of the mount manager: define or remove a drive letter
// that points at a unix folder.
constexpr DWORD IoctlDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], size, nullptr, nullptr);
    return out;
}

bool AppendToLog(int argc, wchar_t** argv)
{
    wchar_t logPath[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableW(L"QUENZEL_SUBST_LOG", logPath, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4)
        return true;
    std::wstring line;
    for (int i = 1; i < argc; ++i)
        line += (i > 1 ? L"\t" : L"") + std::wstring(argv[i]);
    const std::string bytes = Utf8(line) + "\n";
    // Several calls may run at once: each appends its line in one write.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE log = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (log == INVALID_HANDLE_VALUE) {
            Sleep(20);
            continue;
        }
        DWORD written = 0;
        const bool ok = WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
            && written == bytes.size();
        CloseHandle(log);
        return ok;
    }
    return false;
}

void WaitForGate()
{
    constexpr int GateChecks = 600;
    constexpr DWORD GateCheckMs = 100;
    wchar_t gatePath[MAX_PATH * 4];
    const DWORD length = GetEnvironmentVariableW(L"QUENZEL_SUBST_GATE", gatePath, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4)
        return;
    for (int check = 0; check < GateChecks && GetFileAttributesW(gatePath) == INVALID_FILE_ATTRIBUTES; ++check)
        Sleep(GateCheckMs);
}

bool SendDriveRequest(wchar_t letter, ULONG type, const std::string& unixPath)
{
    std::string buffer(sizeof(UnixDriveRequest) + unixPath.size() + 1, '\0');
    UnixDriveRequest request{};
    request.size = static_cast<ULONG>(buffer.size());
    request.type = type;
    request.letter = static_cast<WCHAR>(std::towlower(letter));
    if (!unixPath.empty()) {
        request.mountPointOffset = sizeof request;
        buffer.replace(sizeof request, unixPath.size(), unixPath);
    }
    buffer.replace(0, sizeof request, reinterpret_cast<const char*>(&request), sizeof request);
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, IoctlDefineUnixDrive, &buffer[0], static_cast<DWORD>(buffer.size()),
                                    nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

bool UnixPathOf(const std::wstring& folder, std::string& unixPath)
{
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return false;
    char* path = convert(folder.c_str());
    if (!path)
        return false;
    unixPath = path;
    HeapFree(GetProcessHeap(), 0, path);
    return true;
}

std::wstring DeviceName(wchar_t letter)
{
    return std::wstring(1, static_cast<wchar_t>(std::towupper(letter))) + L":";
}

// "\??\folder" for a drive that subst made, as Windows names it.
bool IsSubstitutedDrive(wchar_t letter)
{
    wchar_t target[MAX_PATH * 4] = L"";
    return QueryDosDeviceW(DeviceName(letter).c_str(), target, MAX_PATH * 4) != 0
        && std::wstring(target).rfind(L"\\??\\", 0) == 0;
}

// The mount manager's device link of the letter is replaced by one to the
// folder: the drive's files stay reachable through Wine's dosdevices link.
bool NameFolderAsTarget(wchar_t letter, const std::wstring& folder)
{
    wchar_t full[MAX_PATH * 4] = L"";
    const DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH * 4, full, nullptr);
    if (length == 0 || length >= MAX_PATH * 4)
        return false;
    const std::wstring device = DeviceName(letter);
    if (!DefineDosDeviceW(DDD_REMOVE_DEFINITION, device.c_str(), nullptr))
        return false;
    const std::wstring target = L"\\??\\" + std::wstring(full);
    return DefineDosDeviceW(DDD_RAW_TARGET_PATH, device.c_str(), target.c_str()) != FALSE;
}

bool LetterInUse(wchar_t letter)
{
    return (GetLogicalDrives() >> (std::towupper(letter) - L'A')) & 1;
}

bool IsDriveArgument(const wchar_t* text)
{
    return std::iswalpha(text[0]) && std::towupper(text[0]) >= L'A' && std::towupper(text[0]) <= L'Z' && text[1] == L':'
        && text[2] == 0;
}

int Map(wchar_t letter, const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    std::string unixPath;
    if (LetterInUse(letter) || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)
        || !UnixPathOf(folder, unixPath))
        return ExitFailed;
    if (!SendDriveRequest(letter, DRIVE_FIXED, unixPath))
        return ExitFailed;
    if (NameFolderAsTarget(letter, folder))
        return ExitOk;
    SendDriveRequest(letter, DRIVE_NO_ROOT_DIR, "");
    return ExitFailed;
}

int Unmap(wchar_t letter)
{
    if (!LetterInUse(letter) || !IsSubstitutedDrive(letter)
        || !DefineDosDeviceW(DDD_REMOVE_DEFINITION, DeviceName(letter).c_str(), nullptr))
        return ExitFailed;
    return SendDriveRequest(letter, DRIVE_NO_ROOT_DIR, "") ? ExitOk : ExitFailed;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (!AppendToLog(argc, argv))
        return ExitFailed;
    if (argc != 3 || !IsDriveArgument(argv[1]))
        return ExitUsage;
    WaitForGate();
    if (lstrcmpiW(argv[2], L"/D") == 0)
        return Unmap(argv[1][0]);
    return Map(argv[1][0], argv[2]);
}
