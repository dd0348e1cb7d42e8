#include "cli/cli_options.h"

#include <cstring>

namespace quenzel::cli {

namespace {

struct CommandName {
    const char* name;
    Command command;
};

constexpr CommandName Commands[] = {
    {"encrypt", Command::Encrypt}, {"decrypt", Command::Decrypt},   {"verify", Command::Verify},
    {"info", Command::Info},       {"help", Command::Help},         {"--help", Command::Help},
    {"-h", Command::Help},         {"--version", Command::Version},
};

// An option with a value: its long name, its short one (or none), and
// where the value goes.
struct ValueOption {
    const char* longName;
    const char* shortName;
    std::string CliOptions::*field;
};

constexpr ValueOption ValueOptions[] = {
    {"--output", "-o", &CliOptions::output},
    {"--password-file", nullptr, &CliOptions::passwordFile},
    {"--password-env", nullptr, &CliOptions::passwordEnv},
    {"--key-file", nullptr, &CliOptions::keyFile},
};

struct FlagOption {
    const char* longName;
    const char* shortName;
    bool CliOptions::*field;
};

constexpr FlagOption FlagOptions[] = {
    {"--force", "-f", &CliOptions::force},
    {"--quiet", "-q", &CliOptions::quiet},
    {"--verbose", "-v", &CliOptions::verbose},
};

constexpr char LevelOption[] = "--level";

bool EndsWith(const std::string& text, const char* ending)
{
    const size_t length = std::strlen(ending);
    return text.size() > length && text.compare(text.size() - length, length, ending) == 0;
}

// The level's decimal value, in the slider's range.
bool ParseLevel(const std::string& text, int& level)
{
    if (text.empty() || text.size() > 3)
        return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value < LevelLeast || value > LevelMost)
        return false;
    level = value;
    return true;
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args)
        : args_(args)
    { }

    ParseResult Run()
    {
        if (args_.empty())
            return Fail("no command: use encrypt, decrypt, verify or info (--help tells more)");
        if (!TakeCommand(args_[0]))
            return Fail("unknown command \"" + args_[0] + "\" (--help tells more)");
        bool inputTaken = false;
        bool optionsEnded = false;
        for (index_ = 1; index_ < args_.size(); ++index_) {
            const std::string& arg = args_[index_];
            if (!optionsEnded && arg == "--") {
                optionsEnded = true;
                continue;
            }
            if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
                if (!TakeOption(arg))
                    return result_;
                continue;
            }
            if (inputTaken)
                return Fail("more than one input: \"" + arg + "\"");
            result_.options.input = arg;
            inputTaken = true;
        }
        if (!Consistent())
            return result_;
        result_.ok = true;
        return result_;
    }

private:
    ParseResult Fail(const std::string& error)
    {
        result_.ok = false;
        result_.error = error;
        return result_;
    }

    bool TakeCommand(const std::string& arg)
    {
        for (const CommandName& entry : Commands) {
            if (arg == entry.name) {
                result_.options.command = entry.command;
                return true;
            }
        }
        return false;
    }

    // The option's value: after "=" in "--name=value", else the next argument.
    bool TakeValue(const std::string& arg, const char* name, std::string& value)
    {
        const size_t nameLength = std::strlen(name);
        if (arg.size() > nameLength && arg[nameLength] == '=' && name[1] == '-') {
            value = arg.substr(nameLength + 1);
        } else if (index_ + 1 < args_.size()) {
            value = args_[++index_];
        } else {
            Fail(std::string(name) + " needs a value");
            return false;
        }
        if (value.empty()) {
            Fail(std::string(name) + " needs a value");
            return false;
        }
        return true;
    }

    static bool Names(const std::string& arg, const char* longName, const char* shortName)
    {
        const size_t length = std::strlen(longName);
        const bool longForm = arg.compare(0, length, longName) == 0 && (arg.size() == length || arg[length] == '=');
        return longForm || (shortName && arg == shortName);
    }

    bool TakeOption(const std::string& arg)
    {
        CliOptions& options = result_.options;
        for (const ValueOption& option : ValueOptions) {
            if (Names(arg, option.longName, option.shortName)) {
                if (!(options.*option.field).empty()) {
                    Fail(std::string(option.longName) + " is given twice");
                    return false;
                }
                return TakeValue(arg, option.longName, options.*option.field);
            }
        }
        for (const FlagOption& option : FlagOptions) {
            if (arg == option.longName || arg == option.shortName) {
                options.*option.field = true;
                return true;
            }
        }
        if (Names(arg, LevelOption, nullptr)) {
            std::string value;
            if (!TakeValue(arg, LevelOption, value))
                return false;
            if (!ParseLevel(value, options.level)) {
                Fail("--level takes a whole number from 0 to 255, not \"" + value + "\"");
                return false;
            }
            options.levelGiven = true;
            return true;
        }
        if (arg == "--help" || arg == "-h") {
            options.command = Command::Help;
            return true;
        }
        Fail("unknown option \"" + arg + "\"");
        return false;
    }

    bool Consistent()
    {
        const CliOptions& options = result_.options;
        const Command command = options.command;
        if (command == Command::Help || command == Command::Version)
            return true;
        const int keySources = !options.passwordFile.empty() + !options.passwordEnv.empty() + !options.keyFile.empty();
        if (keySources > 1) {
            Fail("give one of --password-file, --password-env and --key-file");
            return false;
        }
        if (options.quiet && options.verbose) {
            Fail("-q and -v exclude each other");
            return false;
        }
        if (command == Command::Info && keySources > 0) {
            Fail("info needs no password or key file");
            return false;
        }
        if ((command == Command::Info || command == Command::Verify) && !options.output.empty()) {
            Fail("verify and info write no output file: -o does not apply");
            return false;
        }
        if (options.levelGiven && command != Command::Decrypt) {
            Fail("--level applies to decrypting classic files only");
            return false;
        }
        if (options.force && command != Command::Encrypt && command != Command::Decrypt) {
            Fail("--force applies to encrypt and decrypt only");
            return false;
        }
        return true;
    }

    const std::vector<std::string>& args_;
    size_t index_ = 0;
    ParseResult result_;
};

} // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args)
{
    return Parser(args).Run();
}

bool ReadsStandardInput(const CliOptions& options)
{
    return options.input.empty() || options.input == StandardStream;
}

std::string OutputOf(const CliOptions& options, std::string& error)
{
    if (!options.output.empty())
        return options.output;
    if (ReadsStandardInput(options))
        return StandardStream;
    if (options.command == Command::Encrypt)
        return options.input + EncryptedEnding;
    if (EndsWith(options.input, EncryptedEnding))
        return options.input.substr(0, options.input.size() - std::strlen(EncryptedEnding));
    error = "the input does not end in \".enc\": name the output with -o";
    return {};
}

const char* UsageText()
{
    return R"(Usage: quenzel-cli COMMAND [OPTIONS] [INPUT]

Encrypts files in Quenzel's strong format and decrypts strong and classic
files. INPUT "-" or none is the standard input.

Commands:
  encrypt   encrypt INPUT in the strong format (the output is INPUT.enc)
  decrypt   decrypt a strong or classic file (the output is INPUT without .enc)
  verify    authenticate a strong file to its last chunk, writing nothing
  info      show a file's format, version, key cost and chunk count

Options:
  -o, --output OUT        write to OUT; "-" is the standard output
  --password-file FILE    read the password from the first line of FILE
  --password-env NAME     read the password from environment variable NAME
  --key-file FILE         use FILE's content as the key instead of a password
  --level N               the level of a classic file (0 to 255, default 7)
  -f, --force             replace an existing output
  -q, --quiet             no progress bar and no notes; failures are still told
  -v, --verbose           tell the format, the key derivation's time and sizes
  -h, --help              show this text
  --version               show the version

Without --password-file, --password-env or --key-file the password is asked
on the terminal without echo (twice when encrypting). Empty passwords and the
sample password are refused for encryption. Outputs are written to a
temporary file and renamed only when complete; an existing output is
replaced only with --force.

Exit codes:
  0  success
  1  wrong password or key file, or a damaged file
  2  usage: a wrong command line, a refused or mismatched password
  3  input or output failure (missing input, existing output, a full disk)
  4  verify: a classic file, which carries nothing to check
  5  any other failure (out of memory, a later format version)
)";
}

} // namespace quenzel::cli
