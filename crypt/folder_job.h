// The folder job without its window: each listed file of a folder, by its
// path below the gathered root, transformed into the output folder, with
// the folders on the way made as needed.
#pragma once

#include "crypt/strong_transform.h"

#include <string>

namespace quenzel {

enum class FolderItemStatus {
    Done,
    OutsideRoot,   // the file does not lie below the root
    FolderNotMade, // its output folder could not be made
    NotTransformed // the transform failed: see `transform`
};

struct FolderItemOutcome {
    FolderItemStatus status = FolderItemStatus::Done;
    TransformOutcome transform;
};

// One listed file of a folder job into its place below `outputRoot`, with
// the job's key and transformer; `stop` as for TransformFile.
FolderItemOutcome TransformFolderItem(const std::wstring& root, const std::wstring& item,
                                      const std::wstring& outputRoot, const JobKey& key,
                                      JobTransformer& transformer, const std::atomic<bool>* stop = nullptr);

// Creates a folder and every missing parent, long paths included.
bool CreateFolderChain(const std::wstring& folder);

} // namespace quenzel
