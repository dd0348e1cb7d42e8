// The engine's files on a POSIX system: descriptors, a temporary output
// made by mkstemp beside its destination, fsync before the rename.
#include "engine/byte_stream.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quenzel {

namespace {

StreamError ErrorOf(int code, StreamFailure otherwise)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return {StreamFailure::NotFound, static_cast<unsigned long>(code)};
    case EACCES:
    case EPERM:
    case EROFS:
        return {StreamFailure::AccessDenied, static_cast<unsigned long>(code)};
    case EISDIR:
        return {StreamFailure::IsFolder, static_cast<unsigned long>(code)};
    case EEXIST:
        return {StreamFailure::Exists, static_cast<unsigned long>(code)};
    default:
        return {otherwise, static_cast<unsigned long>(code)};
    }
}

// Closes a descriptor it owns; the standard streams stay open.
class Descriptor {
public:
    Descriptor(int fd, bool owned)
        : fd_(fd)
        , owned_(owned)
    { }
    ~Descriptor()
    {
        if (owned_ && fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closes it now: false when the close reports a failed write.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return !owned_ || fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
    bool owned_;
};

class PosixReader : public FileReader {
public:
    PosixReader(int fd, bool owned)
        : fd_(fd, owned)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        for (;;) {
            const ssize_t read = ::read(fd_.get(), data, length);
            if (read >= 0) {
                got = static_cast<size_t>(read);
                return true;
            }
            if (errno != EINTR) {
                error_ = ErrorOf(errno, StreamFailure::ReadFailed);
                if (error_.failure != StreamFailure::IsFolder)
                    error_.failure = StreamFailure::ReadFailed;
                return false;
            }
        }
    }
    bool KnownSize(uint64_t& size) const override
    {
        struct stat info {};
        if (::fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode))
            return false;
        size = static_cast<uint64_t>(info.st_size);
        return true;
    }
    StreamError LastError() const override { return error_; }

private:
    Descriptor fd_;
    StreamError error_;
};

bool WriteAll(int fd, const uint8_t* data, size_t length, StreamError& error)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = {StreamFailure::WriteFailed, static_cast<unsigned long>(errno)};
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

class PosixStandardWriter : public FileWriter {
public:
    bool Write(const uint8_t* data, size_t length) override { return WriteAll(STDOUT_FILENO, data, length, error_); }
    bool Commit(StreamError& error) override
    {
        // A pipe has nothing to flush; a file given as the standard output does.
        if (::fsync(STDOUT_FILENO) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP) {
            error = {StreamFailure::WriteFailed, static_cast<unsigned long>(errno)};
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

// The folder part of a path, with its separator ("" for a bare name).
std::string FolderPrefix(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Makes the rename lasting: the folder's entry is flushed too.
bool SyncFolder(const std::string& path)
{
    const std::string folder = FolderPrefix(path);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    ::close(fd);
    return synced;
}

// Gives `from` the name `to`; without `replace` an existing `to` is left
// alone (a second name by link, so there is no moment where it could be
// overwritten; the caller then removes the first name).
bool MoveInPlace(const std::string& from, const std::string& to, bool replace)
{
    if (replace)
        return ::rename(from.c_str(), to.c_str()) == 0;
    return ::link(from.c_str(), to.c_str()) == 0;
}

class PosixFileWriter : public FileWriter {
public:
    PosixFileWriter(int fd, std::string temporary, std::string destination, bool replace)
        : fd_(fd, true)
        , temporary_(std::move(temporary))
        , destination_(std::move(destination))
        , replace_(replace)
    { }
    ~PosixFileWriter() override
    {
        StreamError ignored;
        Discard(ignored);
    }
    bool Discard(StreamError& error) override
    {
        if (committed_ || discarded_)
            return true;
        discarded_ = true;
        if (::unlink(temporary_.c_str()) == 0)
            return true;
        error = {StreamFailure::TemporaryLeft, static_cast<unsigned long>(errno)};
        return false;
    }
    SystemPath Temporary() const override { return temporary_; }
    bool Write(const uint8_t* data, size_t length) override { return WriteAll(fd_.get(), data, length, error_); }
    bool Commit(StreamError& error) override
    {
        if (::fsync(fd_.get()) != 0 || !fd_.Close()) {
            error = {StreamFailure::WriteFailed, static_cast<unsigned long>(errno)};
            return false;
        }
        if (!MoveInPlace(temporary_, destination_, replace_)) {
            error = ErrorOf(errno, StreamFailure::ReplaceFailed);
            if (error.failure != StreamFailure::Exists)
                error.failure = StreamFailure::ReplaceFailed;
            return false;
        }
        committed_ = true;
        if (!replace_ && ::unlink(temporary_.c_str()) != 0) {
            error = {StreamFailure::TemporaryLeft, static_cast<unsigned long>(errno)};
            return false;
        }
        if (!SyncFolder(destination_)) {
            error = {StreamFailure::WriteFailed, static_cast<unsigned long>(errno)};
            return false;
        }
        return true;
    }
    StreamError LastError() const override { return error_; }

private:
    Descriptor fd_;
    std::string temporary_;
    std::string destination_;
    bool replace_;
    bool committed_ = false;
    bool discarded_ = false;
    StreamError error_;
};

} // namespace

std::unique_ptr<FileReader> FileReader::Open(const SystemPath& path, StreamError& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = ErrorOf(errno, StreamFailure::ReadFailed);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        error = {StreamFailure::IsFolder, static_cast<unsigned long>(EISDIR)};
        return nullptr;
    }
    return std::make_unique<PosixReader>(fd, true);
}

std::unique_ptr<FileReader> FileReader::StandardInput()
{
    return std::make_unique<PosixReader>(STDIN_FILENO, false);
}

std::unique_ptr<FileWriter> FileWriter::Create(const SystemPath& destination, bool replace, StreamError& error)
{
    struct stat info {};
    if (::stat(destination.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = {StreamFailure::IsFolder, static_cast<unsigned long>(EISDIR)};
            return nullptr;
        }
        if (!replace) {
            error = {StreamFailure::Exists, static_cast<unsigned long>(EEXIST)};
            return nullptr;
        }
    }
    std::string temporary = FolderPrefix(destination) + ".quenzel-XXXXXX";
    // mkostemp makes the file readable and writable by its owner only.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = ErrorOf(errno, StreamFailure::CreateFailed);
        if (error.failure != StreamFailure::NotFound && error.failure != StreamFailure::AccessDenied)
            error.failure = StreamFailure::CreateFailed;
        return nullptr;
    }
    return std::make_unique<PosixFileWriter>(fd, std::move(temporary), destination, replace);
}

std::unique_ptr<FileWriter> FileWriter::StandardOutput()
{
    return std::make_unique<PosixStandardWriter>();
}

bool IsSameExistingFile(const SystemPath& first, const SystemPath& second)
{
    struct stat one {};
    struct stat other {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 && one.st_dev == other.st_dev
        && one.st_ino == other.st_ino;
}

bool PathIsTaken(const SystemPath& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace quenzel
