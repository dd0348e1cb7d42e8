// The command line of quenzel-cli as data: its parsing and the output a
// command writes when -o is not given. Plain code, no system calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quenzel::cli {

enum class Command { None, Encrypt, Decrypt, Verify, Info, Help, Version };

// The level slider's range and start position in the program.
inline constexpr int LevelLeast = 0;
inline constexpr int LevelMost = 255;
inline constexpr int DefaultLevel = 7;

// "-" as an input or output: the standard input or output.
inline constexpr char StandardStream[] = "-";
// The ending an encryption adds to its output and a decryption takes off.
inline constexpr char EncryptedEnding[] = ".enc";

struct CliOptions {
    Command command = Command::None;
    std::string input;  // empty or "-": the standard input
    std::string output; // "-": the standard output; empty: the default
    std::string passwordFile;
    std::string passwordEnv;
    std::string keyFile;
    int level = DefaultLevel;
    bool levelGiven = false;
    bool force = false;
    bool quiet = false;
    bool verbose = false;
};

struct ParseResult {
    bool ok = false;
    std::string error; // what is wrong, when not ok
    CliOptions options;
};

// Parses the arguments after the program's name: COMMAND [OPTIONS] [INPUT],
// options anywhere after the command, "--" ending them.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

bool ReadsStandardInput(const CliOptions& options);

// Where encrypt and decrypt write: -o's value, else the input with ".enc"
// added (encrypt) or taken off (decrypt), else the standard output when
// the input is the standard input. Empty, with `error` set, when a
// decryption's input does not end in ".enc" and no -o names the output.
std::string OutputOf(const CliOptions& options, std::string& error);

// The --help text.
const char* UsageText();

} // namespace quenzel::cli
