// The engine's files on Windows: handles opened by their extended paths, a
// temporary output of a random name beside its destination, marked for
// deletion on close until it is flushed and renamed through its own handle.
#include "engine/byte_stream.h"

#include "base/long_path.h"
#include "engine/strong_format.h"

#include <windows.h>

#include <sodium.h>

#include <algorithm>
#include <vector>

namespace quenzel {

namespace {

// Random bytes in a temporary file's name, as hex digits.
constexpr size_t TemporaryNameRandomBytes = 8;
// The largest piece one ReadFile or WriteFile call takes.
constexpr size_t MostBytesPerCall = 1u << 30;

StreamError ErrorOf(DWORD code, StreamFailure otherwise)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return {StreamFailure::NotFound, code};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return {StreamFailure::AccessDenied, code};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return {StreamFailure::Exists, code};
    default:
        return {otherwise, code};
    }
}

class Handle {
public:
    Handle(HANDLE handle, bool owned)
        : handle_(handle)
        , owned_(owned)
    { }
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool Close()
    {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return !owned_ || handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
    bool owned_;
};

class Win32Reader final : public FileReader {
public:
    Win32Reader(HANDLE handle, bool owned)
        : handle_(handle, owned)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        DWORD read = 0;
        if (!ReadFile(handle_.get(), data, static_cast<DWORD>(std::min(length, MostBytesPerCall)), &read, nullptr)) {
            const DWORD code = GetLastError();
            // A pipe whose writer has finished ends the input.
            if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) {
                got = 0;
                return true;
            }
            error_ = {StreamFailure::ReadFailed, code};
            return false;
        }
        got = read;
        return true;
    }
    bool KnownSize(uint64_t& size) const override
    {
        LARGE_INTEGER bytes{};
        if (GetFileType(handle_.get()) != FILE_TYPE_DISK || !GetFileSizeEx(handle_.get(), &bytes))
            return false;
        size = static_cast<uint64_t>(bytes.QuadPart);
        return true;
    }
    StreamError LastError() const override { return error_; }

private:
    Handle handle_;
    StreamError error_;
};

bool WriteAll(HANDLE handle, const uint8_t* data, size_t length, StreamError& error)
{
    while (length > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, data, static_cast<DWORD>(std::min(length, MostBytesPerCall)), &written, nullptr)) {
            error = {StreamFailure::WriteFailed, GetLastError()};
            return false;
        }
        data += written;
        length -= written;
    }
    return true;
}

class Win32StandardWriter final : public FileWriter {
public:
    bool Write(const uint8_t* data, size_t length) override
    {
        return WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), data, length, error_);
    }
    bool Commit(StreamError& error) override
    {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        // Only a file given as the standard output has anything to flush.
        if (GetFileType(output) == FILE_TYPE_DISK && !FlushFileBuffers(output)) {
            error = {StreamFailure::WriteFailed, GetLastError()};
            return false;
        }
        return true;
    }
    bool Discard(StreamError&) override { return true; }
    SystemPath Temporary() const override { return {}; }
    StreamError LastError() const override { return error_; }

private:
    StreamError error_;
};

// Sets or clears a file's delete-on-close mark.
bool MarkForDeletion(HANDLE file, bool deleteOnClose)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Gives an open file the name `target` (an extended path); needs the
// handle's DELETE access.
bool RenameThroughHandle(HANDLE file, const std::wstring& target, bool replace)
{
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = replace ? TRUE : FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(target.begin(), target.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

std::wstring FolderPrefix(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// The absolute form of a path (the rename through a handle needs one).
std::wstring FullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

std::wstring RandomName()
{
    uint8_t bytes[TemporaryNameRandomBytes];
    randombytes_buf(bytes, sizeof bytes);
    constexpr wchar_t Digits[] = L"0123456789abcdef";
    std::wstring text = L".quenzel-";
    for (const uint8_t byte : bytes) {
        text += Digits[byte >> 4];
        text += Digits[byte & 0xF];
    }
    return text + L".tmp";
}

class Win32FileWriter final : public FileWriter {
public:
    Win32FileWriter(HANDLE handle, std::wstring temporary, std::wstring destination, bool replace)
        : handle_(handle, true)
        , temporary_(std::move(temporary))
        , destination_(std::move(destination))
        , replace_(replace)
    { }
    ~Win32FileWriter() override
    {
        StreamError ignored;
        Discard(ignored);
    }
    bool Write(const uint8_t* data, size_t length) override { return WriteAll(handle_.get(), data, length, error_); }
    bool Commit(StreamError& error) override
    {
        if (!FlushFileBuffers(handle_.get())) {
            error = {StreamFailure::WriteFailed, GetLastError()};
            return false;
        }
        if (!MarkForDeletion(handle_.get(), false)) {
            error = {StreamFailure::ReplaceFailed, GetLastError()};
            return false;
        }
        if (!RenameThroughHandle(handle_.get(), ExtendedPath(destination_), replace_)) {
            const DWORD code = GetLastError();
            error = ErrorOf(code, StreamFailure::ReplaceFailed);
            if (error.failure != StreamFailure::Exists)
                error.failure = StreamFailure::ReplaceFailed;
            if (!MarkForDeletion(handle_.get(), true))
                unmarked_ = true;
            return false;
        }
        committed_ = true;
        if (!handle_.Close()) {
            error = {StreamFailure::WriteFailed, GetLastError()};
            return false;
        }
        return true;
    }
    bool Discard(StreamError& error) override
    {
        if (committed_ || discarded_)
            return true;
        discarded_ = true;
        // The mark removes the file as its handle closes; a file that lost
        // its mark is deleted by name.
        const bool closed = handle_.Close();
        if (closed && !unmarked_)
            return true;
        if (DeleteFileW(ExtendedPath(temporary_).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
        error = {StreamFailure::TemporaryLeft, GetLastError()};
        return false;
    }
    SystemPath Temporary() const override { return temporary_; }
    StreamError LastError() const override { return error_; }

    // Marks the new file for deletion on close; false, the file removed
    // again (or the reason it stays), when the mark cannot be set.
    bool Marked(StreamError& error)
    {
        if (MarkForDeletion(handle_.get(), true))
            return true;
        error = {StreamFailure::CreateFailed, GetLastError()};
        unmarked_ = true;
        StreamError left;
        if (!Discard(left))
            error = left;
        return false;
    }

private:
    Handle handle_;
    std::wstring temporary_;
    std::wstring destination_;
    bool replace_;
    bool committed_ = false;
    bool discarded_ = false;
    bool unmarked_ = false;
    StreamError error_;
};

// Tries a few random names: a name drawn is taken only where a file
// happens to be there under it.
constexpr int TemporaryNameAttempts = 4;

} // namespace

std::unique_ptr<FileReader> FileReader::Open(const SystemPath& path, StreamError& error)
{
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = {StreamFailure::IsFolder, ERROR_DIRECTORY};
        return nullptr;
    }
    const HANDLE handle = CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = ErrorOf(GetLastError(), StreamFailure::ReadFailed);
        return nullptr;
    }
    return std::make_unique<Win32Reader>(handle, true);
}

std::unique_ptr<FileReader> FileReader::StandardInput()
{
    return std::make_unique<Win32Reader>(GetStdHandle(STD_INPUT_HANDLE), false);
}

std::unique_ptr<FileWriter> FileWriter::Create(const SystemPath& destination, bool replace, StreamError& error)
{
    const DWORD attributes = GetFileAttributesW(ExtendedPath(destination).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            error = {StreamFailure::IsFolder, ERROR_DIRECTORY};
            return nullptr;
        }
        if (!replace) {
            error = {StreamFailure::Exists, ERROR_FILE_EXISTS};
            return nullptr;
        }
    }
    if (!SodiumReady()) {
        error = {StreamFailure::CreateFailed, ERROR_GEN_FAILURE};
        return nullptr;
    }
    const std::wstring full = FullPath(destination);
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        const std::wstring temporary = FolderPrefix(full) + RandomName();
        const HANDLE handle = CreateFileW(ExtendedPath(temporary).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS)
                continue;
            error = ErrorOf(code, StreamFailure::CreateFailed);
            if (error.failure != StreamFailure::NotFound && error.failure != StreamFailure::AccessDenied)
                error.failure = StreamFailure::CreateFailed;
            return nullptr;
        }
        auto writer = std::make_unique<Win32FileWriter>(handle, temporary, full, replace);
        if (!writer->Marked(error))
            return nullptr;
        return writer;
    }
    error = {StreamFailure::CreateFailed, ERROR_FILE_EXISTS};
    return nullptr;
}

std::unique_ptr<FileWriter> FileWriter::StandardOutput()
{
    return std::make_unique<Win32StandardWriter>();
}

namespace {

// The volume and file index of an existing file; false when it cannot be opened.
bool FileNumber(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info)
{
    Handle file(CreateFileW(ExtendedPath(FullPath(path)).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                true);
    return file.get() != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file.get(), &info);
}

} // namespace

bool IsSameExistingFile(const SystemPath& first, const SystemPath& second)
{
    BY_HANDLE_FILE_INFORMATION one{};
    BY_HANDLE_FILE_INFORMATION other{};
    return FileNumber(first, one) && FileNumber(second, other)
        && one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh
        && one.nFileIndexLow == other.nFileIndexLow;
}

bool PathIsTaken(const SystemPath& path)
{
    return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace quenzel
