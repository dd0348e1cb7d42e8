// The stored form of a folder drive and the texts built from it. Portable:
// no windows.h.
//
// A `FolderDriveValue` is one line "T|X: folder": T is "1" (ticked: mounted
// by Apply and at log-on) or "0", X the drive letter; from position 2 on it
// is the mapping argument "X: folder".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quenzel {

struct FolderDrive {
    bool ticked = false;
    wchar_t letter = 0; // 'A' to 'Z'
    std::wstring folder;
};

// False for an empty folder and one of blanks only: neither is ever stored.
bool HoldsFolder(const std::wstring& folder);
// Reads a stored value; false when it is malformed (no tick digit, no bar,
// no letter A to Z, no ": " or no folder), so it is never read past its end.
bool ParseFolderDriveValue(const std::wstring& value, FolderDrive& drive);
std::wstring FolderDriveValue(const FolderDrive& drive);
// "X: folder", as the list's hidden column holds it.
std::wstring MappingArgument(const FolderDrive& drive);
// Reads a mapping argument back; false when it is malformed.
bool ParseMappingArgument(const std::wstring& argument, FolderDrive& drive);
// " [X:]", the drive column and the entries of the new-drive combo.
std::wstring DriveColumnText(wchar_t letter);
// The letter of a drive-column text (" [X:]"); 0 when there is none.
wchar_t LetterOfDriveColumn(const std::wstring& text);

// The letter the user chose in the new-drive dialog: an entry of the list
// (" [x:]"), "x:" or a single letter, any case, blanks around ignored.
// Returns the upper-case letter, or 0 for anything else.
wchar_t LetterFromChoice(const std::wstring& text);

// The section's entries as the list shows them: entries 0, 1, ... read
// until the first missing or empty one (entries behind a gap are never
// read); malformed entries are skipped. Sorted by drive letter.
std::vector<FolderDrive> ReadFolderDrives(const std::function<std::wstring(unsigned entry)>& readEntry);

// One argument of a Windows command line, quoted so that the receiving
// program's parser gives it back unchanged (spaces, trailing backslashes).
std::wstring QuoteArgument(const std::wstring& argument);
// The subst command lines, the program named by its full path.
std::wstring MapCommandLine(const std::wstring& substPath, const FolderDrive& drive);
std::wstring UnmapCommandLine(const std::wstring& substPath, wchar_t letter);
// The log-on Run value: the program's path quoted, then "-x".
std::wstring LogonRunCommand(const std::wstring& programDir);

} // namespace quenzel
