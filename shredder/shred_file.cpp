#include "shredder/shred_file.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quenzel {

namespace {

// One block of zeros for every file and thread: it is only ever read.
const std::vector<char>& ZeroBlock()
{
    static const std::vector<char> zeros(ShredBlockSize, 0);
    return zeros;
}

bool WriteZeros(HANDLE file, uint64_t size)
{
    const std::vector<char>& zeros = ZeroBlock();
    for (uint64_t done = 0; done < size;) {
        const DWORD piece = static_cast<DWORD>(std::min<uint64_t>(size - done, zeros.size()));
        DWORD written = 0;
        if (!WriteFile(file, zeros.data(), piece, &written, nullptr) || written != piece)
            return false;
        done += piece;
    }
    return true;
}

// Why the file could not be opened, from the open's error and what the
// file's attributes show.
ShredResult OpenFailure(const std::wstring& extendedPath)
{
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(extendedPath.c_str());
    FileMarks marks;
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        marks.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
        marks.reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    }
    return ResultOfOpenFailure(error, marks);
}

} // namespace

ShredResult OverwriteWithZeros(const std::wstring& path)
{
    // No sharing: nobody may read or change the file while it is overwritten.
    // A link is opened itself, so the file it leads to, which may lie
    // anywhere, is never reached; the attribute is read from this very
    // handle, so nothing can swap the file between the test and the writes.
    const std::wstring extended = ExtendedPath(path);
    UniqueFile file(CreateFileW(extended.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return OpenFailure(extended);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file.Get(), &information))
        return ShredResult::OpenFailed;
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return ShredResult::Link;
    // A read-only file is the user's wish to keep it, whatever the account
    // may write.
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ShredResult::ReadOnly;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0)
        return ShredResult::SizeFailed;
    if (!WriteZeros(file.Get(), static_cast<uint64_t>(size.QuadPart)))
        return ShredResult::WriteFailed;
    // The system drops the pending writes of a file deleted before they
    // reach the disk: the zeros must be on the medium first.
    if (!FlushFileBuffers(file.Get()))
        return ShredResult::FlushFailed;
    if (!CloseHandle(file.Release()))
        return ShredResult::FlushFailed;
    return ShredResult::Shredded;
}

ShredResult ShredFile(const std::wstring& path, bool deleteAfter)
{
    const ShredResult overwritten = OverwriteWithZeros(path);
    if (overwritten != ShredResult::Shredded || !deleteAfter)
        return overwritten;
    if (!DeleteFileW(ExtendedPath(path).c_str()))
        return ShredResult::DeleteFailed;
    return ShredResult::Shredded;
}

} // namespace quenzel
