#include "crypt/strong_transform.h"

#include <algorithm>

namespace quenzel {

namespace {

// The open source as the engine reads it; remembers the system's error.
class HandleReader : public ByteReader {
public:
    explicit HandleReader(HANDLE file) : file_(file) {}
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        DWORD read = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(length, TransformChunkBytes));
        if (!ReadFile(file_, data, piece, &read, nullptr)) {
            error_ = GetLastError();
            return false;
        }
        got = read;
        return true;
    }
    DWORD Error() const { return error_; }

private:
    HANDLE file_;
    DWORD error_ = 0;
};

// The temporary output as the engine writes it.
class HandleWriter : public ByteWriter {
public:
    explicit HandleWriter(HANDLE file) : file_(file) {}
    bool Write(const uint8_t* data, size_t length) override
    {
        while (length > 0) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(length, TransformChunkBytes));
            if (!WriteExactly(file_, data, piece)) {
                error_ = GetLastError();
                return false;
            }
            data += piece;
            length -= piece;
        }
        return true;
    }
    DWORD Error() const { return error_; }

private:
    HANDLE file_;
    DWORD error_ = 0;
};

// The engine's progress on the legacy transform's bar: for files of 100
// bytes and more the percentage of `size`, below that one step per byte;
// and the job's stop flag, looked at before each chunk.
class ProgressInPercent : public StrongProgress {
public:
    ProgressInPercent(const TransformRequest& request, uint64_t size)
        : progress_(request.progress), stop_(request.stop), size_(size)
    {
    }
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

// The status of a failed run, with the error of the side that failed.
TransformStatus Finished(StrongStatus status, const HandleReader& reader, const HandleWriter& writer,
                         DWORD& error)
{
    if (status == StrongStatus::ReadFailed)
        error = reader.Error();
    else if (status == StrongStatus::WriteFailed)
        error = writer.Error();
    return FromStrongStatus(status);
}

class StrongEncryptSteps : public TransformSteps {
public:
    StrongEncryptSteps(const TransformRequest& request, StrongEncryptor& encryptor)
        : request_(request), encryptor_(encryptor)
    {
    }
    TransformStatus Prepare(HANDLE, uint64_t) override { return TransformStatus::Ok; }
    TransformStatus Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error) override
    {
        if (request_.sourceSized)
            request_.sourceSized(size);
        HandleReader reader(source);
        HandleWriter writer(output);
        ProgressInPercent progress(request_, size);
        return Finished(encryptor_.Encrypt(reader, writer, &progress), reader, writer, error);
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
        : request_(request), decryptor_(decryptor), legacy_(request)
    {
    }
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
        return size < StrongHeaderBytes ? TransformStatus::WrongKeyOrDamaged : TransformStatus::Ok;
    }
    bool Strong() const { return strong_; }
    TransformStatus Fill(HANDLE source, HANDLE output, uint64_t size, DWORD& error) override
    {
        if (!strong_)
            return legacy_.Fill(source, output, size, error);
        if (request_.sourceSized)
            request_.sourceSized(size);
        HandleReader reader(source);
        HandleWriter writer(output);
        ProgressInPercent progress(request_, size);
        return Finished(decryptor_.Decrypt(reader, writer, &progress), reader, writer, error);
    }

private:
    const TransformRequest& request_;
    StrongDecryptor& decryptor_;
    LegacyTransformSteps legacy_;
    bool strong_ = false;
};

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

TransformOutcome JobTransformer::Transform(const TransformRequest& request)
{
    if (decryptor_)
        return DecryptFileByFormat(request, *decryptor_);
    if (strongEncryption_)
        return StrongEncryptFile(request, encryptor_);
    return TransformFile(request);
}

} // namespace quenzel
