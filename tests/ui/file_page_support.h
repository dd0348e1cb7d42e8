// Helpers of the file page's UI tests: its controls by the program's own
// ids, a file job run to its result, and the files it leaves behind.
#pragma once

#include "tests/ui/crypt_ui_support.h"

#include "app/options_page_ids.h"
#include "crypt/file_page_ids.h"

#include <string>
#include <vector>

namespace filepage {

using namespace cryptui;

inline constexpr int SourceField = quenzel::IDC_FILE_SOURCE;
inline constexpr int ChooseButton = quenzel::IDC_FILE_CHOOSE;
inline constexpr int EncryptButton = quenzel::IDC_FILE_ENCRYPT;
inline constexpr int DecryptButton = quenzel::IDC_FILE_DECRYPT;
inline constexpr int ProgressBar = quenzel::IDC_FILE_PROGRESS;
inline constexpr int PreviewField = quenzel::IDC_FILE_PREVIEW;
inline constexpr int LevelReadout = quenzel::IDC_KEY_LEVEL_TEXT;
inline constexpr int KeyFileRadio = quenzel::IDC_KEY_FILE_RADIO;
inline constexpr int KeyFileField = quenzel::IDC_KEY_FILE;
inline constexpr int KeyFileButton = quenzel::IDC_KEY_FILE_BUTTON;
// The options that name a file job's output and its source's fate, in the
// order of their ids, and the strong format's box.
inline constexpr int RecycleBox = quenzel::IDC_OPTIONS_RECYCLE;
inline constexpr int AddEncBox = quenzel::IDC_OPTIONS_ADD_ENC;
inline constexpr int RemoveEncBox = quenzel::IDC_OPTIONS_REMOVE_ENC;
inline constexpr int AddDecBox = quenzel::IDC_OPTIONS_ADD_DEC;
inline constexpr int StrongFormatBox = quenzel::IDC_OPTIONS_STRONG_FORMAT;

// The controls the page disables while its job runs.
const std::vector<int>& JobControls();
// True once the page's job has ended (its controls enabled again).
bool JobEnded(Started& s);

// Checks the naming options in `checked` (of RecycleBox to AddDecBox) and
// unchecks the others.
void SetNamingOptions(Started& s, const std::vector<int>& checked);
bool BoxChecked(Started& s, int id);

struct FileJobRun {
    std::wstring proposed;
    std::wstring resultOutput; // the result dialog's output view
    std::wstring resultSource; // and its source view
    bool iconWhole = false;    // the result's icon whole in the dialog, beside its text
};

// Runs a file job to its result dialog and closes that; `destination`
// replaces the proposed one when not empty.
FileJobRun RunFileJob(Started& s, int command, const std::wstring& destination = L"");
// Waits for the result dialog and presses its OK; false when none came.
bool CloseResult(Started& s);
// True when no result dialog comes within `wait` (a failed or refused job).
bool NoResultWithin(Started& s, Millis wait);

// The settings of a program in key-file mode with this key file, then `more`.
std::string KeyFileIni(const std::wstring& key, const std::string& more = "");

// A whole file's bytes (a failed read fails the test and gives "").
std::string ReadAll(const std::wstring& path);
// `n` pseudo-random lower-case letters. Encrypted (classic, level 7) with the
// tests' own password they become digits and punctuation, and those again
// capitals with a password of lower-case letters: every step is text that
// the preview and the result show safely on every Wine (see RandomText).
std::string RandomLetters(size_t n, unsigned seed);
// True when the file holds `size` bytes, all zero.
bool AllZero(const std::wstring& path, long long size);
bool HasAttributes(const std::wstring& path, DWORD wanted);
// No temporary output (*.tmp) is left in the folder.
bool NoTemporaryIn(const std::wstring& folder);
// The names in a folder, sorted.
std::vector<std::wstring> NamesIn(const std::wstring& folder);

// The message for a file that does not decrypt.
inline constexpr wchar_t NotDecryptedMessage[] =
    L"The file cannot be decrypted: the password or the key file is wrong, or the file is damaged.";

} // namespace filepage
