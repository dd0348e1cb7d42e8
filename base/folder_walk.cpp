#include "base/folder_walk.h"

#include "base/handles.h"
#include "base/long_path.h"
#include "base/reparse_tag.h"

#include <windows.h>

#include <deque>
#include <memory>

namespace quenzel {

namespace {

// Longest path the walk lists or enters, in UTF-16 units; it also bounds a
// loop of links that the file system would not mark as links.
constexpr size_t MaxWalkPath = 32767;

bool IsDotEntry(std::wstring_view name)
{
    return name == L"." || name == L"..";
}

// A link or junction: never entered. Other reparse points, such as the
// placeholder folders of cloud-sync clients, hold the user's own files.
// A listing carries a reparse point's tag where a file's extended
// attributes' size would be.
bool IsLinkedFolder(DWORD attributes, DWORD reparseTag)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !WalkEntersReparseFolder(reparseTag);
}

// A folder's entries are read straight from its handle, many at a time,
// into a buffer of this size: no copy per entry as FindNextFile makes, and
// under Wine about a tenth faster than FindFirstFile and FindNextFile.
// Network drives take no more than 64 KiB at a time.
constexpr DWORD ListingBufferBytes = 64 * 1024;

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
        UniqueFile listing(CreateFileW(ExtendedPath(folder).c_str(), FILE_LIST_DIRECTORY,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!listing)
            return;
        // Each call gives the entries after the last; it fails once none are left.
        bool first = true;
        while (GetFileInformationByHandleEx(listing.Get(), FileIdBothDirectoryInfo, entries_.get(), ListingBufferBytes)) {
            first = false;
            const auto* bytes = reinterpret_cast<const uint8_t*>(entries_.get());
            for (;;) {
                const auto& entry = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
                Take(folder, std::wstring_view(entry.FileName, entry.FileNameLength / sizeof(wchar_t)),
                     entry.FileAttributes, entry.EaSize, static_cast<uint64_t>(entry.EndOfFile.QuadPart));
                if (entry.NextEntryOffset == 0)
                    break;
                bytes += entry.NextEntryOffset;
            }
        }
        // A listing that gave nothing, not even the folder's "." (an old
        // network server that lists no entries with their ids, whatever
        // error it gives), is tried again as FindFirstFile searches.
        if (first)
            SearchFolder(folder);
    }

    void SearchFolder(const std::wstring& folder)
    {
        WIN32_FIND_DATAW entry;
        UniqueFind search(FindFirstFileExW(ExtendedPath(JoinPath(folder, L"*")).c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!search)
            return;
        do {
            // The listing carries a reparse point's tag in dwReserved0.
            Take(folder, entry.cFileName, entry.dwFileAttributes, entry.dwReserved0,
                 (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow);
        } while (FindNextFileW(search.Get(), &entry));
    }

    // Lists a file of the folder, or keeps a sub-folder for its level.
    void Take(const std::wstring& folder, std::wstring_view name, DWORD attributes, DWORD reparseTag, uint64_t size)
    {
        if (IsDotEntry(name))
            return;
        const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && IsLinkedFolder(attributes, reparseTag))
            return;
        if (folder.size() + NeedsSeparator(folder) + name.size() >= MaxWalkPath)
            return;
        if (!isFolder) {
            List(folder, name, size);
            return;
        }
        std::wstring path = JoinPath(folder, name);
        if (!(leaveOut_ && leaveOut_(path)))
            queue_.push_back(std::move(path));
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
    // The listing buffer, aligned as its entries need.
    std::unique_ptr<LONGLONG[]> entries_{new LONGLONG[ListingBufferBytes / sizeof(LONGLONG)]};
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
