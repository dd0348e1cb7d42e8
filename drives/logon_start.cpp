#include "drives/logon_start.h"

#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/settings.h"
#include "drives/drive_engine.h"
#include "drives/folder_drive_value.h"
#include "drives/logon_log.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quenzel {

namespace {
constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t RunValueName[] = L"Quenzel";

constexpr wchar_t ByteOrderMark = 0xFEFF;

std::wstring LogonLogPath()
{
    return ProgramDir + L"\\" + LogonLogName;
}

std::wstring TwoDigits(WORD value)
{
    constexpr WORD FirstOfTwoDigits = 10;
    return (value < FirstOfTwoDigits ? L"0" : L"") + std::to_wstring(value);
}

// "2026-12-08 07:58:01", the local time.
std::wstring LocalTimeText()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return std::to_wstring(now.wYear) + L'-' + TwoDigits(now.wMonth) + L'-' + TwoDigits(now.wDay) + L' '
        + TwoDigits(now.wHour) + L':' + TwoDigits(now.wMinute) + L':' + TwoDigits(now.wSecond);
}

// The log is UTF-16 with its mark, as the settings file, so folders in any
// script are written as they are.
bool WriteLogonLog(const std::wstring& text)
{
    const std::wstring content = ByteOrderMark + text;
    const UniqueFile file(
        CreateFileW(LogonLogPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const DWORD size = static_cast<DWORD>(content.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file.Get(), content.data(), size, &written, nullptr) && written == size;
}

// The log's text; empty when there is none (or it cannot be read, which
// leaves nothing to tell either).
std::wstring ReadLogonLogText()
{
    const UniqueFile file(CreateFileW(LogonLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0)
        return L"";
    // A log of 50 lines is far below this; anything larger is no log of ours.
    constexpr LONGLONG LargestLog = 1 << 20;
    if (size.QuadPart > LargestLog)
        return L"";
    std::vector<wchar_t> text(static_cast<size_t>(size.QuadPart) / sizeof(wchar_t));
    const DWORD wanted = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD read = 0;
    if (!ReadFile(file.Get(), text.data(), wanted, &read, nullptr) || read != wanted)
        return L"";
    if (text.empty() || text.front() != ByteOrderMark)
        return L"";
    return std::wstring(text.begin() + 1, text.end());
}

// The log's line for a drive not mounted: the Mount button's message.
std::wstring LogLine(const FolderDrive& drive, const MountOutcome& outcome)
{
    std::wstring line = MountFailureText(drive, outcome);
    for (wchar_t& c : line)
        if (c == L'\n')
            c = L' ';
    return line;
}
} // namespace

bool SetLogonRunValue(bool on)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr)
        != ERROR_SUCCESS)
        return false;
    LSTATUS result;
    if (on) {
        const std::wstring command = LogonRunCommand(ProgramDir);
        result = RegSetValueExW(key, RunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    } else {
        result = RegDeleteValueW(key, RunValueName);
        if (result == ERROR_FILE_NOT_FOUND)
            result = ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RunLogonStart()
{
    const auto drives = ReadFolderDrives([](unsigned n) { return ReadSetting(setting::FolderDrives[n]); });
    std::vector<std::wstring> failures;
    for (auto drive = drives.rbegin(); drive != drives.rend(); ++drive) {
        if (!drive->ticked || HolderOfLetter(*drive) == LetterHolder::ThisFolder)
            continue;
        const MountOutcome outcome = MountFolderDrive(*drive);
        if (!outcome.Succeeded())
            failures.push_back(LogLine(*drive, outcome));
    }
    const bool logged = WriteLogonLog(LogonLogText(LocalTimeText(), failures));
    return failures.empty() && logged;
}

int TakeLogonNotice()
{
    const std::wstring text = ReadLogonLogText();
    const LogonLogState state = ReadLogonLog(text);
    if (!LogonNoticeDue(state))
        return 0;
    // A log that cannot record the showing would show it at every start: it
    // is shown this once all the same, and the failure told.
    if (!WriteLogonLog(LogonLogShown(text)))
        WarnUserText(FormatLangText(keys::LogonLogNotWritten, MaxTextLength, LogonLogPath().c_str()));
    return state.notMounted;
}

} // namespace quenzel
