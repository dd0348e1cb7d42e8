#include "cli/commands.h"

#include "cli/cli_options.h"
#include "cli/key_source.h"
#include "cli/messages.h"
#include "cli/progress.h"
#include "cli/system.h"
#include "engine/key_input.h"
#include "engine/strong_format.h"

#include <chrono>
#include <cstdio>
#include <memory>

#ifndef QUENZEL_VERSION_TEXT
#define QUENZEL_VERSION_TEXT "unknown"
#endif

namespace quenzel::cli {

namespace {

using Clock = std::chrono::steady_clock;

// The name of the standard streams in messages.
constexpr char StandardInputName[] = "standard input";
constexpr char StandardOutputName[] = "standard output";

std::string Seconds(Clock::duration elapsed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", std::chrono::duration<double>(elapsed).count());
    return text;
}

// One command's run: its options, its input and output, and what it tells.
class CommandRun {
public:
    explicit CommandRun(const CliOptions& options)
        : options_(options)
    { }

    int Encrypt();
    int Decrypt();
    int Verify();
    int Info();

private:
    int Fail(Problem problem, const std::string& detail = {})
    {
        progressLine_.End();
        TellError(MessageOf(problem, detail));
        return static_cast<int>(ExitCodeOf(problem));
    }
    int Fail(const Problematic& problematic) { return Fail(problematic.problem, problematic.detail); }

    void Note(const std::string& line) const
    {
        if (options_.verbose)
            TellError("quenzel-cli: " + line);
    }

    std::string InputName() const { return ReadsStandardInput(options_) ? StandardInputName : options_.input; }

    // Opens the input and reads its first bytes (a strong header's worth),
    // which tell its format.
    bool OpenInput(Problematic& problem);
    // The input from its start again: the bytes taken, then the rest.
    ByteReader& Source() { return *source_; }
    uint64_t InputSize() const
    {
        uint64_t size = 0;
        return reader_->KnownSize(size) ? size : 0;
    }

    // Makes the output (a temporary file beside it, or the standard output).
    bool CreateOutput(bool encrypted, Problematic& problem);
    int Finish(Problem problem);

    int DecryptStrong();
    int DecryptClassic();
    // Derives the key of a strong file's header: the decryptor ready for
    // its chunks.
    bool StartStrong(std::unique_ptr<StrongDecryptor>& decryptor, Problematic& problem);

    const CliOptions& options_;
    std::unique_ptr<FileReader> reader_;
    std::vector<uint8_t> start_;
    std::unique_ptr<PrefixedReader> source_;
    StrongStart format_ = StrongStart::Other;
    std::string outputName_;
    std::unique_ptr<FileWriter> writer_;
    TerminalProgress progressLine_;
};

bool CommandRun::OpenInput(Problematic& problem)
{
    if (ReadsStandardInput(options_)) {
        reader_ = FileReader::StandardInput();
    } else {
        StreamError error;
        reader_ = FileReader::Open(SystemPathOf(options_.input), error);
        if (!reader_) {
            problem = {ProblemOfStream(error.failure, false), options_.input};
            return false;
        }
    }
    start_.resize(StrongHeaderBytesMost);
    size_t got = 0;
    if (!ReadFull(*reader_, start_.data(), start_.size(), got)) {
        problem = {Problem::ReadFailed, InputName()};
        return false;
    }
    start_.resize(got);
    format_ = ClassifyStart(start_.data(), std::min(got, sizeof StrongMagic));
    source_ = std::make_unique<PrefixedReader>(start_, *reader_);
    return true;
}

bool CommandRun::CreateOutput(bool encrypted, Problematic& problem)
{
    std::string error;
    outputName_ = OutputOf(options_, error);
    if (outputName_.empty()) {
        problem = {Problem::Usage, error};
        return false;
    }
    if (outputName_ == StandardStream) {
        if (encrypted && StandardOutputIsTerminal()) {
            problem = {Problem::EncryptedToTerminal, {}};
            return false;
        }
        writer_ = FileWriter::StandardOutput();
        outputName_ = StandardOutputName;
        return true;
    }
    if (!options_.keyFile.empty() && IsSameExistingFile(SystemPathOf(outputName_), SystemPathOf(options_.keyFile))) {
        problem = {Problem::OutputIsKeyFile, outputName_};
        return false;
    }
    StreamError streamError;
    writer_ = FileWriter::Create(SystemPathOf(outputName_), options_.force, streamError);
    if (!writer_) {
        problem = {ProblemOfStream(streamError.failure, true), outputName_};
        return false;
    }
    GuardTemporary(writer_->Temporary());
    return true;
}

// Commits the output when the run went well, removes it otherwise.
int CommandRun::Finish(Problem problem)
{
    progressLine_.End();
    StreamError error;
    if (problem == Problem::None) {
        if (!writer_->Commit(error))
            problem = ProblemOfStream(error.failure, true);
    }
    if (problem != Problem::None) {
        StreamError left;
        if (!writer_->Discard(left))
            TellError(MessageOf(Problem::TemporaryLeft, TextOfPath(writer_->Temporary())));
    }
    GuardTemporary({});
    if (problem == Problem::None)
        return static_cast<int>(ExitCode::Ok);
    const bool outputSide = problem == Problem::WriteFailed || problem == Problem::ReplaceFailed
        || problem == Problem::OutputExists || problem == Problem::OutputIsKeyFile || problem == Problem::TemporaryLeft;
    return Fail(problem, outputSide ? outputName_ : InputName());
}

int CommandRun::Encrypt()
{
    Problematic problem;
    if (!OpenInput(problem) || !CreateOutput(true, problem))
        return Fail(problem);
    SecretBytes keyInput;
    problem = EncryptionKeyInput(options_, keyInput);
    if (problem.failed())
        return Fail(problem);
    StrongEncryptor encryptor;
    const Clock::time_point started = Clock::now();
    const StrongStatus prepared = encryptor.Prepare(keyInput);
    if (prepared != StrongStatus::Ok)
        return Fail(ProblemOfStrong(prepared));
    Note("key derivation (Argon2id, " + std::to_string(StrongDefaultParams.opsLimit) + " passes, "
         + std::to_string(StrongDefaultParams.memKiB) + " KiB): " + Seconds(Clock::now() - started));
    const Clock::time_point encrypting = Clock::now();
    progressLine_.Begin(InputSize(), !options_.quiet);
    const StrongStatus status = encryptor.Encrypt(Source(), *writer_, &progressLine_);
    const int code = Finish(ProblemOfStrong(status));
    if (code == 0)
        Note("encrypted into " + outputName_ + " in " + Seconds(Clock::now() - encrypting));
    return code;
}

bool CommandRun::StartStrong(std::unique_ptr<StrongDecryptor>& decryptor, Problematic& problem)
{
    SecretBytes keyInput;
    problem = StrongKeyInput(options_, keyInput);
    if (problem.failed())
        return false;
    decryptor = std::make_unique<StrongDecryptor>(std::move(keyInput));
    // The key is derived here, once: the decryption finds it known.
    const Clock::time_point started = Clock::now();
    StrongChunkStream stream;
    const StrongStatus status = decryptor->Start(start_.data(), start_.size(), stream);
    if (status != StrongStatus::Ok) {
        problem = {ProblemOfStrong(status), InputName()};
        return false;
    }
    Note("key derivation: " + Seconds(Clock::now() - started));
    return true;
}

int CommandRun::DecryptStrong()
{
    std::unique_ptr<StrongDecryptor> decryptor;
    Problematic problem;
    if (!StartStrong(decryptor, problem))
        return Fail(problem);
    const Clock::time_point started = Clock::now();
    progressLine_.Begin(InputSize(), !options_.quiet);
    const StrongStatus status = decryptor->Decrypt(Source(), *writer_, &progressLine_);
    const int code = Finish(ProblemOfStrong(status));
    if (code == 0)
        Note("decrypted into " + outputName_ + " in " + Seconds(Clock::now() - started));
    return code;
}

int CommandRun::DecryptClassic()
{
    ClassicKey key;
    const Problematic problem = TakeClassicKey(options_, key);
    if (problem.failed())
        return Fail(problem);
    const uint8_t level = static_cast<uint8_t>(options_.level);
    std::unique_ptr<CipherStream> cipher;
    try {
        cipher = key.reader ? std::make_unique<CipherStream>(*key.reader, level)
                            : std::make_unique<CipherStream>(key.bytes.data(), key.bytes.size(), level);
    } catch (const std::bad_alloc&) {
        return Fail(Problem::OutOfMemory);
    }
    Note("classic file, level " + std::to_string(options_.level));
    progressLine_.Begin(InputSize(), !options_.quiet);
    const int code = Finish(ProblemOfClassic(TransformClassic(Source(), *writer_, *cipher, &progressLine_)));
    if (code == 0 && !options_.quiet)
        TellError(ClassicDecryptedNote);
    return code;
}

int CommandRun::Decrypt()
{
    Problematic problem;
    if (!OpenInput(problem))
        return Fail(problem);
    if (format_ == StrongStart::Damaged)
        return Fail(Problem::NearlyStrong, InputName());
    if (!CreateOutput(false, problem))
        return Fail(problem);
    return format_ == StrongStart::Strong ? DecryptStrong() : DecryptClassic();
}

int CommandRun::Verify()
{
    Problematic problem;
    if (!OpenInput(problem))
        return Fail(problem);
    if (format_ == StrongStart::Damaged)
        return Fail(Problem::NearlyStrong, InputName());
    if (format_ == StrongStart::Other)
        return Fail(Problem::ClassicNotCheckable, InputName());
    std::unique_ptr<StrongDecryptor> decryptor;
    if (!StartStrong(decryptor, problem))
        return Fail(problem);
    progressLine_.Begin(InputSize(), !options_.quiet);
    const StrongStatus status = decryptor->Verify(Source(), &progressLine_);
    progressLine_.End();
    if (status != StrongStatus::Ok)
        return Fail(ProblemOfStrong(status), InputName());
    if (!options_.quiet)
        TellError("quenzel-cli: intact: " + InputName() + " authenticates to its last chunk");
    return static_cast<int>(ExitCode::Ok);
}

int CommandRun::Info()
{
    Problematic problem;
    if (!OpenInput(problem))
        return Fail(problem);
    if (format_ == StrongStart::Damaged)
        return Fail(Problem::NearlyStrong, InputName());
    std::vector<std::string> lines;
    if (format_ == StrongStart::Other) {
        CountingWriter counter;
        uint8_t piece[1 << 16];
        for (;;) {
            size_t got = 0;
            if (!Source().Read(piece, sizeof piece, got))
                return Fail(Problem::ReadFailed, InputName());
            if (got == 0)
                break;
            static_cast<void>(counter.Write(piece, got));
        }
        lines = {"format: classic (no header: nothing is recorded, nothing can be checked)",
                 "bytes: " + std::to_string(counter.Written())};
    } else {
        StrongFileInfo info;
        const StrongStatus status = ReadStrongInfo(Source(), info);
        if (status != StrongStatus::Ok)
            return Fail(ProblemOfStrong(status), InputName());
        lines = {"format: strong",
                 "version: " + std::to_string(info.version),
                 "key derivation: Argon2id",
                 "passes: " + std::to_string(info.params.opsLimit),
                 "memory: " + std::to_string(info.params.memKiB) + " KiB",
                 "chunks: " + std::to_string(info.chunks),
                 "plaintext bytes: " + std::to_string(info.plaintextBytes)};
    }
    for (const std::string& line : lines) {
        if (!TellOutput(line))
            return Fail(Problem::WriteFailed, StandardOutputName);
    }
    return static_cast<int>(ExitCode::Ok);
}

} // namespace

int RunCli(const std::vector<std::string>& args)
{
    const ParseResult parsed = ParseCommandLine(args);
    if (!parsed.ok) {
        TellError(MessageOf(Problem::Usage, parsed.error));
        return static_cast<int>(ExitCode::Usage);
    }
    CommandRun run(parsed.options);
    switch (parsed.options.command) {
    case Command::Help:
        return TellOutput(UsageText()) ? 0 : static_cast<int>(ExitCode::InputOutput);
    case Command::Version:
        return TellOutput(std::string("quenzel-cli ") + QUENZEL_VERSION_TEXT) ? 0
                                                                              : static_cast<int>(ExitCode::InputOutput);
    case Command::Encrypt:
        return run.Encrypt();
    case Command::Decrypt:
        return run.Decrypt();
    case Command::Verify:
        return run.Verify();
    case Command::Info:
        return run.Info();
    case Command::None:
        break;
    }
    TellError(MessageOf(Problem::Usage, "no command"));
    return static_cast<int>(ExitCode::Usage);
}

} // namespace quenzel::cli
