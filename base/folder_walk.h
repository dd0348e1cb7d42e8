// Listing every file below a folder, breadth-first: first the folder's own
// files, then those of each sub-folder in the order they were found, level
// by level.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenzel {

using FileBatch = std::vector<std::wstring>;
// Receives the listed files' full paths a batch at a time, in walk order.
using FileBatchSink = std::function<void(FileBatch& files)>;
// The sizes in bytes of a batch's files, in the same order, taken from the
// folder listing itself: no file is opened for them.
using FileSizes = std::vector<uint64_t>;
using SizedFileBatchSink = std::function<void(FileBatch& files, FileSizes& sizes)>;

// A batch of listed files kept in one buffer: each path ends with a null,
// and `starts` says where each begins. One allocation per batch, not one
// per file, for a caller that keeps the paths (a list of a hundred thousand
// rows).
struct PathBatch {
    std::wstring text;
    std::vector<uint32_t> starts;
    FileSizes sizes;

    size_t Count() const { return starts.size(); }
    // The path at `index` (its null follows it in `text`).
    std::wstring_view Path(size_t index) const;
    void Add(const std::wstring& folder, std::wstring_view name, uint64_t size);
    void Clear();
};
using PathBatchSink = std::function<void(PathBatch& files)>;

// True for a folder below the root that the walk leaves out: neither its
// files nor its sub-folders are listed.
using FolderFilter = std::function<bool(const std::wstring& folder)>;

// Files handed over at a time: few enough that the list fills visibly, many
// enough that the hand-over costs little.
inline constexpr size_t DefaultWalkBatch = 512;

// Walks the tree below `root` and returns the number of files listed.
// Folder junctions, mount points and symbolic links to folders are neither
// listed nor entered, so every walk ends; other reparse points, such as
// cloud placeholders, are walked like plain folders. Paths too long for the
// program are left out. Folders that cannot be searched are passed over,
// and so are those `leaveOut` names.
uint64_t WalkFolder(const std::wstring& root, const FileBatchSink& sink, size_t batchSize = DefaultWalkBatch,
                    const FolderFilter& leaveOut = {});
// The same walk, each batch with its files' sizes.
uint64_t WalkFolderWithSizes(const std::wstring& root, const SizedFileBatchSink& sink,
                             size_t batchSize = DefaultWalkBatch, const FolderFilter& leaveOut = {});

// The same walk, each batch in one buffer (the sink may take the buffer
// away: the walk starts the next batch afresh).
uint64_t WalkFolderPaths(const std::wstring& root, const PathBatchSink& sink, size_t batchSize = DefaultWalkBatch,
                         const FolderFilter& leaveOut = {});

// A folder and a name joined with one backslash.
std::wstring JoinPath(const std::wstring& folder, std::wstring_view name);

} // namespace quenzel
