// The key controls shared by both encryption pages (password or key file,
// and the level slider), and the transform of a file with their key.
#pragma once

#include "base/options.h"
#include "controls/page_table.h"
#include "crypt/file_transform.h"
#include "crypt/job_settings.h"
#include "engine/output_names.h"
#include "crypt/strong_transform.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quenzel {

// The key controls and the frame around both pages: created with the file
// page, shown with either page.
PageTable KeyControlsTable();

// The key controls' own commands: the two key-mode radio buttons and the
// key file's "..." button. False when `id` is none of them.
bool OnKeyControlCommand(int id);

// The level slider moved: its position is shown as text beside it.
void OnKeyControlScroll(HWND slider, int request);

// Sets the key controls' start state: the level range, and the key mode and
// key file stored in section PASSWORD.
void InitKeyControls();

// Disables every key control, or enables them as the key mode wants them
// (the password field in password mode, the key file's field and button
// in key-file mode).
void EnableKeyControls(bool enable);

// What the key controls hold, read on the window's thread in the step that
// accepts a job's confirmation, so the key confirmed is the key used: the
// key mode, the password field's UTF-16 text (password mode) or the key
// file's path (key-file mode), and the level slider.
struct KeySnapshot {
    bool passwordMode = true;
    SecretBytes password;
    std::wstring keyFilePath;
    uint8_t level = 0;
};
KeySnapshot TakeKeySnapshot();

// An encryption with a password, in either format, takes neither an empty
// field nor the sample text the field starts with: false, after telling
// the user, for either. A decryption, and key-file mode, pass.
bool PasswordAcceptable(JobKind job, const KeySnapshot& snapshot);

// Takes a job's settings once, on its worker, from the key controls'
// snapshot: the password in the ANSI code page (the built-in "WELK" when a
// decryption's field is empty) or the key file's content, the level, the
// key file's identity, and what the job's options ask of it; for a strong
// encryption (then without the legacy key) and for every decryption, the
// strong format's key input: the password as UTF-8 or the key file's hash.
// A long key file's reading moves the page's progress bar (by its id,
// through the courier) and ends when the jobs are asked to stop. False,
// after telling the user why, when no key can be had (without a word when
// the jobs were asked to stop).
bool TakeJobSettings(JobKind job, const Options& options, const KeySnapshot& snapshot, JobSettings& settings,
                     int progressBarId);

// A password field's UTF-16 text (no terminator) in secret bytes: locked
// while they live and wiped when they go, so the program's own copies of a
// password leave nothing behind.
SecretBytes SecretFieldText(HWND field);
// True when the options send a file job's source to the recycle bin after
// the job: the recycle option with the naming option that keeps the source
// apart from its output (".enc" added when encrypting, ".dec" when decrypting).
bool SourceRecycleAsked(JobKind job, const Options& options);

// One file transformed by the job's transformer with the job's key, moving a progress bar (by its
// id, through the courier) as the
// bytes go through: the bar's range is set from the file's size (0 to 101,
// or 0 to size + 1 below 100 bytes) and the bar is shown before the first
// byte. The job's key file is never replaced by the output, a read-only
// destination only with `replaceReadOnly`.
TransformOutcome ApplyCipherWithProgress(const std::wstring& source, const std::wstring& destination, const JobKey& key,
                                         JobTransformer& transformer, int progressBarId,
                                         const FileIdentity& keyFile = FileIdentity(), bool replaceReadOnly = false);

} // namespace quenzel
