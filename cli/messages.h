// What quenzel-cli tells and how it ends: every problem with its English
// text and exit code, in one table, and the engine's results mapped to them.
#pragma once

#include "engine/byte_stream.h"
#include "engine/cipher.h"
#include "engine/key_input.h"
#include "engine/strong_format.h"

#include <string>

namespace quenzel::cli {

enum class ExitCode : int {
    Ok = 0,
    WrongKeyOrDamaged = 1,
    Usage = 2,
    InputOutput = 3,
    NotCheckable = 4,
    Failed = 5,
};

enum class Problem {
    None,
    Usage,
    PasswordEmpty,
    PasswordSample,
    PasswordsDiffer,
    PasswordNotClassic,
    NoTerminal,
    PasswordEnvMissing,
    PasswordFileUnreadable,
    PasswordFileTooLong,
    EncryptedToTerminal,
    KeyFileEmpty,
    KeyFileTooLarge,
    KeyFileNotFile,
    KeyFileUnreadable,
    EmptyPasswordStrong,
    WrongKeyOrDamaged,
    Damaged,
    Truncated,
    BadParameters,
    NearlyStrong,
    ClassicNotCheckable,
    UnsupportedVersion,
    InputNotFound,
    InputDenied,
    InputIsFolder,
    ReadFailed,
    OutputExists,
    OutputIsKeyFile,
    OutputIsFolder,
    OutputDenied,
    OutputNotFound,
    CreateFailed,
    WriteFailed,
    ReplaceFailed,
    TemporaryLeft,
    KeyReadFailed,
    OutOfMemory,
    NoHashingMemory,
    LibraryFailed,
};

ExitCode ExitCodeOf(Problem problem);

// The line told on the standard error: "quenzel-cli: <text>", followed by
// ": <detail>" when there is one.
std::string MessageOf(Problem problem, const std::string& detail = {});

// A file operation's failure, on the input or on the output side.
Problem ProblemOfStream(StreamFailure failure, bool output);
Problem ProblemOfStrong(StrongStatus status);
Problem ProblemOfClassic(ClassicStatus status);
Problem ProblemOfKeyFile(KeyFileStatus status);

// A note after a classic decryption, which nothing authenticates.
inline constexpr char ClassicDecryptedNote[] =
    "quenzel-cli: note: classic files carry no check; if the output is unreadable, the password, key file or "
    "--level was wrong";

} // namespace quenzel::cli
