// The drive mapping engine: the free-letter test, the system's subst run
// by its full path, and the list of folder drives (list 1156) loaded from
// and saved to section FOLDERDRIVES of the settings file. Callable from any
// thread: the list and the progress bar are reached through the courier.
#pragma once

#include "drives/folder_drive_value.h"

#include <string>

namespace quenzel {

inline constexpr wchar_t FolderDrivesSection[] = L"FOLDERDRIVES";

// True when no drive with this letter exists (exact, no case folding).
bool IsDriveLetterFree(wchar_t letter);

// Who holds a folder drive's letter: nobody, the drive's own folder
// (substituted onto the letter), or another drive (a disk, a stick,
// another folder).
enum class LetterHolder { Nobody, ThisFolder, OtherDrive };
LetterHolder HolderOfLetter(const FolderDrive& drive);

// Runs "<system folder>\subst.exe X: "folder"" and waits (bounded) for it
// to end; true only when subst ended and reported success.
bool MapFolderDrive(const FolderDrive& drive);
// Runs "subst X: /D" the same way, then sweeps the progress bar.
bool UnmapFolderDrive(wchar_t letter);
// Sweeps progress bar 1155 from 0 to 40.
void AnimateDriveProgress();

// Rebuilds list 1156 from the section, sorted by letter, with the status
// column, and sets the page's info text.
void ReloadFolderDrives();
// Rewrites the section from the rows of the list, renumbered in the list's
// order with the ticks the list shows; false when the file was not written.
bool SaveFolderDrives();

// The rows of list 1156.
int DriveRowCount();
int SelectedDriveRow(); // -1 when none is selected
std::wstring DriveRowText(int row, int column);
bool DriveRowTicked(int row);
// The row as a folder drive (its tick and its mapping column); false when
// the row holds no well-formed mapping.
bool DriveOfRow(int row, FolderDrive& drive);

// The page's info text (language string 175 with the row count).
std::wstring DrivesPageInfoText();

} // namespace quenzel
