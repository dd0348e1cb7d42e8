// The engine's byte streams: what it reads a file from and writes one to,
// and files behind them on this system (Win32 handles or POSIX
// descriptors). An output goes to a temporary file beside its destination,
// which takes the destination's place only when every byte is written and
// flushed; an output that is given up leaves nothing behind. Portable: no
// windows.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quenzel {

// Where the engine reads a file from: Read gives up to `length` bytes in
// `got`, 0 only at the end; false on a read error.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    virtual bool Read(uint8_t* data, size_t length, size_t& got) = 0;
};

// Where the engine writes to; false when a write fails.
class ByteWriter {
public:
    virtual ~ByteWriter() = default;
    virtual bool Write(const uint8_t* data, size_t length) = 0;
};

// Fills `data` as far as the reader gives; `got` falls short only at the end.
bool ReadFull(ByteReader& reader, uint8_t* data, size_t length, size_t& got);

// A reader that gives some bytes already taken from a stream (a format's
// first bytes, looked at to tell the format) and then the rest of it, so a
// pipe can be read from its start once more.
class PrefixedReader : public ByteReader {
public:
    PrefixedReader(std::vector<uint8_t> taken, ByteReader& rest)
        : taken_(std::move(taken))
        , rest_(rest)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override;

private:
    std::vector<uint8_t> taken_;
    size_t given_ = 0;
    ByteReader& rest_;
};

// A writer that throws its bytes away and counts them (a check that reads a
// file to its end without writing anything).
class CountingWriter : public ByteWriter {
public:
    bool Write(const uint8_t*, size_t length) override
    {
        written_ += length;
        return true;
    }
    uint64_t Written() const { return written_; }

private:
    uint64_t written_ = 0;
};

// A path as this system spells it: UTF-16 on Windows, bytes elsewhere.
#ifdef _WIN32
using SystemPath = std::wstring;
#else
using SystemPath = std::string;
#endif

// What a file operation failed on; the caller words it.
enum class StreamFailure {
    None,
    NotFound,      // the file or its folder is not there
    AccessDenied,  // no access, or locked by another program
    IsFolder,      // the path names a folder
    Exists,        // the destination exists and is not to be replaced
    ReadFailed,    // a read failed
    WriteFailed,   // a write failed (full volume, I/O error)
    CreateFailed,  // the temporary output could not be made
    ReplaceFailed, // the finished output could not take the destination's place
    TemporaryLeft, // an unfinished output's temporary file could not be removed
};

struct StreamError {
    StreamFailure failure = StreamFailure::None;
    // The system's own code (errno, or GetLastError), for the message's detail.
    unsigned long systemCode = 0;
};

// A file or the standard input read from its start.
class FileReader : public ByteReader {
public:
    // The file at `path`; null with the reason when it cannot be read.
    static std::unique_ptr<FileReader> Open(const SystemPath& path, StreamError& error);
    static std::unique_ptr<FileReader> StandardInput();

    // The size of a regular file; false for a pipe or a terminal.
    virtual bool KnownSize(uint64_t& size) const = 0;
    // The reason of the last failed Read.
    virtual StreamError LastError() const = 0;
};

// A file or the standard output written from its start. A file is written
// to a temporary file beside its destination (readable by its owner only),
// which Commit flushes and moves into place; a writer that goes without
// Commit removes its temporary file.
class FileWriter : public ByteWriter {
public:
    // An output for `destination`. An existing destination is refused
    // (Exists) unless `replace`, both now and when the output is committed.
    static std::unique_ptr<FileWriter> Create(const SystemPath& destination, bool replace, StreamError& error);
    static std::unique_ptr<FileWriter> StandardOutput();

    // Flushes every byte to the disk and puts the output in its place.
    virtual bool Commit(StreamError& error) = 0;
    // Gives the output up: its temporary file is removed (the destructor
    // does the same for a writer neither committed nor discarded, without
    // a word). False, with the reason, when it stays behind.
    virtual bool Discard(StreamError& error) = 0;
    // The temporary file's path (empty for the standard output), for a
    // message about a file left behind.
    virtual SystemPath Temporary() const = 0;
    // The reason of the last failed Write.
    virtual StreamError LastError() const = 0;
};

// True when something (a file or a folder) is at `path`.
bool PathIsTaken(const SystemPath& path);

// True when both paths name one existing file, however they are spelt
// (the same device and file number).
bool IsSameExistingFile(const SystemPath& first, const SystemPath& second);

} // namespace quenzel
