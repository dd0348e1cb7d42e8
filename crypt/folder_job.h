// The folder job without its window: each listed file of a folder, by its
// path below the gathered root, transformed into the output folder, with
// the folders on the way made as needed; and what the job would do, found
// before it starts.
#pragma once

#include "base/options.h"
#include "crypt/strong_transform.h"

#include <string>
#include <vector>

namespace quenzel {

enum class FolderItemStatus {
    Done,
    OutsideRoot,   // the file does not lie below the root
    NotTransformed // the transform failed: see `transform`
};

struct FolderItemOutcome {
    FolderItemStatus status = FolderItemStatus::Done;
    TransformOutcome transform;
};

// One listed file of a folder job into its place below `outputRoot`, with
// the job's key and transformer; the job's key file is never replaced, and
// a decryption replaces no file but its source (an output whose name is
// taken gets the next free name); `stop` as for TransformFile.
FolderItemOutcome TransformFolderItem(const std::wstring& root, const std::wstring& item,
                                      const std::wstring& outputRoot, const JobKey& key, JobTransformer& transformer,
                                      const FileIdentity& keyFile = FileIdentity(),
                                      const std::atomic<bool>* stop = nullptr);

// What a folder job would do with its list, found before anything is done.
struct FolderJobCheck {
    enum class Verdict {
        Go,
        OutputOverList, // outputs would land on listed files before they are read
        KeyFileOutput,  // an output would be the key file
    };
    Verdict verdict = Verdict::Go;
    // Outputs that exist already and are other files than their sources
    // (an encryption replaces them; a decryption leaves them for free names).
    size_t existingOutputs = 0;
    // Per item: another listed file writes the same output first (names
    // that differ only in case), so this one is skipped.
    std::vector<bool> sameOutput;
};

// True when both paths name one folder, however they are spelt (case,
// short names, a trailing separator).
bool SameFolderPath(const std::wstring& first, const std::wstring& second);

// True when outputs of a folder job would land on listed files before they
// are read: one folder holds the other, and listed files lie where the
// outputs go. The listed folder itself, where each file replaces itself, and
// a sub-folder that holds no listed files are fine.
bool OutputOverList(const std::wstring& root, const std::vector<std::wstring>& items, const std::wstring& outputRoot);

// The folders below a listed folder that its folder jobs write into, by the
// options (encrypting and decrypting alike): the listing leaves them out,
// so a job never takes an earlier job's outputs for sources.
class OutputFolders {
public:
    OutputFolders(const std::wstring& root, const Options& options);
    // True when `folder`, a folder below the root spelt as the walk spells
    // it, is one of them.
    bool Holds(const std::wstring& folder) const;

private:
    std::wstring root_;
    std::vector<std::wstring> below_; // their paths below the root, as the file system compares them
};

// Checks a folder job: the output folder against the listed folder
// (`OutputOverList`), the key file (empty in password mode) against every
// output, outputs shared by two listed files, and outputs that exist already.
FolderJobCheck CheckFolderJob(const std::wstring& root, const std::vector<std::wstring>& items,
                              const std::wstring& outputRoot, const std::wstring& keyFile);

} // namespace quenzel
