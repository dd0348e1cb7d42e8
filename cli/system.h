// What quenzel-cli needs of the system it runs on, with a POSIX and a
// Windows implementation: the terminal (password prompt without echo,
// progress), text on the standard streams, environment variables, paths,
// a password's classic key bytes, and the clean-up of an unfinished output
// when the process is ended by a signal.
#pragma once

#include "engine/byte_stream.h"
#include "engine/strong_format.h"

#include <string>
#include <vector>

namespace quenzel::cli {

// Sets the process up: a write to a closed pipe fails instead of ending
// it, Ctrl+C and a termination remove an unfinished output first.
void PrepareProcess();

// The unfinished output the process removes when a signal ends it (the
// temporary file of a FileWriter); empty to forget it.
void GuardTemporary(const SystemPath& temporary);

bool StandardErrorIsTerminal();
bool StandardOutputIsTerminal();

// Writes a line of UTF-8 text (a newline is added) to the standard error
// or the standard output.
void TellError(const std::string& line);
bool TellOutput(const std::string& line);
// Rewrites the current line of the standard error (a progress bar); an
// empty text ends it.
void TellProgress(const std::string& text);

enum class PromptResult { Ok, NoTerminal, Failed };
// Asks for a password on the terminal without echo; the answer in UTF-8.
PromptResult AskPassword(const char* prompt, SecretBytes& utf8);

// The environment variable `name` in UTF-8; false when it is not set.
bool ReadEnvironment(const std::string& name, SecretBytes& utf8);

// A path given on the command line (UTF-8) as the system spells it.
SystemPath SystemPathOf(const std::string& utf8);
// A path of the system in UTF-8, for a message.
std::string TextOfPath(const SystemPath& path);

// The key bytes of a classic file for a UTF-8 password, as the program
// makes them: in the ANSI code page on Windows, in Windows-1252 elsewhere;
// an empty password gives the built-in key. False when the password cannot
// be spelt so.
bool ClassicPasswordBytes(const SecretBytes& utf8, SecretBytes& key);

// The system's text for an error code (errno, GetLastError).
std::string SystemErrorText(unsigned long code);

// The passwords of the classic format are cut to this many bytes.
inline constexpr size_t ClassicPasswordMostBytes = 32766;

// UTF-8 to Windows-1252: false for bytes that are not UTF-8 or characters
// Windows-1252 cannot hold. Portable; used where there is no ANSI code page.
bool Windows1252FromUtf8(const uint8_t* utf8, size_t length, SecretBytes& out);

} // namespace quenzel::cli
