#include "crypt/file_transform.h"

#include "base/handles.h"
#include "base/long_path.h"
#include "crypt/cipher_key.h"
#include "crypt/output_names.h"
#include "crypt/plain_buffer.h"
#include "crypt/read_ahead.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace quenzel {

namespace {

// Temporary names are tried this often before the output counts as not creatable.
constexpr int TemporaryNameAttempts = 16;

std::atomic<unsigned> TemporaryCounter{0};

// The attributes a replaced file hands on to the file that takes its place.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

UniqueFile OpenSource(const std::wstring& path)
{
    return UniqueFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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

// The destination as it was before the job: what the new file keeps of it.
struct Destination {
    bool exists = false;
    DWORD attributes = 0;
    FILETIME created{};
    // Its access control list; empty where its volume keeps none.
    std::vector<BYTE> security;
    bool securityUnread = false;
};

// The destination's access control list, read while it is still there.
// False when it could not be read; true with nothing read where the
// destination's volume keeps no access control lists (FAT, most sticks).
bool ReadPermissions(const std::wstring& path, std::vector<BYTE>& security)
{
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    DWORD volumeFlags = 0;
    if (!file || !GetVolumeInformationByHandleW(file.Get(), nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0))
        return false;
    if (!(volumeFlags & FILE_PERSISTENT_ACLS))
        return true;
    DWORD needed = 0;
    GetKernelObjectSecurity(file.Get(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0)
        return false;
    security.assign(needed, 0);
    return GetKernelObjectSecurity(file.Get(), DACL_SECURITY_INFORMATION, security.data(), needed, &needed) != FALSE;
}

// Looks at the destination before any work is done: a folder, the key file
// and a read-only file the caller did not allow are never replaced.
TransformStatus InspectDestination(const TransformRequest& request, Destination& destination)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(ExtendedPath(request.destination).c_str(), GetFileExInfoStandard, &data))
        return TransformStatus::Ok;
    destination.exists = true;
    destination.attributes = data.dwFileAttributes;
    destination.created = data.ftCreationTime;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return TransformStatus::OutputCreateFailed;
    if (request.keyFile.known && IdentityOfFile(request.destination).SameFile(request.keyFile))
        return TransformStatus::KeyFileTarget;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) && !request.replaceReadOnly)
        return TransformStatus::DestinationReadOnly;
    destination.securityUnread = !ReadPermissions(request.destination, destination.security);
    return TransformStatus::Ok;
}

// The new file takes the replaced one's creation time and access control
// list while it is still open; what it could not take is noted.
void KeepTimeAndPermissions(HANDLE output, const Destination& old, TransformOutcome& outcome)
{
    if (!SetFileTime(output, &old.created, nullptr, nullptr))
        outcome.attributesLost = true;
    if (old.securityUnread
        || (!old.security.empty()
            && !SetKernelObjectSecurity(output, DACL_SECURITY_INFORMATION, const_cast<BYTE*>(old.security.data()))))
        outcome.permissionsLost = true;
}

// The finished temporary file takes the destination's place, with the
// hidden, system and read-only attributes of the file it replaces. A
// read-only destination (allowed to be replaced) gives up the attribute for
// the move and has it back when the move fails.
TransformStatus PutInPlace(const std::wstring& temporary, const std::wstring& target, const Destination& old,
                           DWORD& error, bool& attributesLost)
{
    const std::wstring from = ExtendedPath(temporary);
    const std::wstring to = ExtendedPath(target);
    const DWORD kept = old.attributes & KeptAttributes;
    if (old.exists && kept && !SetFileAttributesW(from.c_str(), kept | FILE_ATTRIBUTE_ARCHIVE))
        attributesLost = true;
    const bool unlocked = old.exists && (old.attributes & FILE_ATTRIBUTE_READONLY);
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
        // WRITE_DAC: the file takes the access control list of the one it replaces.
        UniqueFile file(CreateFileW(ExtendedPath(temporary).c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW,
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

// Sets or clears a file's delete-on-close mark.
bool MarkForDeletion(HANDLE file, bool deleteOnClose)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Where no earlier output exists, the output is written in the destination's
// place at once, marked for deletion until it is complete: a job that dies
// leaves nothing behind, and no rename is paid per file. An empty handle
// when the file exists after all or the mark cannot be set; then the file is
// removed again, and `stray` tells when that failed.
UniqueFile CreateMarkedDestination(const std::wstring& destination, bool& stray)
{
    const std::wstring path = ExtendedPath(destination);
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file || MarkForDeletion(file.Get(), true))
        return file;
    file.Reset();
    stray = !DeleteFileW(path.c_str());
    return UniqueFile();
}

bool PathIsThere(const std::wstring& path)
{
    return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A destination that could not be made new because another file than the
// source is there: the output is made new under the next free name instead.
// An empty handle, with `destination` unchanged, where the destination is
// missing (another failure) or the source itself; with OutputCreateFailed
// when no free name can be made.
UniqueFile CreateUnderFreeName(const std::wstring& source, std::wstring& destination, bool& stray,
                               TransformStatus& status)
{
    if (!PathIsThere(destination) || IsSameFile(source, destination))
        return UniqueFile();
    status = TransformStatus::OutputCreateFailed;
    const std::wstring free = FreeOutputName(destination, PathIsThere);
    if (free.empty())
        return UniqueFile();
    destination = free;
    UniqueFile file = CreateMarkedDestination(destination, stray);
    if (file)
        status = TransformStatus::Ok;
    return file;
}

TransformOutcome Failure(TransformStatus status, DWORD error)
{
    TransformOutcome outcome;
    outcome.status = status;
    outcome.systemError = error;
    return outcome;
}

bool StopAsked(const TransformRequest& request)
{
    return request.stop && request.stop->load();
}

// Transforms one piece in place; false when the key could not be read.
bool TransformPiece(uint8_t* data, DWORD length, uint64_t size, CipherStream& stream, CipherProgress* progress)
{
    if (progress)
        stream.ApplyWithProgress(data, length, size, *progress);
    else
        stream.Apply(data, length);
    return !stream.Failed();
}

// Transforms and writes one piece; the status of a failed write or key read.
TransformStatus TransformAndWrite(HANDLE output, uint8_t* data, DWORD length, uint64_t size, CipherStream& stream,
                                  CipherProgress* progress, DWORD& error)
{
    if (!TransformPiece(data, length, size, stream, progress))
        return TransformStatus::KeyReadFailed;
    if (WriteExactly(output, data, length))
        return TransformStatus::Ok;
    error = GetLastError();
    return TransformStatus::WriteFailed;
}

// Reads, transforms and writes the whole source; the status of the first
// failure. A source of more than one piece is read and transformed ahead on
// a second thread, each piece while it is still in that processor's cache,
// while the pieces before are written here.
TransformStatus CopyTransformed(HANDLE source, HANDLE output, uint64_t size, CipherStream& stream,
                                const TransformRequest& request, DWORD& error)
{
    CipherProgress* progress = request.progress;
    ReadAhead reader(source, size, TransformChunkBytes);
    reader.SetPieceWork(
        [&](uint8_t* data, DWORD length) { return TransformPiece(data, length, size, stream, progress); });
    if (size > TransformChunkBytes / ReadAhead::Pieces && reader.Start()) {
        for (uint64_t done = 0; done < size;) {
            if (StopAsked(request))
                return TransformStatus::Stopped;
            DWORD length = 0;
            uint8_t* piece = reader.Next(length, error);
            if (!piece)
                return reader.WorkFailed() ? TransformStatus::KeyReadFailed : TransformStatus::SourceReadFailed;
            if (!WriteExactly(output, piece, length)) {
                error = GetLastError();
                return TransformStatus::WriteFailed;
            }
            reader.Release();
            done += length;
        }
        return TransformStatus::Ok;
    }
    const size_t bufferBytes = static_cast<size_t>(std::min<uint64_t>(size, TransformChunkBytes));
    PlainBuffer buffer;
    if (!buffer.Take(bufferBytes))
        return TransformStatus::OutOfMemory;
    for (uint64_t done = 0; done < size;) {
        if (request.stop && request.stop->load())
            return TransformStatus::Stopped;
        const DWORD piece = static_cast<DWORD>(std::min<uint64_t>(bufferBytes, size - done));
        if (!ReadExactly(source, buffer.get(), piece)) {
            error = GetLastError();
            return TransformStatus::SourceReadFailed;
        }
        const TransformStatus written = TransformAndWrite(output, buffer.get(), piece, size, stream, progress, error);
        if (written != TransformStatus::Ok)
            return written;
        done += piece;
    }
    return TransformStatus::Ok;
}

} // namespace

bool ReadExactly(HANDLE file, uint8_t* data, DWORD length)
{
    // A pipe or a network file may give less than asked before its end.
    while (length > 0) {
        DWORD got = 0;
        if (!ReadFile(file, data, length, &got, nullptr))
            return false;
        if (got == 0) {
            SetLastError(ERROR_HANDLE_EOF); // the file ended early: its error, not a stale one
            return false;
        }
        data += got;
        length -= got;
    }
    return true;
}

bool WriteExactly(HANDLE file, const uint8_t* data, DWORD length)
{
    // A volume that fills takes part of a write; the next one tells why.
    while (length > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, length, &written, nullptr))
            return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

bool IsSameFile(const std::wstring& first, const std::wstring& second)
{
    return IdentityOfFile(first).SameFile(IdentityOfFile(second));
}

TransformStatus LegacyTransformSteps::Prepare(HANDLE, uint64_t)
{
    if (request_.key && request_.key->legacyTooLarge)
        return TransformStatus::KeyFileTooLarge;
    if (!request_.key || !request_.key->Usable())
        return TransformStatus::KeyUnavailable;
    return TransformStatus::Ok;
}

TransformStatus LegacyTransformSteps::Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error)
{
    if (request_.sourceSized)
        request_.sourceSized(size);
    const JobKey& key = *request_.key;
    if (key.file) {
        // Each file starts at the key's first byte.
        const std::unique_ptr<KeyReader> reader = key.file->NewReader();
        CipherStream stream(*reader, key.level);
        return CopyTransformed(source, output, size, stream, request_, error);
    }
    CipherStream stream(key.bytes.data(), key.bytes.size(), key.level);
    return CopyTransformed(source, output, size, stream, request_, error);
}

bool CreateFolderChain(const std::wstring& folder)
{
    return folder.empty() || MakeFolder(ExtendedPath(folder));
}

TransformOutcome TransformFile(const TransformRequest& request)
{
    LegacyTransformSteps steps(request);
    return TransformThroughTemporary(request, steps);
}

TransformOutcome TransformThroughTemporary(const std::wstring& sourcePath, const std::wstring& destination,
                                           TransformSteps& steps)
{
    TransformRequest request;
    request.source = sourcePath;
    request.destination = destination;
    return TransformThroughTemporary(request, steps);
}

TransformOutcome TransformThroughTemporary(const TransformRequest& request, TransformSteps& steps)
{
    std::wstring destination = request.destination;
    UniqueFile source = OpenSource(request.source);
    if (!source)
        return Failure(TransformStatus::SourceOpenFailed, GetLastError());
    LARGE_INTEGER sizeValue{};
    if (!GetFileSizeEx(source.Get(), &sizeValue))
        return Failure(TransformStatus::SourceReadFailed, GetLastError());
    const uint64_t size = static_cast<uint64_t>(sizeValue.QuadPart);

    const TransformStatus prepared = steps.Prepare(source.Get(), size);
    if (prepared != TransformStatus::Ok)
        return Failure(prepared, 0);

    TransformOutcome outcome;
    outcome.size = size;
    // Only now is there something to write: a source that cannot be read
    // leaves no empty folder behind. (A destination that exists already has
    // its folder, so nothing is made for one refused below.)
    if (request.createFolder && !CreateFolderChain(FolderOf(destination)))
        return Failure(TransformStatus::OutputCreateFailed, GetLastError());
    std::wstring temporary;
    DWORD error = 0;
    bool stray = false;
    // A destination made new here was neither the key file nor the source
    // nor an earlier output: only one that could not be made is looked at.
    UniqueFile output = CreateMarkedDestination(destination, stray);
    if (!output && !stray && request.freeName) {
        TransformStatus freeStatus = TransformStatus::Ok;
        output = CreateUnderFreeName(request.source, destination, stray, freeStatus);
        if (freeStatus != TransformStatus::Ok && !stray)
            return Failure(freeStatus, GetLastError());
    }
    const bool marked = static_cast<bool>(output);
    if (stray) {
        outcome = Failure(TransformStatus::OutputCreateFailed, ERROR_ACCESS_DENIED);
        outcome.strayTemporary = destination;
        return outcome;
    }
    Destination old;
    if (!marked) {
        const TransformStatus verdict = InspectDestination(request, old);
        if (verdict != TransformStatus::Ok)
            return Failure(verdict, ERROR_ACCESS_DENIED);
        output = CreateTemporaryBeside(destination, temporary, error);
        if (!output)
            return Failure(TransformStatus::OutputCreateFailed, error);
    }

    outcome.status = steps.Fill(source.Get(), output.Get(), size, error);
    if (!marked && old.exists && outcome.status == TransformStatus::Ok)
        KeepTimeAndPermissions(output.Get(), old, outcome);
    // On the disk before it takes the destination's name or loses its mark:
    // a power loss after the replacement finds the whole file there.
    if (outcome.status == TransformStatus::Ok && !FlushFileBuffers(output.Get())) {
        error = GetLastError();
        outcome.status = TransformStatus::WriteFailed;
    }
    // Both are closed before the replacement: in place, the destination is the source.
    source.Reset();
    if (marked && outcome.status == TransformStatus::Ok && !MarkForDeletion(output.Get(), false)) {
        error = GetLastError();
        outcome.status = TransformStatus::ReplaceFailed;
    }
    if (!CloseHandle(output.Release()) && outcome.status == TransformStatus::Ok) {
        error = GetLastError();
        outcome.status = TransformStatus::WriteFailed;
    }
    if (!marked && outcome.status == TransformStatus::Ok)
        outcome.status = PutInPlace(temporary, destination, old, error, outcome.attributesLost);
    if (outcome.status != TransformStatus::Ok) {
        outcome.systemError = error;
        // A marked output went with its handle, unless it had been unmarked.
        const std::wstring& unfinished = marked ? destination : temporary;
        const std::wstring unfinishedPath = ExtendedPath(unfinished);
        // It may carry the read-only attribute of the file it was to replace.
        if (!marked)
            SetFileAttributesW(unfinishedPath.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (GetFileAttributesW(unfinishedPath.c_str()) != INVALID_FILE_ATTRIBUTES
            && !DeleteFileW(unfinishedPath.c_str()))
            outcome.strayTemporary = unfinished;
    }
    return outcome;
}

} // namespace quenzel
