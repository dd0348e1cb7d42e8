// quenzel-cli's system part on Linux and macOS: /dev/tty for the password
// prompt, signals that remove an unfinished output before the process ends.
#include "cli/system.h"

#include "engine/cipher.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace quenzel::cli {

namespace {

// An unfinished output's temporary file, removed by the signal handler
// (which may only use what is async-signal-safe: a fixed buffer, unlink).
char GuardedTemporary[PATH_MAX + 1] = "";
volatile sig_atomic_t TemporaryGuarded = 0;

// The terminal's settings while a prompt has the echo off.
struct termios SavedTerminal { };
volatile sig_atomic_t EchoOff = 0;
int PromptTerminal = -1;

constexpr int SignalExitBase = 128;
constexpr size_t PasswordMostBytes = 65536;

extern "C" void EndBySignal(int signal)
{
    if (TemporaryGuarded)
        ::unlink(GuardedTemporary);
    if (EchoOff)
        ::tcsetattr(PromptTerminal, TCSAFLUSH, &SavedTerminal);
    ::_exit(SignalExitBase + signal);
}

bool WriteAllTo(int fd, const char* data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// Reads one line from the terminal into secret memory, without its newline.
bool ReadTerminalLine(int fd, SecretBytes& line)
{
    SecretBytes buffer(PasswordMostBytes);
    size_t length = 0;
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        if (c == '\n' || c == '\r')
            break;
        if (length == buffer.size())
            return false;
        buffer.data()[length++] = static_cast<uint8_t>(c);
        WipeSecret(&c, sizeof c);
    }
    line = SecretBytes(buffer.data(), length);
    return true;
}

} // namespace

void PrepareProcess()
{
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action { };
    action.sa_handler = EndBySignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void GuardTemporary(const SystemPath& temporary)
{
    TemporaryGuarded = 0;
    if (temporary.empty() || temporary.size() > PATH_MAX)
        return;
    std::memcpy(GuardedTemporary, temporary.c_str(), temporary.size() + 1);
    TemporaryGuarded = 1;
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool StandardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

void TellError(const std::string& line)
{
    const std::string text = line + "\n";
    // Nothing is left to tell a failure of the error stream to.
    static_cast<void>(WriteAllTo(STDERR_FILENO, text.data(), text.size()));
}

bool TellOutput(const std::string& line)
{
    const std::string text = line + "\n";
    return WriteAllTo(STDOUT_FILENO, text.data(), text.size());
}

void TellProgress(const std::string& text)
{
    const std::string line = text.empty() ? std::string("\r\033[K") : "\r" + text + "\033[K";
    static_cast<void>(WriteAllTo(STDERR_FILENO, line.data(), line.size()));
}

PromptResult AskPassword(const char* prompt, SecretBytes& utf8)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return PromptResult::NoTerminal;
    struct termios settings { };
    if (::tcgetattr(fd, &settings) != 0) {
        ::close(fd);
        return PromptResult::NoTerminal;
    }
    SavedTerminal = settings;
    PromptTerminal = fd;
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    settings.c_lflag |= ECHONL | ICANON;
    EchoOff = 1;
    bool read = false;
    if (::tcsetattr(fd, TCSAFLUSH, &settings) == 0 && WriteAllTo(fd, prompt, std::strlen(prompt)))
        read = ReadTerminalLine(fd, utf8);
    const bool restored = ::tcsetattr(fd, TCSAFLUSH, &SavedTerminal) == 0;
    EchoOff = 0;
    ::close(fd);
    PromptTerminal = -1;
    return read && restored ? PromptResult::Ok : PromptResult::Failed;
}

bool ReadEnvironment(const std::string& name, SecretBytes& utf8)
{
    const char* value = std::getenv(name.c_str());
    if (!value)
        return false;
    utf8 = SecretBytes(value, std::strlen(value));
    return true;
}

SystemPath SystemPathOf(const std::string& utf8)
{
    return utf8;
}

std::string TextOfPath(const SystemPath& path)
{
    return path;
}

bool ClassicPasswordBytes(const SecretBytes& utf8, SecretBytes& key)
{
    SecretBytes ansi;
    if (!Windows1252FromUtf8(utf8.data(), utf8.size(), ansi))
        return false;
    const size_t kept = std::min(ansi.size(), ClassicPasswordMostBytes);
    key = PasswordKeyBytes(reinterpret_cast<const char*>(ansi.data()), kept);
    return true;
}

std::string SystemErrorText(unsigned long code)
{
    return std::strerror(static_cast<int>(code));
}

} // namespace quenzel::cli
