#include "cli/key_source.h"

#include "cli/system.h"
#include "engine/key_input.h"

#include <cstring>

namespace quenzel::cli {

namespace {

constexpr uint8_t Utf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr char PasswordPrompt[] = "Password: ";
constexpr char PasswordAgainPrompt[] = "Password again: ";

Problematic StreamProblem(Problem problem, const std::string& name, const StreamError& error)
{
    std::string detail = name;
    if (error.systemCode != 0)
        detail += " (" + SystemErrorText(error.systemCode) + ")";
    return {problem, detail};
}

// The first line of a password file, without its line end and a UTF-8 mark.
Problematic ReadPasswordFile(const std::string& name, SecretBytes& utf8)
{
    StreamError error;
    const std::unique_ptr<FileReader> reader = FileReader::Open(SystemPathOf(name), error);
    if (!reader)
        return StreamProblem(Problem::PasswordFileUnreadable, name, error);
    SecretBytes buffer(PasswordFileMostBytes + 1);
    size_t got = 0;
    if (!ReadFull(*reader, buffer.data(), buffer.size(), got))
        return StreamProblem(Problem::PasswordFileUnreadable, name, reader->LastError());
    const uint8_t* text = buffer.data();
    size_t length = got;
    if (length >= sizeof Utf8Mark && std::memcmp(text, Utf8Mark, sizeof Utf8Mark) == 0) {
        text += sizeof Utf8Mark;
        length -= sizeof Utf8Mark;
    }
    const void* lineEnd = std::memchr(text, '\n', length);
    if (!lineEnd && got > PasswordFileMostBytes)
        return {Problem::PasswordFileTooLong, name};
    if (lineEnd)
        length = static_cast<size_t>(static_cast<const uint8_t*>(lineEnd) - text);
    if (length > 0 && text[length - 1] == '\r')
        --length;
    utf8 = SecretBytes(text, length);
    return {};
}

Problematic AskTerminal(bool twice, SecretBytes& utf8)
{
    switch (AskPassword(PasswordPrompt, utf8)) {
    case PromptResult::Ok:
        break;
    case PromptResult::NoTerminal:
        return {Problem::NoTerminal, {}};
    case PromptResult::Failed:
        return {Problem::NoTerminal, "the terminal could not be read"};
    }
    if (!twice)
        return {};
    SecretBytes again;
    if (AskPassword(PasswordAgainPrompt, again) != PromptResult::Ok)
        return {Problem::NoTerminal, "the terminal could not be read"};
    const bool same = again.size() == utf8.size() && std::memcmp(again.data(), utf8.data(), utf8.size()) == 0;
    return same ? Problematic{} : Problematic{Problem::PasswordsDiffer, {}};
}

// The key file opened, if it is a file on a disk, with its size.
Problematic OpenKeyFile(const std::string& name, std::unique_ptr<FileReader>& reader, uint64_t& size)
{
    StreamError error;
    reader = FileReader::Open(SystemPathOf(name), error);
    if (!reader) {
        if (error.failure == StreamFailure::IsFolder)
            return {Problem::KeyFileNotFile, name};
        return StreamProblem(Problem::KeyFileUnreadable, name, error);
    }
    if (!reader->KnownSize(size))
        return {Problem::KeyFileNotFile, name};
    return {};
}

Problematic KeyFileHash(const std::string& name, SecretBytes& keyInput)
{
    std::unique_ptr<FileReader> reader;
    uint64_t size = 0;
    const Problematic opened = OpenKeyFile(name, reader, size);
    if (opened.failed())
        return opened;
    return {ProblemOfKeyFile(HashKeyFileInput(*reader, keyInput)), name};
}

Problematic Refusal(const SecretBytes& utf8)
{
    switch (RefusedPassword(utf8.data(), utf8.size())) {
    case PasswordRefusal::Empty:
        return {Problem::PasswordEmpty, {}};
    case PasswordRefusal::Sample:
        return {Problem::PasswordSample, {}};
    case PasswordRefusal::None:
        break;
    }
    return {};
}

} // namespace

Problematic TakePassword(const CliOptions& options, bool twice, SecretBytes& utf8)
{
    if (!options.passwordEnv.empty()) {
        if (!ReadEnvironment(options.passwordEnv, utf8))
            return {Problem::PasswordEnvMissing, options.passwordEnv};
        return {};
    }
    if (!options.passwordFile.empty())
        return ReadPasswordFile(options.passwordFile, utf8);
    return AskTerminal(twice, utf8);
}

Problematic EncryptionKeyInput(const CliOptions& options, SecretBytes& keyInput)
{
    if (!options.keyFile.empty())
        return KeyFileHash(options.keyFile, keyInput);
    SecretBytes utf8;
    const Problematic taken = TakePassword(options, true, utf8);
    if (taken.failed())
        return taken;
    const Problematic refused = Refusal(utf8);
    if (refused.failed())
        return refused;
    keyInput = std::move(utf8);
    return {};
}

Problematic StrongKeyInput(const CliOptions& options, SecretBytes& keyInput)
{
    if (!options.keyFile.empty())
        return KeyFileHash(options.keyFile, keyInput);
    SecretBytes utf8;
    const Problematic taken = TakePassword(options, false, utf8);
    if (taken.failed())
        return taken;
    if (utf8.empty())
        return {Problem::EmptyPasswordStrong, {}};
    keyInput = std::move(utf8);
    return {};
}

Problematic TakeClassicKey(const CliOptions& options, ClassicKey& key)
{
    if (options.keyFile.empty()) {
        SecretBytes utf8;
        const Problematic taken = TakePassword(options, false, utf8);
        if (taken.failed())
            return taken;
        if (!ClassicPasswordBytes(utf8, key.bytes))
            return {Problem::PasswordNotClassic, {}};
        return {};
    }
    std::unique_ptr<FileReader> reader;
    uint64_t size = 0;
    const Problematic opened = OpenKeyFile(options.keyFile, reader, size);
    if (opened.failed())
        return opened;
    if (size == 0)
        return {Problem::KeyFileEmpty, options.keyFile};
    if (size >= ClassicKeyFileLimit)
        return {Problem::KeyFileTooLarge, options.keyFile};
    if (size <= HeldClassicKeyBytes)
        return {ProblemOfKeyFile(ReadClassicKeyFile(*reader, size, key.bytes)), options.keyFile};
    key.reader = std::make_unique<FileKeyReader>(SystemPathOf(options.keyFile), size);
    return {};
}

} // namespace quenzel::cli
