// The names a job proposes for its output, and where a folder job writes
// each listed file. Portable: no windows.h.
#pragma once

#include "base/options.h"

#include <functional>
#include <string>

namespace quenzel {

// A page's `JobMode`: what the page's running job does.
enum JobKind : int { NoJob = 0, EncryptJob = 1, DecryptJob = 2 };

// The renaming options of the options page for the file page.
struct FileNameOptions {
    bool addEnc = false;    // encrypt: append ".enc"
    bool removeEnc = false; // decrypt: remove a trailing ".enc"
    bool addDec = false;    // decrypt: append ".dec"
};

// The renaming options and fixed output folders for the folder page.
struct FolderNameOptions {
    bool addEncrypted = false;    // encrypt: append "\Encrypted"
    bool removeEncrypted = false; // decrypt: remove a trailing "\Encrypted"
    bool addDecrypted = false;    // decrypt: append "\Decrypted"
    bool useEncPath = false;      // encrypt: use encPath instead
    bool useDecPath = false;      // decrypt: use decPath instead
    std::wstring encPath;         // empty: "c:\My Encrypted"
    std::wstring decPath;         // empty: "c:\My Decrypted"
};

// The folder page's part of the options.
FolderNameOptions FolderNaming(const Options& options);

inline constexpr wchar_t DefaultEncryptedFolder[] = L"c:\\My Encrypted";
inline constexpr wchar_t DefaultDecryptedFolder[] = L"c:\\My Decrypted";

// The output file the file page proposes for a source file. Comparisons are
// exact, case included.
std::wstring ProposeFileOutput(const std::wstring& source, JobKind kind, const FileNameOptions& options);

// The output folder the folder page proposes for a source folder.
std::wstring ProposeFolderOutput(const std::wstring& sourceFolder, JobKind kind, const FolderNameOptions& options);

// A listed file's path below the root that was gathered, without the
// separators that join them; false when the item does not lie below it.
bool ItemBelowRoot(const std::wstring& gatheredRoot, const std::wstring& item, std::wstring& relative);

// Where a folder job writes a listed file: the output folder followed by the
// file's path below the root that was gathered. False when the item does not
// lie below that root (nothing may then be written for it), or nothing is
// left of it after the root.
bool FolderJobOutputFile(const std::wstring& gatheredRoot, const std::wstring& item, const std::wstring& outputFolder,
                         std::wstring& outputFile);

// Tells whether a file or folder of that path exists.
using PathExistsCheck = std::function<bool(const std::wstring& path)>;

// The first of `path`, "name (2).ext", "name (3).ext", ... that does not
// exist, the extension being the last component's part from its last dot
// (none when that dot starts the name): a decryption never takes the name
// of a file that is there, such as the original beside its ".enc" file.
// Empty when none of the first FreeNameTries is free.
inline constexpr int FreeNameTries = 1000;
std::wstring FreeOutputName(const std::wstring& path, const PathExistsCheck& exists);

// The part of `path` below `folder`, both spelt alike (the same case and
// form): either slash separates, trailing separators do not count. False
// when `path` is the folder itself or does not lie below it (D:\Docs2 does
// not lie below D:\Docs).
bool PathBelowFolder(const std::wstring& folder, const std::wstring& path, std::wstring& rest);

// The last component of a path, as the dialogs and reports show it.
std::wstring PathTitle(const std::wstring& path);

} // namespace quenzel
