#include "drives/drive_engine.h"

#include "base/courier.h"
#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/status.h"
#include "base/tabs.h"
#include "drives/drives_page_ids.h"

#include <windows.h>
#include <commctrl.h>

#include <iterator>
#include <mutex>
#include <vector>

namespace quenzel {

namespace {
constexpr int ProgressSteps = 40;
constexpr DWORD LogicalDrivesLength = 260;
constexpr int RootLength = 4; // "X:\" and its zero
// A subst that has not ended by then is left to finish on its own.
constexpr DWORD SubstTimeoutMs = 10000;
constexpr UINT TickedState = INDEXTOSTATEIMAGEMASK(2);
constexpr UINT UntickedState = INDEXTOSTATEIMAGEMASK(1);

std::mutex InfoTextLock;
std::wstring PageInfoText;

HWND DriveList()
{
    return MainControl(IDC_DRIVES_LIST);
}

std::wstring SubstPath()
{
    std::vector<wchar_t> folder(MAX_PATH + 1, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0 || length >= folder.size())
        return L"";
    return std::wstring(folder.data(), length) + L"\\subst.exe";
}

// Starts the system's subst with a hidden window and waits for its end.
MountOutcome RunSubst(const std::wstring& commandLine, const std::wstring& substPath)
{
    if (substPath.empty())
        return {MountProblem::SubstNotStarted};
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(substPath.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
        return {MountProblem::SubstNotStarted};
    UniqueKernelHandle thread(process.hThread);
    UniqueKernelHandle running(process.hProcess);
    DWORD exitCode = 1;
    if (WaitForSingleObject(running.Get(), SubstTimeoutMs) != WAIT_OBJECT_0
        || !GetExitCodeProcess(running.Get(), &exitCode))
        return {MountProblem::SubstTimedOut};
    if (exitCode != 0)
        return {MountProblem::SubstRefused, exitCode};
    return {};
}

// The folder as GetShortPathNameW or GetLongPathNameW gives it; the folder
// as it was where they cannot.
using PathFormRoutine = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

std::wstring FolderInForm(const std::wstring& folder, PathFormRoutine form)
{
    const DWORD needed = form(folder.c_str(), nullptr, 0);
    if (needed == 0)
        return folder;
    std::vector<wchar_t> text(needed + 1, L'\0');
    const DWORD length = form(folder.c_str(), text.data(), needed + 1);
    return length == 0 || length > needed ? folder : std::wstring(text.data(), length);
}

// The folder in its short form where the volume has one; the long form
// otherwise (quoted on the command line either way).
std::wstring ShortFolder(const std::wstring& folder)
{
    return FolderInForm(folder, GetShortPathNameW);
}

bool FolderExists(const std::wstring& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A substituted drive's target is "\??\" and the folder as subst was given
// it, which may be its short form.
constexpr wchar_t SubstTargetPrefix[] = L"\\??\\";

std::wstring LongFolder(const std::wstring& folder)
{
    return FolderInForm(folder, GetLongPathNameW);
}

std::wstring WithoutEndSlash(std::wstring folder)
{
    while (folder.size() > RootLength - 1 && folder.back() == L'\\')
        folder.pop_back();
    return folder;
}

bool SameFolder(const std::wstring& a, const std::wstring& b)
{
    const std::wstring first = WithoutEndSlash(LongFolder(a));
    const std::wstring second = WithoutEndSlash(LongFolder(b));
    return CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE)
        == CSTR_EQUAL;
}

// The folder substituted onto the letter; empty for any other drive.
std::wstring SubstitutedFolder(wchar_t letter)
{
    const std::wstring device{letter, L':'};
    std::vector<wchar_t> target(MaxTextLength + 1, L'\0');
    const DWORD length = QueryDosDeviceW(device.c_str(), target.data(), static_cast<DWORD>(target.size()));
    const std::wstring first = length == 0 ? L"" : std::wstring(target.data());
    const std::size_t prefixLength = std::size(SubstTargetPrefix) - 1;
    return first.compare(0, prefixLength, SubstTargetPrefix) == 0 ? first.substr(prefixLength) : L"";
}

int StatusKeyOf(const FolderDrive& drive)
{
    const LetterHolder holder = HolderOfLetter(drive);
    if (holder == LetterHolder::ThisFolder)
        return keys::DriveMounted;
    if (holder == LetterHolder::OtherDrive)
        return keys::LetterUsedElsewhere;
    return FolderExists(drive.folder) ? keys::DriveNotMounted : keys::DriveFolderMissing;
}

// Runs "<system folder>\subst.exe X: "folder"" and waits (bounded) for it
// to end; the outcome says only whether subst started, ended and succeeded.
MountOutcome MapFolderDrive(const FolderDrive& drive)
{
    FolderDrive argument = drive;
    argument.folder = ShortFolder(drive.folder);
    const std::wstring subst = SubstPath();
    return RunSubst(MapCommandLine(subst, argument), subst);
}

void SetRowText(int row, int column, const std::wstring& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(DriveList(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void AppendRow(const FolderDrive& drive)
{
    const std::wstring driveText = DriveColumnText(drive.letter);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = DriveRowCount();
    item.pszText = const_cast<wchar_t*>(driveText.c_str());
    const int row = static_cast<int>(SendMessageW(DriveList(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return;
    SetRowText(row, FolderColumn, drive.folder);
    SetRowText(row, MappingColumn, MappingArgument(drive));
    SetRowText(row, StatusColumn, LangString(StatusKeyOf(drive)));
    LVITEMW state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = drive.ticked ? TickedState : UntickedState;
    SendMessageW(DriveList(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
}

void ShowInfoText(int rows)
{
    std::wstring text = FormatLangText(keys::DriveCount, MaxTextLength, rows);
    {
        std::lock_guard<std::mutex> lock(InfoTextLock);
        PageInfoText = text;
    }
    if (CurrentPage == DrivesPageIndex)
        SetStatusText(text.c_str(), 0, StatusInfoPart);
}
} // namespace

bool IsDriveLetterFree(wchar_t letter)
{
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    wchar_t roots[LogicalDrivesLength + 1] = L"";
    const DWORD length = GetLogicalDriveStringsW(LogicalDrivesLength, roots);
    SetErrorMode(previous);
    for (DWORD i = 0; i + 1 < length && i < LogicalDrivesLength; i += RootLength)
        if (roots[i] == letter)
            return false;
    return true;
}

LetterHolder HolderOfLetter(const FolderDrive& drive)
{
    if (IsDriveLetterFree(drive.letter))
        return LetterHolder::Nobody;
    const std::wstring folder = SubstitutedFolder(drive.letter);
    return !folder.empty() && SameFolder(folder, drive.folder) ? LetterHolder::ThisFolder : LetterHolder::OtherDrive;
}

std::wstring LetterHolderText(wchar_t letter)
{
    const std::wstring folder = SubstitutedFolder(letter);
    if (!folder.empty())
        return FormatLangText(keys::HolderFolderDrive, MaxTextLength, folder.c_str());
    const std::wstring root{letter, L':', L'\\'};
    return LangString(GetDriveTypeW(root.c_str()) == DRIVE_REMOTE ? keys::HolderNetworkDrive : keys::HolderDisk);
}

MountOutcome MountFolderDrive(const FolderDrive& drive)
{
    if (!FolderExists(drive.folder))
        return {MountProblem::FolderMissing};
    if (!IsDriveLetterFree(drive.letter))
        return {MountProblem::LetterInUse};
    const MountOutcome mapped = MapFolderDrive(drive);
    if (!mapped.Succeeded())
        return mapped;
    return HolderOfLetter(drive) == LetterHolder::ThisFolder ? mapped : MountOutcome{MountProblem::LetterNotThere};
}

std::wstring MountFailureText(const FolderDrive& drive, const MountOutcome& outcome)
{
    std::wstring reason;
    switch (outcome.problem) {
    case MountProblem::FolderMissing:
        reason = FormatLangText(keys::MountFolderMissing, MaxTextLength, drive.folder.c_str());
        break;
    case MountProblem::LetterInUse:
        reason = FormatLangText(keys::MountLetterUsedBy, MaxTextLength, LetterHolderText(drive.letter).c_str());
        break;
    case MountProblem::SubstNotStarted:
        reason = LangString(keys::MountSubstNotStarted);
        break;
    case MountProblem::SubstTimedOut:
        reason = LangString(keys::MountSubstTimedOut);
        break;
    case MountProblem::SubstRefused:
        reason = FormatLangText(keys::MountSubstRefused, MaxTextLength, static_cast<int>(outcome.exitCode));
        break;
    case MountProblem::LetterNotThere:
    case MountProblem::None:
        reason = LangString(keys::MountLetterNotThere);
        break;
    }
    const std::wstring driveName{L'[', drive.letter, L':', L']'};
    return FormatLangText(keys::MountFailed, MaxTextLength, driveName.c_str(), reason.c_str());
}

bool UnmapFolderDrive(wchar_t letter)
{
    const std::wstring subst = SubstPath();
    const bool ran = RunSubst(UnmapCommandLine(subst, letter), subst).Succeeded();
    AnimateDriveProgress();
    return ran;
}

void AnimateDriveProgress()
{
    PostBarRange(IDC_DRIVES_PROGRESS, ProgressSteps);
    for (int position = 0; position <= ProgressSteps; ++position)
        PostBarPosition(IDC_DRIVES_PROGRESS, position);
}

void ClearDriveProgress()
{
    PostBarPosition(IDC_DRIVES_PROGRESS, 0);
}

void ReloadFolderDrives()
{
    const auto drives = ReadFolderDrives([](unsigned n) { return ReadSetting(setting::FolderDrives[n]); });
    OnWindowThread([&drives] {
        SendMessageW(DriveList(), LVM_DELETEALLITEMS, 0, 0);
        for (const FolderDrive& drive : drives)
            AppendRow(drive);
        ShowInfoText(DriveRowCount());
    });
}

bool SaveFolderDrives()
{
    // The rows in one visit to the window's thread.
    std::vector<std::wstring> values;
    OnWindowThread([&values] {
        for (int row = 0; row < DriveRowCount(); ++row) {
            FolderDrive drive;
            if (DriveOfRow(row, drive))
                values.push_back(FolderDriveValue(drive));
        }
    });
    return ReplaceSection(setting::FolderDrives, values);
}

int DriveRowCount()
{
    return FromWindowThread<int>([] { return static_cast<int>(SendMessageW(DriveList(), LVM_GETITEMCOUNT, 0, 0)); });
}

int SelectedDriveRow()
{
    return FromWindowThread<int>([] {
        return static_cast<int>(SendMessageW(DriveList(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    });
}

std::wstring DriveRowText(int row, int column)
{
    std::vector<wchar_t> text(MaxTextLength + 1, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(MaxTextLength);
    OnWindowThread([&item, row] {
        SendMessageW(DriveList(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    });
    return text.data();
}

bool DriveRowTicked(int row)
{
    const auto state = FromWindowThread<UINT>([row] {
        return static_cast<UINT>(
            SendMessageW(DriveList(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    });
    return (state & LVIS_STATEIMAGEMASK) == TickedState;
}

bool DriveOfRow(int row, FolderDrive& drive)
{
    if (!ParseMappingArgument(DriveRowText(row, MappingColumn), drive))
        return false;
    drive.ticked = DriveRowTicked(row);
    return true;
}

std::wstring DrivesPageInfoText()
{
    std::lock_guard<std::mutex> lock(InfoTextLock);
    return PageInfoText;
}

} // namespace quenzel
