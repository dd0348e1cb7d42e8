// The dialogs of the encryption jobs: confirmation (with the password typed
// again when asked for), the result of a file job, and the text preview.
#pragma once

#include "base/options.h"
#include "crypt/key_controls.h"
#include "crypt/page_state.h"

#include <windows.h>

#include <string>

namespace quenzel {

enum class CryptPageKind { File, Folder };

inline constexpr INT_PTR ConfirmOk = 1;
inline constexpr INT_PTR ConfirmCancel = 2;

// Shows `IDD_CONFIRM`, or `IDD_RETYPE` for every encryption with a
// password, owned by the main window; an encryption with an empty or the
// sample password is refused first. The destination proposed and the words
// on it follow the options the job started with. On OK the page's
// `OutputPath` holds the destination and `key` the key controls as they
// were when OK was accepted (the password re-entered was compared with
// that one); Cancel, a refusal and a dialog that could not be shown give
// ConfirmCancel.
INT_PTR ShowConfirmDialog(CryptPageKind kind, const Options& options, KeySnapshot& key);

// Shows `IDD_RESULTDIALOG` for the file page's finished job; `textKey` is the
// text that says what was done (source title, output path). A result that
// was never authenticated (a decryption of the original format) shows the
// information icon instead of the finished job's. The source view shows
// `sourceBeginning`, read from `source` before the job (which may have
// replaced it), never the page's preview.
void ShowResultDialog(int textKey, bool unauthenticated, const std::wstring& source,
                      const std::wstring& sourceBeginning);

// Shows the first up to 1000 bytes of a file as text in an edit control
// (UTF-16 or UTF-8 when they are that, else the ANSI code page), with
// whatever a reader cannot use shown as `PreviewPlaceholder`; a file that
// cannot be read or is empty leaves the control as it is.
void LoadTextPreview(const std::wstring& path, HWND edit);
// The same first bytes as text, for a view filled later or on another
// thread; empty when the file cannot be read or is empty.
std::wstring FileBeginningText(const std::wstring& path);

} // namespace quenzel
