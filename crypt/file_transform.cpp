#include "crypt/file_transform.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

namespace quenzel {

namespace {

// Temporary names are tried this often before the output counts as not creatable.
constexpr int TemporaryNameAttempts = 16;

std::atomic<unsigned> TemporaryCounter{0};

// The attributes a replaced file hands on to the file that takes its place.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

UniqueFile OpenSource(const std::wstring& path)
{
    return UniqueFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

FileId IdentityOfHandle(HANDLE file)
{
    FileId id;
    BY_HANDLE_FILE_INFORMATION info{};
    if (file && file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &info)) {
        id.known = true;
        id.volume = info.dwVolumeSerialNumber;
        id.indexHigh = info.nFileIndexHigh;
        id.indexLow = info.nFileIndexLow;
    }
    return id;
}

// The folder part of a path, with its separator ("" for a bare name).
std::wstring FolderPrefix(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos)
        return path.substr(0, separator + 1);
    if (path.size() >= 2 && path[1] == L':')
        return path.substr(0, 2);
    return std::wstring();
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool MakeFolder(const std::wstring& extended)
{
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t separator = extended.find_last_of(L'\\');
    if (separator != std::wstring::npos && separator > 0 && extended[separator - 1] != L':'
        && !MakeFolder(extended.substr(0, separator)))
        return false;
    // The extended form also passes the classic limit of 248 for folders.
    return CreateDirectoryW(extended.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring Hex(unsigned long value)
{
    wchar_t text[16];
    wsprintfW(text, L"%lx", value);
    return text;
}

// A new, empty temporary file in the destination's folder, opened for writing.
UniqueFile CreateTemporaryBeside(const std::wstring& destination, std::wstring& temporary, DWORD& error)
{
    const std::wstring prefix = FolderPrefix(destination) + L"~quenzel-" + Hex(GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        temporary = prefix + Hex(TemporaryCounter.fetch_add(1)) + L".tmp";
        UniqueFile file(CreateFileW(ExtendedPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file)
            return file;
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    temporary.clear();
    return UniqueFile();
}

bool ReadExactly(HANDLE file, uint8_t* data, DWORD length)
{
    DWORD got = 0;
    return ReadFile(file, data, length, &got, nullptr) && got == length;
}

bool WriteExactly(HANDLE file, const uint8_t* data, DWORD length)
{
    DWORD written = 0;
    return WriteFile(file, data, length, &written, nullptr) && written == length;
}

// The destination as it was before the job: what the new file keeps of it.
struct Destination {
    bool exists = false;
    bool inPlace = false; // known only where it matters: a read-only destination
    DWORD attributes = 0;
    FILETIME created{};
};

// Looks at the destination before any work is done: a folder, the key file
// and a read-only file other than the source are never replaced.
TransformStatus InspectDestination(const TransformRequest& request, HANDLE source, Destination& destination)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ExtendedPath(request.destination).c_str(), GetFileExInfoStandard, &data))
        return TransformStatus::Ok;
    destination.exists = true;
    destination.attributes = data.dwFileAttributes;
    destination.created = data.ftCreationTime;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return TransformStatus::OutputCreateFailed;
    const bool readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!request.keyFile.known && !readOnly)
        return TransformStatus::Ok;
    const FileId target = IdentityOf(request.destination);
    if (target.Is(request.keyFile))
        return TransformStatus::KeyFileTarget;
    destination.inPlace = target.Is(IdentityOfHandle(source));
    return readOnly && !destination.inPlace ? TransformStatus::OutputCreateFailed : TransformStatus::Ok;
}

// The finished temporary file takes the destination's place, with the
// hidden, system and read-only attributes of the file it replaces.
TransformStatus PutInPlace(const std::wstring& temporary, const std::wstring& target, const Destination& old,
                           DWORD& error, bool& attributesLost)
{
    const std::wstring from = ExtendedPath(temporary);
    const std::wstring to = ExtendedPath(target);
    const DWORD kept = old.attributes & KeptAttributes;
    if (old.exists && kept && !SetFileAttributesW(from.c_str(), kept | FILE_ATTRIBUTE_ARCHIVE))
        attributesLost = true;
    // A read-only source replaced in place gives up the attribute for the move.
    const bool unlocked = old.inPlace && (old.attributes & FILE_ATTRIBUTE_READONLY);
    if (unlocked && !SetFileAttributesW(to.c_str(), old.attributes & ~FILE_ATTRIBUTE_READONLY)) {
        error = GetLastError();
        return TransformStatus::ReplaceFailed;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TransformStatus::Ok;
    error = GetLastError();
    if (unlocked && !SetFileAttributesW(to.c_str(), old.attributes))
        attributesLost = true;
    return TransformStatus::ReplaceFailed;
}

TransformOutcome Failure(TransformStatus status, DWORD error)
{
    TransformOutcome outcome;
    outcome.status = status;
    outcome.systemError = error;
    return outcome;
}

// Reads, transforms and writes the whole source; the status of the first failure.
TransformStatus CopyTransformed(HANDLE source, HANDLE output, uint64_t size, CipherStream& stream,
                                CipherProgress* progress, DWORD& error)
{
    const size_t bufferBytes = static_cast<size_t>(std::min<uint64_t>(size, TransformChunkBytes));
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[std::max<size_t>(bufferBytes, 1)]);
    if (!buffer)
        return TransformStatus::OutOfMemory;
    for (uint64_t done = 0; done < size;) {
        const DWORD piece = static_cast<DWORD>(std::min<uint64_t>(bufferBytes, size - done));
        if (!ReadExactly(source, buffer.get(), piece)) {
            error = GetLastError();
            return TransformStatus::SourceReadFailed;
        }
        if (progress)
            stream.ApplyWithProgress(buffer.get(), piece, size, *progress);
        else
            stream.Apply(buffer.get(), piece);
        if (!WriteExactly(output, buffer.get(), piece)) {
            error = GetLastError();
            return TransformStatus::WriteFailed;
        }
        done += piece;
    }
    return TransformStatus::Ok;
}

} // namespace

FileId IdentityOf(const std::wstring& path)
{
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return IdentityOfHandle(file.Get());
}

bool IsSameFile(const std::wstring& first, const std::wstring& second)
{
    return IdentityOf(first).Is(IdentityOf(second));
}

bool CreateFolderChain(const std::wstring& folder)
{
    return folder.empty() || MakeFolder(ExtendedPath(folder));
}

TransformOutcome TransformFile(const TransformRequest& request)
{
    UniqueFile source = OpenSource(request.source);
    if (!source)
        return Failure(TransformStatus::SourceOpenFailed, GetLastError());
    LARGE_INTEGER sizeValue{};
    if (!GetFileSizeEx(source.Get(), &sizeValue))
        return Failure(TransformStatus::SourceReadFailed, GetLastError());
    const uint64_t size = static_cast<uint64_t>(sizeValue.QuadPart);

    std::vector<uint8_t> key;
    uint8_t level = 0;
    if (!request.key || !request.key->FetchKey(key, level) || key.empty())
        return Failure(TransformStatus::KeyUnavailable, 0);

    TransformOutcome outcome;
    outcome.size = size;
    Destination destination;
    const TransformStatus verdict = InspectDestination(request, source.Get(), destination);
    if (verdict != TransformStatus::Ok)
        return Failure(verdict, ERROR_ACCESS_DENIED);
    // Only now is there something to write: a source that cannot be read
    // leaves no empty folder behind.
    if (request.createFolder && !CreateFolderChain(FolderOf(request.destination)))
        return Failure(TransformStatus::OutputCreateFailed, GetLastError());

    std::wstring temporary;
    DWORD error = 0;
    UniqueFile output = CreateTemporaryBeside(request.destination, temporary, error);
    if (!output)
        return Failure(TransformStatus::OutputCreateFailed, error);

    if (request.sourceSized)
        request.sourceSized(size);
    CipherStream stream(key.data(), key.size(), level);
    outcome.status = CopyTransformed(source.Get(), output.Get(), size, stream, request.progress, error);
    // The new file keeps the creation time of the one it replaces.
    if (outcome.status == TransformStatus::Ok && destination.exists
        && !SetFileTime(output.Get(), &destination.created, nullptr, nullptr))
        outcome.attributesLost = true;
    // Both are closed before the replacement: in place, the destination is the source.
    source.Reset();
    if (!CloseHandle(output.Release()) && outcome.status == TransformStatus::Ok) {
        error = GetLastError();
        outcome.status = TransformStatus::WriteFailed;
    }
    if (outcome.status == TransformStatus::Ok)
        outcome.status = PutInPlace(temporary, request.destination, destination, error, outcome.attributesLost);
    if (outcome.status != TransformStatus::Ok) {
        outcome.systemError = error;
        // It may carry the read-only attribute of the file it was to replace.
        SetFileAttributesW(ExtendedPath(temporary).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(ExtendedPath(temporary).c_str()))
            outcome.strayTemporary = temporary;
    }
    return outcome;
}

} // namespace quenzel
