// The drive mapping engine: the free-letter test, the system's subst run
// by its full path, and the list of folder drives (list 1156) loaded from
// and saved to their section of the settings file. Callable from any
// thread: the list and the progress bar are reached through the courier.
#pragma once

#include "drives/folder_drive_value.h"

#include <string>

namespace quenzel {

// True when no drive with this letter exists (exact, no case folding).
bool IsDriveLetterFree(wchar_t letter);

// Who holds a folder drive's letter: nobody, the drive's own folder
// (substituted onto the letter), or another drive (a disk, a stick,
// another folder).
enum class LetterHolder { Nobody, ThisFolder, OtherDrive };
LetterHolder HolderOfLetter(const FolderDrive& drive);

// Who holds a letter, for messages: another folder drive (and its folder),
// a network drive, or a disk or another drive of this computer.
std::wstring LetterHolderText(wchar_t letter);

// Why a folder drive was not mounted.
enum class MountProblem {
    None,
    FolderMissing,   // the folder does not exist (or cannot be reached)
    LetterInUse,     // another drive holds the letter
    SubstNotStarted, // the system's subst could not be started
    SubstTimedOut,   // subst did not end in time
    SubstRefused,    // subst ended with an exit code other than 0
    LetterNotThere,  // subst reported success, but the letter did not appear
};
struct MountOutcome {
    MountProblem problem = MountProblem::None;
    unsigned long exitCode = 0; // subst's, when it refused
    bool Succeeded() const { return problem == MountProblem::None; }
};

// Mounts a drive that is not mounted: the folder is checked and the letter
// must be free before subst runs, and the drive must be there afterwards.
MountOutcome MountFolderDrive(const FolderDrive& drive);
// The message of a mount that failed: the drive and the reason, the
// letter's holder named.
std::wstring MountFailureText(const FolderDrive& drive, const MountOutcome& outcome);
// Runs "subst X: /D" the same way, then sweeps the progress bar.
bool UnmapFolderDrive(wchar_t letter);
// Sweeps progress bar 1155 from 0 to 40.
void AnimateDriveProgress();
// Empties the progress bar, after a drive that was not mounted.
void ClearDriveProgress();

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
