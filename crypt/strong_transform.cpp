#include "crypt/strong_transform.h"

#include "base/handles.h"
#include "base/long_path.h"
#include "crypt/piece_pipeline.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

namespace quenzel {

namespace {

// The engine's progress on the legacy transform's bar: for files of 100
// bytes and more the percentage of `size`, below that one step per byte;
// and the job's stop flag, looked at before each chunk.
class ProgressInPercent : public StrongProgress {
public:
    ProgressInPercent(const TransformRequest& request, uint64_t size)
        : progress_(request.progress)
        , stop_(request.stop)
        , size_(size)
    { }
    bool StopAsked() const override { return stop_ && stop_->load(); }
    void Advanced(uint64_t bytes) override
    {
        if (!progress_)
            return;
        if (size_ < StepwiseProgressLimit) {
            for (; stepped_ < std::min(bytes, size_); ++stepped_)
                progress_->Step();
            return;
        }
        progress_->SetPosition(static_cast<uint32_t>(std::min<uint64_t>(bytes / (size_ / 100), 100)));
    }

private:
    CipherProgress* progress_;
    const std::atomic<bool>* stop_;
    uint64_t size_;
    uint64_t stepped_ = 0;
};

// The status of a pipeline that gave up, with the system's error.
TransformStatus PipelineFailure(const PiecePipeline& pipeline, DWORD& error)
{
    error = pipeline.Error();
    return pipeline.Failed() == PiecePipeline::Failure::Read ? TransformStatus::SourceReadFailed
                                                             : TransformStatus::WriteFailed;
}

// Takes each chunk from the pipeline, lets `process` seal or open it in its
// buffer and hand it to the writer (it returns the bytes of the source done
// with, or a failure), and ends the pipeline; stops when asked.
template <typename ProcessChunk>
TransformStatus RunChunks(PiecePipeline& pipeline, uint64_t chunks, ProgressInPercent& progress, DWORD& error,
                          ProcessChunk process)
{
    uint64_t done = 0;
    for (uint64_t chunk = 0; chunk < chunks; ++chunk) {
        if (progress.StopAsked())
            return TransformStatus::Stopped;
        DWORD length = 0;
        uint8_t* buffer = pipeline.Next(length);
        if (!buffer)
            return PipelineFailure(pipeline, error);
        uint64_t advanced = 0;
        const TransformStatus status = process(buffer, length, chunk + 1 == chunks, advanced);
        if (status != TransformStatus::Ok)
            return status;
        done += advanced;
        progress.Advanced(done);
    }
    return pipeline.Finish() ? TransformStatus::Ok : PipelineFailure(pipeline, error);
}

// Seals the source's chunks in the pipeline's buffers, in place, while the
// chunks after them are read and those before written.
TransformStatus SealChunks(HANDLE source, HANDLE output, uint64_t size, StrongEncryptor& encryptor,
                           ProgressInPercent& progress, DWORD& error)
{
    StrongChunkStream stream;
    StrongHeader header;
    const StrongStatus started = encryptor.Start(stream, header);
    if (started != StrongStatus::Ok)
        return FromStrongStatus(started);
    if (!WriteExactly(output, header.data(), static_cast<DWORD>(header.size()))) {
        error = GetLastError();
        return TransformStatus::WriteFailed;
    }
    // A file of whole chunks (the empty one too) ends with an empty chunk.
    const uint64_t chunks = size / StrongChunkBytes + 1;
    PiecePipeline pipeline(source, output, StrongSealedChunkBytes, StrongChunkPlainAt);
    if (!pipeline.Start(size, StrongChunkBytes, chunks))
        return TransformStatus::OutOfMemory;
    return RunChunks(pipeline, chunks, progress, error,
                     [&](uint8_t* buffer, DWORD length, bool final, uint64_t& advanced) {
                         pipeline.Write(static_cast<DWORD>(stream.Seal(buffer, length, final)));
                         advanced = length;
                         return TransformStatus::Ok;
                     });
}

// Reads the start of a strong file, up to the longest header (`length`
// bytes; less when the file is shorter), and leaves the file at the end of
// its version's header, where its chunks begin.
bool ReadHeaderArea(HANDLE source, uint64_t size, StrongHeader& header, size_t& length)
{
    length = static_cast<size_t>(std::min<uint64_t>(size, header.size()));
    if (!ReadExactly(source, header.data(), static_cast<DWORD>(length)))
        return false;
    const size_t own = length > StrongVersionAt ? StrongHeaderBytesFor(header[StrongVersionAt]) : 0;
    LARGE_INTEGER chunksAt{};
    chunksAt.QuadPart = static_cast<LONGLONG>(own != 0 && own < length ? own : length);
    return SetFilePointerEx(source, chunksAt, nullptr, FILE_BEGIN) != FALSE;
}

// Opens a strong file's chunks in the pipeline's buffers, in place, each
// written once it authenticates. The chunks are cut by the file's size: the
// final one must end it, and the file must not end before it.
TransformStatus OpenChunks(HANDLE source, HANDLE output, uint64_t size, StrongDecryptor& decryptor,
                           ProgressInPercent& progress, DWORD& error)
{
    StrongHeader header;
    size_t headerLength = 0;
    if (!ReadHeaderArea(source, size, header, headerLength)) {
        error = GetLastError();
        return TransformStatus::SourceReadFailed;
    }
    StrongChunkStream stream;
    const StrongStatus started = decryptor.Start(header.data(), headerLength, stream);
    if (started != StrongStatus::Ok)
        return FromStrongStatus(started);
    const uint64_t body = size - StrongHeaderBytesFor(header[StrongVersionAt]);
    if (body == 0)
        return FromStrongStatus(StrongStatus::Truncated);
    const uint64_t chunks = (body + StrongSealedChunkBytes - 1) / StrongSealedChunkBytes;
    PiecePipeline pipeline(source, output, StrongSealedChunkBytes, 0);
    if (!pipeline.Start(body, StrongSealedChunkBytes, chunks))
        return TransformStatus::OutOfMemory;
    return RunChunks(pipeline, chunks, progress, error,
                     [&](uint8_t* buffer, DWORD length, bool final, uint64_t& advanced) {
                         size_t opened = 0;
                         bool last = false;
                         StrongStatus status = stream.Open(buffer, length, opened, last);
                         if (status == StrongStatus::Ok && last != final)
                             status = last ? StrongStatus::Damaged : StrongStatus::Truncated;
                         if (status != StrongStatus::Ok)
                             return FromStrongStatus(status);
                         // The plaintext lies one byte in, where it was opened.
                         pipeline.Write(static_cast<DWORD>(opened), StrongChunkPlainAt);
                         advanced = opened;
                         return TransformStatus::Ok;
                     });
}

class StrongEncryptSteps : public TransformSteps {
public:
    StrongEncryptSteps(const TransformRequest& request, StrongEncryptor& encryptor)
        : request_(request)
        , encryptor_(encryptor)
    { }
    TransformStatus Prepare(HANDLE, uint64_t) override { return TransformStatus::Ok; }
    TransformStatus Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error) override
    {
        if (request_.sourceSized)
            request_.sourceSized(size);
        ProgressInPercent progress(request_, size);
        return SealChunks(source, output, size, encryptor_, progress, error);
    }

private:
    const TransformRequest& request_;
    StrongEncryptor& encryptor_;
};

// Looks at the source's first bytes: a strong file goes to the decryptor,
// a file clearly of the original format to the legacy steps. A file whose
// start is the magic but for a byte or two, or that is shorter than a
// strong header, is a damaged strong file: refused before any output, so a
// damaged file is never decrypted as one of the format that cannot tell.
class DecryptByFormatSteps : public TransformSteps {
public:
    DecryptByFormatSteps(const TransformRequest& request, StrongDecryptor& decryptor)
        : request_(request)
        , decryptor_(decryptor)
        , legacy_(request)
    { }
    TransformStatus Prepare(HANDLE source, uint64_t size) override
    {
        uint8_t start[sizeof StrongMagic] = {};
        const DWORD length = static_cast<DWORD>(std::min<uint64_t>(size, sizeof start));
        LARGE_INTEGER origin{};
        if (!ReadExactly(source, start, length) || !SetFilePointerEx(source, origin, nullptr, FILE_BEGIN))
            return TransformStatus::SourceReadFailed;
        switch (ClassifyStart(start, length)) {
        case StrongStart::Other:
            return legacy_.Prepare(source, size);
        case StrongStart::Damaged:
            return TransformStatus::WrongKeyOrDamaged;
        case StrongStart::Strong:
            break;
        }
        strong_ = true;
        // Shorter than the shortest header (version 1's): the engine tells the rest.
        return size < StrongHeaderBytesV1 ? TransformStatus::WrongKeyOrDamaged : TransformStatus::Ok;
    }
    bool Strong() const { return strong_; }
    TransformStatus Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error) override
    {
        if (!strong_)
            return legacy_.Fill(source, output, size, error);
        if (request_.sourceSized)
            request_.sourceSized(size);
        ProgressInPercent progress(request_, size);
        return OpenChunks(source, output, size, decryptor_, progress, error);
    }

private:
    const TransformRequest& request_;
    StrongDecryptor& decryptor_;
    LegacyTransformSteps legacy_;
    bool strong_ = false;
};

// Opens the first chunk of a strong file whose header area has been read
// (`headerLength` bytes, the file left where its chunks begin): Ok when it
// authenticates under the decryptor's key. Its plaintext is wiped again.
TransformStatus OpenFirstChunk(HANDLE source, uint64_t size, const StrongHeader& header, size_t headerLength,
                               StrongDecryptor& decryptor)
{
    StrongChunkStream stream;
    const StrongStatus started = decryptor.Start(header.data(), headerLength, stream);
    if (started != StrongStatus::Ok)
        return FromStrongStatus(started);
    const uint64_t body = size - StrongHeaderBytesFor(header[StrongVersionAt]);
    const DWORD length = static_cast<DWORD>(std::min<uint64_t>(body, StrongSealedChunkBytes));
    if (length == 0)
        return FromStrongStatus(StrongStatus::Truncated);
    const std::unique_ptr<uint8_t[]> chunk(new (std::nothrow) uint8_t[length]);
    if (!chunk)
        return TransformStatus::OutOfMemory;
    if (!ReadExactly(source, chunk.get(), length))
        return TransformStatus::SourceReadFailed;
    size_t opened = 0;
    bool last = false;
    const StrongStatus status = stream.Open(chunk.get(), length, opened, last);
    WipeSecret(chunk.get(), length);
    return FromStrongStatus(status);
}

} // namespace

TransformStatus FromStrongStatus(StrongStatus status)
{
    switch (status) {
    case StrongStatus::Ok:
        return TransformStatus::Ok;
    case StrongStatus::NotStrongFormat: // only asked of a file that starts as a strong one
    case StrongStatus::BadParameters:
    case StrongStatus::WrongKeyOrDamaged:
    case StrongStatus::Damaged:
    case StrongStatus::Truncated:
        return TransformStatus::WrongKeyOrDamaged;
    case StrongStatus::Stopped:
        return TransformStatus::Stopped;
    case StrongStatus::UnsupportedVersion:
        return TransformStatus::LaterVersion;
    case StrongStatus::ReadFailed:
        return TransformStatus::SourceReadFailed;
    case StrongStatus::WriteFailed:
        return TransformStatus::WriteFailed;
    case StrongStatus::OutOfMemory:
        return TransformStatus::OutOfMemory;
    case StrongStatus::NoHashingMemory:
        return TransformStatus::NoHashingMemory;
    case StrongStatus::LibraryFailed:
        return TransformStatus::StrongUnavailable;
    }
    return TransformStatus::StrongUnavailable;
}

TransformOutcome StrongEncryptFile(const TransformRequest& request, StrongEncryptor& encryptor)
{
    StrongEncryptSteps steps(request, encryptor);
    return TransformThroughTemporary(request, steps);
}

TransformOutcome DecryptFileByFormat(const TransformRequest& request, StrongDecryptor& decryptor)
{
    DecryptByFormatSteps steps(request, decryptor);
    TransformOutcome outcome = TransformThroughTemporary(request, steps);
    outcome.originalFormat = outcome.status == TransformStatus::Ok && !steps.Strong();
    return outcome;
}

StrongStatus JobTransformer::PrepareStrongEncryption(const SecretBytes& keyInput)
{
    const StrongStatus status = encryptor_.Prepare(keyInput);
    strongEncryption_ = status == StrongStatus::Ok;
    return status;
}

void JobTransformer::PrepareDecryption(SecretBytes keyInput)
{
    decryptor_ = std::make_unique<StrongDecryptor>(std::move(keyInput));
}

void JobTransformer::AskBeforeMoreKeys(StrongDecryptor::GoOnQuestion question)
{
    if (decryptor_)
        decryptor_->AskBeforeMoreKeys(std::move(question));
}

TransformStatus JobTransformer::CheckKey(const std::wstring& source)
{
    if (!decryptor_)
        return TransformStatus::Ok;
    UniqueFile file(CreateFileW(ExtendedPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file)
        return TransformStatus::SourceOpenFailed;
    if (!GetFileSizeEx(file.Get(), &size))
        return TransformStatus::SourceReadFailed;
    StrongHeader header{};
    size_t length = 0;
    if (!ReadHeaderArea(file.Get(), static_cast<uint64_t>(size.QuadPart), header, length))
        return TransformStatus::SourceReadFailed;
    // The transform tells a damaged start from the original format the same way.
    switch (ClassifyStart(header.data(), std::min<size_t>(length, sizeof StrongMagic))) {
    case StrongStart::Other:
        return TransformStatus::Ok;
    case StrongStart::Damaged:
        return TransformStatus::WrongKeyOrDamaged;
    case StrongStart::Strong:
        break;
    }
    return OpenFirstChunk(file.Get(), static_cast<uint64_t>(size.QuadPart), header, length, *decryptor_);
}

TransformOutcome JobTransformer::Transform(const TransformRequest& request)
{
    if (decryptor_)
        return DecryptFileByFormat(request, *decryptor_);
    if (strongEncryption_)
        return StrongEncryptFile(request, encryptor_);
    return TransformFile(request);
}

} // namespace quenzel
