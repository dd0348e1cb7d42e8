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

class Walk {
public:
    Walk(const SizedFileBatchSink& sink, size_t batchSize, const FolderFilter& leaveOut)
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
            std::wstring path = JoinPath(folder, entry.cFileName);
            if (path.size() >= MaxWalkPath)
                continue;
            if (!isFolder)
                List(std::move(path), (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow);
            else if (!(leaveOut_ && leaveOut_(path)))
                queue_.push_back(std::move(path));
        } while (FindNextFileW(search.Get(), &entry));
    }

    void List(std::wstring path, uint64_t size)
    {
        batch_.push_back(std::move(path));
        sizes_.push_back(size);
        ++listed_;
        if (batch_.size() >= batchSize_)
            Flush();
    }

    void Flush()
    {
        if (batch_.empty())
            return;
        sink_(batch_, sizes_);
        batch_.clear();
        sizes_.clear();
    }

    const SizedFileBatchSink& sink_;
    const size_t batchSize_;
    const FolderFilter& leaveOut_;
    std::deque<std::wstring> queue_;
    FileBatch batch_;
    FileSizes sizes_;
    uint64_t listed_ = 0;
};

} // namespace

std::wstring JoinPath(const std::wstring& folder, std::wstring_view name)
{
    // One allocation per path: a walk makes one for every file it lists.
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    std::wstring path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    if (!separated)
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
    Walk walk(sink, batchSize, leaveOut);
    return walk.Run(root);
}

} // namespace quenzel
