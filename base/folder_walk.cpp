#include "base/folder_walk.h"

#include "base/handles.h"
#include "base/long_path.h"
#include "base/reparse_tag.h"

#include <windows.h>

#include <deque>

namespace quenzel {

namespace {

// Longest path the walk lists or enters, in UTF-16 units; it also bounds a
// loop of links that the file system would not mark as links.
constexpr size_t MaxWalkPath = 32767;

bool IsDotEntry(const wchar_t* name)
{
    return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

// A link or junction: never entered. Other reparse points, such as the
// placeholder folders of cloud-sync clients, hold the user's own files.
bool IsLinkedFolder(const WIN32_FIND_DATAW& entry)
{
    // The listing carries a reparse point's tag in dwReserved0.
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !WalkEntersReparseFolder(entry.dwReserved0);
}

// The buffer's room for a batch of paths this long on average, reserved
// once per batch.
constexpr size_t TypicalPathLength = 96;

bool NeedsSeparator(const std::wstring& folder)
{
    return !folder.empty() && folder.back() != L'\\' && folder.back() != L'/';
}

class Walk {
public:
    Walk(const PathBatchSink& sink, size_t batchSize, const FolderFilter& leaveOut)
        : sink_(sink)
        , batchSize_(batchSize ? batchSize : 1)
        , leaveOut_(leaveOut)
    { }

    uint64_t Run(const std::wstring& root)
    {
        queue_.push_back(root);
        while (!queue_.empty()) {
            const std::wstring folder = std::move(queue_.front());
            queue_.pop_front();
            ReadFolder(folder);
        }
        Flush();
        return listed_;
    }

private:
    void ReadFolder(const std::wstring& folder)
    {
        WIN32_FIND_DATAW entry;
        UniqueFind search(FindFirstFileExW(ExtendedPath(JoinPath(folder, L"*")).c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!search)
            return;
        do {
            if (IsDotEntry(entry.cFileName))
                continue;
            const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            if (isFolder && IsLinkedFolder(entry))
                continue;
            const std::wstring_view name(entry.cFileName);
            if (folder.size() + NeedsSeparator(folder) + name.size() >= MaxWalkPath)
                continue;
            if (!isFolder) {
                List(folder, name, (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow);
                continue;
            }
            std::wstring path = JoinPath(folder, name);
            if (!(leaveOut_ && leaveOut_(path)))
                queue_.push_back(std::move(path));
        } while (FindNextFileW(search.Get(), &entry));
    }

    void List(const std::wstring& folder, std::wstring_view name, uint64_t size)
    {
        if (batch_.starts.empty()) {
            batch_.text.reserve(batchSize_ * TypicalPathLength);
            batch_.starts.reserve(batchSize_);
            batch_.sizes.reserve(batchSize_);
        }
        batch_.Add(folder, name, size);
        ++listed_;
        if (batch_.Count() >= batchSize_)
            Flush();
    }

    void Flush()
    {
        if (batch_.starts.empty())
            return;
        sink_(batch_);
        batch_.Clear();
    }

    const PathBatchSink& sink_;
    const size_t batchSize_;
    const FolderFilter& leaveOut_;
    std::deque<std::wstring> queue_;
    PathBatch batch_;
    uint64_t listed_ = 0;
};

} // namespace

std::wstring_view PathBatch::Path(size_t index) const
{
    const size_t end = index + 1 < starts.size() ? starts[index + 1] - 1 : text.size() - 1;
    return std::wstring_view(text).substr(starts[index], end - starts[index]);
}

void PathBatch::Add(const std::wstring& folder, std::wstring_view name, uint64_t size)
{
    starts.push_back(static_cast<uint32_t>(text.size()));
    text += folder;
    if (NeedsSeparator(folder))
        text += L'\\';
    text += name;
    text += L'\0';
    sizes.push_back(size);
}

void PathBatch::Clear()
{
    text.clear();
    starts.clear();
    sizes.clear();
}

std::wstring JoinPath(const std::wstring& folder, std::wstring_view name)
{
    std::wstring path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (NeedsSeparator(folder))
        path += L'\\';
    path += name;
    return path;
}

uint64_t WalkFolder(const std::wstring& root, const FileBatchSink& sink, size_t batchSize, const FolderFilter& leaveOut)
{
    return WalkFolderWithSizes(
        root, [&sink](FileBatch& files, FileSizes&) { sink(files); }, batchSize, leaveOut);
}

uint64_t WalkFolderWithSizes(const std::wstring& root, const SizedFileBatchSink& sink, size_t batchSize,
                             const FolderFilter& leaveOut)
{
    FileBatch files;
    return WalkFolderPaths(
        root,
        [&](PathBatch& paths) {
            files.clear();
            files.reserve(paths.Count());
            for (size_t i = 0; i < paths.Count(); ++i)
                files.emplace_back(paths.Path(i));
            sink(files, paths.sizes);
        },
        batchSize, leaveOut);
}

uint64_t WalkFolderPaths(const std::wstring& root, const PathBatchSink& sink, size_t batchSize,
                         const FolderFilter& leaveOut)
{
    Walk walk(sink, batchSize, leaveOut);
    return walk.Run(root);
}

} // namespace quenzel
