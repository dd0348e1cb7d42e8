#include "drives/logon_start.h"

#include "base/process.h"
#include "base/settings.h"
#include "drives/drive_engine.h"
#include "drives/folder_drive_value.h"

#include <windows.h>

namespace quenzel {

namespace {
constexpr wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t RunValueName[] = L"Quenzel";

// Maps the drive; true only when its letter is there afterwards.
bool MapAndFind(const FolderDrive& drive)
{
    return MapFolderDrive(drive) && !IsDriveLetterFree(drive.letter);
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
    const auto drives =
        ReadFolderDrives([](const std::wstring& key) { return ReadTextSetting(FolderDrivesSection, key.c_str()); });
    bool allMapped = true;
    for (auto drive = drives.rbegin(); drive != drives.rend(); ++drive)
        if (drive->ticked && !MapAndFind(*drive))
            allMapped = false;
    return allMapped;
}

} // namespace quenzel
