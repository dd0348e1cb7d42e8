#include "crypt/file_transform.h"

#include "base/handles.h"
#include "base/long_path.h"
#include "crypt/cipher_key.h"
#include "engine/output_names.h"
#include "crypt/plain_buffer.h"
#include "crypt/read_ahead.h"

#include <windows.h>
// After windows.h: RtlGenRandom.
#include <ntsecapi.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <vector>

namespace quenzel {

namespace {

// Temporary names drawn before the output counts as not creatable: a drawn
// name is taken only where a file happens to be there under it.
constexpr int TemporaryNameAttempts = 4;
// Random bytes in a temporary file's name, as hex digits.
constexpr ULONG TemporaryNameRandomBytes = 8;

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

// The output, in the destination's place, takes the replaced file's creation
// time and its hidden, system and read-only attributes through its handle;
// false when it could not.
bool KeepTimeAndAttributes(HANDLE output, const Destination& old)
{
    FILE_BASIC_INFO basic{};
    basic.CreationTime.LowPart = old.created.dwLowDateTime;
    basic.CreationTime.HighPart = static_cast<LONG>(old.created.dwHighDateTime);
    const DWORD kept = old.attributes & KeptAttributes;
    // No attribute (0) leaves the output's own as they are.
    basic.FileAttributes = kept ? kept | FILE_ATTRIBUTE_ARCHIVE : 0;
    return SetFileInformationByHandle(output, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Sets or clears a file's delete-on-close mark.
bool MarkForDeletion(HANDLE file, bool deleteOnClose)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Gives an open file the name `target` (an extended path), replacing the
// file there; needs the handle's DELETE access.
bool RenameThroughHandle(HANDLE file, const std::wstring& target)
{
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(target.begin(), target.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

// The finished temporary file, still open, takes the destination's place
// through its own handle: its delete-on-close mark is cleared only just
// before, and set again when the move fails (`marked` tells whether it
// has the mark). A read-only destination (allowed to be replaced) gives up
// the attribute for the move and has it back when the move fails. Once in
// place, the output takes the replaced file's creation time and attributes.
TransformStatus PutInPlace(HANDLE output, const std::wstring& target, const Destination& old, DWORD& error,
                           bool& marked, bool& attributesLost)
{
    const std::wstring to = ExtendedPath(target);
    const bool unlocked = old.exists && (old.attributes & FILE_ATTRIBUTE_READONLY);
    if (unlocked && !SetFileAttributesW(to.c_str(), old.attributes & ~FILE_ATTRIBUTE_READONLY)) {
        error = GetLastError();
        return TransformStatus::ReplaceFailed;
    }
    marked = !MarkForDeletion(output, false);
    if (!marked && RenameThroughHandle(output, to)) {
        if (old.exists && !KeepTimeAndAttributes(output, old))
            attributesLost = true;
        return TransformStatus::Ok;
    }
    error = GetLastError();
    if (!marked)
        marked = MarkForDeletion(output, true);
    if (unlocked && !SetFileAttributesW(to.c_str(), old.attributes))
        attributesLost = true;
    return TransformStatus::ReplaceFailed;
}

// Random hex digits from the system's random source, for a name no other
// program can tell before the file is there; false when the source fails.
bool RandomHex(std::wstring& text)
{
    uint8_t bytes[TemporaryNameRandomBytes];
    if (!RtlGenRandom(bytes, sizeof bytes))
        return false;
    constexpr wchar_t Digits[] = L"0123456789abcdef";
    text.clear();
    for (const uint8_t byte : bytes) {
        text += Digits[byte >> 4];
        text += Digits[byte & 0xF];
    }
    return true;
}

// A read-only file cannot be marked for deletion. A new file comes out
// read-only where its volume makes the attribute from the access control
// list it is given (Wine does, from a Unix mode without write bits): it
// loses the attribute through its handle, and a replaced read-only file's
// attribute comes back once the output has its place.
bool MakeMarkable(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return false;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return true;
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = info.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

// Removes an unfinished output that is still there by its name; false when
// it stays. One that went with its handle counts as removed.
bool RemoveUnfinished(const std::wstring& path)
{
    const std::wstring extended = ExtendedPath(path);
    if (GetFileAttributesW(extended.c_str()) == INVALID_FILE_ATTRIBUTES)
        return true;
    // It may be read-only.
    return SetFileAttributesW(extended.c_str(), FILE_ATTRIBUTE_NORMAL) && DeleteFileW(extended.c_str());
}

// A new file, opened for writing and marked for deletion on close until it
// is complete: a job that dies, however, leaves nothing behind. It has
// `security` (null: what its folder gives a new file) from its creation. An
// empty handle, with the system's error in `error`, when the file exists
// after all or the mark cannot be set; then the file is removed again, and
// `stray` tells when that failed.
UniqueFile CreateMarked(const std::wstring& path, SECURITY_ATTRIBUTES* security, DWORD& error, bool& stray)
{
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | DELETE, 0,
                                security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        error = GetLastError();
        return file;
    }
    if (MakeMarkable(file.Get()) && MarkForDeletion(file.Get(), true))
        return file;
    error = GetLastError();
    file.Reset();
    stray = !RemoveUnfinished(path);
    return UniqueFile();
}

// A new temporary file of a random name in the destination's folder, marked
// as CreateMarked does, with the destination's access control list from its
// creation. An empty handle when none could be made; `temporary` is then
// empty, or the name of the file that could not be removed again (`stray`).
UniqueFile CreateTemporaryBeside(const std::wstring& destination, const Destination& old, std::wstring& temporary,
                                 DWORD& error, bool& stray)
{
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    if (!old.security.empty())
        security.lpSecurityDescriptor = const_cast<BYTE*>(old.security.data());
    std::wstring random;
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        if (!RandomHex(random)) {
            error = GetLastError();
            break;
        }
        temporary = FolderPrefix(destination) + L"~quenzel-" + random + L".tmp";
        UniqueFile file = CreateMarked(temporary, &security, error, stray);
        if (file || stray)
            return file;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    temporary.clear();
    return UniqueFile();
}

// Where no earlier output exists, the output is written in the destination's
// place at once, marked for deletion until it is complete: no rename is paid
// per file.
UniqueFile CreateMarkedDestination(const std::wstring& destination, bool& stray)
{
    DWORD error = 0;
    UniqueFile file = CreateMarked(destination, nullptr, error, stray);
    SetLastError(error);
    return file;
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
    // The output is the destination itself, made new; otherwise a temporary file beside it.
    const bool madeNew = static_cast<bool>(output);
    if (stray) {
        outcome = Failure(TransformStatus::OutputCreateFailed, ERROR_ACCESS_DENIED);
        outcome.strayTemporary = destination;
        return outcome;
    }
    Destination old;
    if (!madeNew) {
        const TransformStatus verdict = InspectDestination(request, old);
        if (verdict != TransformStatus::Ok)
            return Failure(verdict, ERROR_ACCESS_DENIED);
        output = CreateTemporaryBeside(destination, old, temporary, error, stray);
        if (!output) {
            outcome = Failure(TransformStatus::OutputCreateFailed, error);
            outcome.strayTemporary = stray ? temporary : std::wstring();
            return outcome;
        }
        // The destination's access control list could not be read: the
        // temporary file has what its folder gives.
        outcome.permissionsLost = old.securityUnread;
    }

    outcome.status = steps.Fill(source.Get(), output.Get(), size, error);
    // On the disk before it takes the destination's name or loses its mark:
    // a power loss after the replacement finds the whole file there.
    if (outcome.status == TransformStatus::Ok && !FlushFileBuffers(output.Get())) {
        error = GetLastError();
        outcome.status = TransformStatus::WriteFailed;
    }
    // Closed before the replacement: in place, the destination is the source.
    source.Reset();
    bool marked = true;
    if (outcome.status == TransformStatus::Ok) {
        if (!madeNew)
            outcome.status = PutInPlace(output.Get(), destination, old, error, marked, outcome.attributesLost);
        else if (MarkForDeletion(output.Get(), false))
            marked = false;
        else {
            error = GetLastError();
            outcome.status = TransformStatus::ReplaceFailed;
        }
    }
    if (!CloseHandle(output.Release()) && outcome.status == TransformStatus::Ok) {
        error = GetLastError();
        outcome.status = TransformStatus::WriteFailed;
    }
    if (outcome.status != TransformStatus::Ok) {
        outcome.systemError = error;
        // A marked output went with its handle; only one whose mark was
        // cleared is removed by its name.
        const std::wstring& unfinished = madeNew ? destination : temporary;
        if (!marked && !RemoveUnfinished(unfinished))
            outcome.strayTemporary = unfinished;
    }
    return outcome;
}

} // namespace quenzel
