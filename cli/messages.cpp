#include "cli/messages.h"

namespace quenzel::cli {

namespace {

struct ProblemText {
    Problem problem;
    ExitCode code;
    const char* text;
};

constexpr ProblemText Texts[] = {
    {Problem::None, ExitCode::Ok, ""},
    {Problem::Usage, ExitCode::Usage, "usage"},
    {Problem::PasswordEmpty, ExitCode::Usage,
     "an empty password is refused for encryption (anyone could open the file)"},
    {Problem::PasswordSample, ExitCode::Usage,
     "the sample password \"MORVANTE\" is refused for encryption: choose a password of your own"},
    {Problem::PasswordsDiffer, ExitCode::Usage, "the two passwords differ; nothing was written"},
    {Problem::PasswordNotClassic, ExitCode::Usage,
     "the password holds characters a classic file's key cannot hold (Windows-1252), or is not UTF-8"},
    {Problem::NoTerminal, ExitCode::Usage,
     "no terminal to ask the password on: use --password-file, --password-env or --key-file"},
    {Problem::PasswordEnvMissing, ExitCode::Usage, "the password's environment variable is not set"},
    {Problem::PasswordFileUnreadable, ExitCode::InputOutput, "the password file cannot be read"},
    {Problem::PasswordFileTooLong, ExitCode::Usage, "the password file's first line is too long"},
    {Problem::EncryptedToTerminal, ExitCode::Usage,
     "encrypted data is not written to a terminal: name the output with -o or use a pipe"},
    {Problem::KeyFileEmpty, ExitCode::Usage, "the key file is empty"},
    {Problem::KeyFileTooLarge, ExitCode::Usage, "the key file is 4 GiB or larger, too long for a classic file's key"},
    {Problem::KeyFileNotFile, ExitCode::Usage,
     "the key file must be a file on a disk (not a pipe, a device or a folder)"},
    {Problem::KeyFileUnreadable, ExitCode::InputOutput, "the key file cannot be read"},
    {Problem::EmptyPasswordStrong, ExitCode::WrongKeyOrDamaged, "wrong password: a strong file never has an empty one"},
    {Problem::WrongKeyOrDamaged, ExitCode::WrongKeyOrDamaged, "wrong password or key file, or the file is damaged"},
    {Problem::Damaged, ExitCode::WrongKeyOrDamaged,
     "the file is damaged (a chunk does not authenticate, or data follows its end)"},
    {Problem::Truncated, ExitCode::WrongKeyOrDamaged, "the file is cut short (its last chunk is missing)"},
    {Problem::BadParameters, ExitCode::WrongKeyOrDamaged,
     "the file's header is damaged (its key derivation cost is out of range)"},
    {Problem::NearlyStrong, ExitCode::WrongKeyOrDamaged, "the file starts almost as a strong file does: it is damaged"},
    {Problem::ClassicNotCheckable, ExitCode::NotCheckable, "a classic file carries no check: it cannot be verified"},
    {Problem::UnsupportedVersion, ExitCode::Failed, "the file was written by a later version of the strong format"},
    {Problem::InputNotFound, ExitCode::InputOutput, "the input is not there"},
    {Problem::InputDenied, ExitCode::InputOutput, "the input cannot be opened (no access)"},
    {Problem::InputIsFolder, ExitCode::InputOutput, "the input is a folder"},
    {Problem::ReadFailed, ExitCode::InputOutput, "reading the input failed"},
    {Problem::OutputExists, ExitCode::InputOutput, "the output exists (--force replaces it)"},
    {Problem::OutputIsKeyFile, ExitCode::Usage, "the output is the key file, which no output replaces"},
    {Problem::OutputIsFolder, ExitCode::InputOutput, "the output is a folder"},
    {Problem::OutputDenied, ExitCode::InputOutput, "the output cannot be written there (no access)"},
    {Problem::OutputNotFound, ExitCode::InputOutput, "the output's folder is not there"},
    {Problem::CreateFailed, ExitCode::InputOutput, "the output cannot be created"},
    {Problem::WriteFailed, ExitCode::InputOutput, "writing the output failed"},
    {Problem::ReplaceFailed, ExitCode::InputOutput, "the finished output could not take its name"},
    {Problem::TemporaryLeft, ExitCode::InputOutput, "an unfinished output's temporary file could not be removed"},
    {Problem::KeyReadFailed, ExitCode::InputOutput, "the key file could not be read again (changed or removed)"},
    {Problem::OutOfMemory, ExitCode::Failed, "out of memory"},
    {Problem::NoHashingMemory, ExitCode::Failed, "the key derivation's memory could not be had"},
    {Problem::LibraryFailed, ExitCode::Failed, "the cryptographic library could not start"},
};

const ProblemText& TextOf(Problem problem)
{
    for (const ProblemText& entry : Texts) {
        if (entry.problem == problem)
            return entry;
    }
    return Texts[0];
}

} // namespace

ExitCode ExitCodeOf(Problem problem)
{
    return TextOf(problem).code;
}

std::string MessageOf(Problem problem, const std::string& detail)
{
    std::string line = std::string("quenzel-cli: ") + TextOf(problem).text;
    if (!detail.empty())
        line += ": " + detail;
    return line;
}

Problem ProblemOfStream(StreamFailure failure, bool output)
{
    switch (failure) {
    case StreamFailure::None:
        return Problem::None;
    case StreamFailure::NotFound:
        return output ? Problem::OutputNotFound : Problem::InputNotFound;
    case StreamFailure::AccessDenied:
        return output ? Problem::OutputDenied : Problem::InputDenied;
    case StreamFailure::IsFolder:
        return output ? Problem::OutputIsFolder : Problem::InputIsFolder;
    case StreamFailure::Exists:
        return Problem::OutputExists;
    case StreamFailure::ReadFailed:
        return Problem::ReadFailed;
    case StreamFailure::WriteFailed:
        return Problem::WriteFailed;
    case StreamFailure::CreateFailed:
        return Problem::CreateFailed;
    case StreamFailure::ReplaceFailed:
        return Problem::ReplaceFailed;
    case StreamFailure::TemporaryLeft:
        return Problem::TemporaryLeft;
    }
    return output ? Problem::WriteFailed : Problem::ReadFailed;
}

Problem ProblemOfStrong(StrongStatus status)
{
    switch (status) {
    case StrongStatus::Ok:
        return Problem::None;
    case StrongStatus::NotStrongFormat: // told apart before the engine is asked
    case StrongStatus::Damaged:
        return Problem::Damaged;
    case StrongStatus::UnsupportedVersion:
        return Problem::UnsupportedVersion;
    case StrongStatus::BadParameters:
        return Problem::BadParameters;
    case StrongStatus::WrongKeyOrDamaged:
        return Problem::WrongKeyOrDamaged;
    case StrongStatus::Truncated:
        return Problem::Truncated;
    case StrongStatus::ReadFailed:
        return Problem::ReadFailed;
    case StrongStatus::WriteFailed:
        return Problem::WriteFailed;
    case StrongStatus::Stopped: // nothing here asks to stop
    case StrongStatus::OutOfMemory:
        return Problem::OutOfMemory;
    case StrongStatus::NoHashingMemory:
        return Problem::NoHashingMemory;
    case StrongStatus::LibraryFailed:
        return Problem::LibraryFailed;
    }
    return Problem::LibraryFailed;
}

Problem ProblemOfClassic(ClassicStatus status)
{
    switch (status) {
    case ClassicStatus::Ok:
        return Problem::None;
    case ClassicStatus::ReadFailed:
        return Problem::ReadFailed;
    case ClassicStatus::WriteFailed:
        return Problem::WriteFailed;
    case ClassicStatus::KeyReadFailed:
        return Problem::KeyReadFailed;
    case ClassicStatus::Stopped:
    case ClassicStatus::OutOfMemory:
        return Problem::OutOfMemory;
    }
    return Problem::OutOfMemory;
}

Problem ProblemOfKeyFile(KeyFileStatus status)
{
    switch (status) {
    case KeyFileStatus::Ok:
        return Problem::None;
    case KeyFileStatus::Empty:
        return Problem::KeyFileEmpty;
    case KeyFileStatus::TooLarge:
        return Problem::KeyFileTooLarge;
    case KeyFileStatus::ReadFailed:
    case KeyFileStatus::Stopped:
        return Problem::KeyFileUnreadable;
    case KeyFileStatus::OutOfMemory:
        return Problem::OutOfMemory;
    }
    return Problem::KeyFileUnreadable;
}

} // namespace quenzel::cli
