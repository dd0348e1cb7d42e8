// quenzel-cli as a user meets it: the built program started with arguments,
// standard input and environment, its exit code, messages and outputs
// checked. One table of invocations over files made once per run.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What the test's plaintext is encrypted with.
constexpr char Password[] = "Größe€ 7";
// Its Windows-1252 bytes: the classic file's key.
const std::string ClassicKey = "Gr\xF6\xDF"
                               "e\x80 7";
constexpr uint8_t ClassicLevel = 9;

struct Result {
    int code = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file << bytes;
    ASSERT_TRUE(file.good()) << path;
}

// Runs quenzel-cli in a session of its own (no terminal to prompt on),
// with `input` as its standard input and only `environment` set.
Result RunProgram(const std::vector<std::string>& args, const std::string& input, std::vector<std::string> environment)
{
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    for (const int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    // The sanitizers' settings go on to the program.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    }
    std::vector<char*> argv{const_cast<char*>(QUENZEL_CLI)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, QUENZEL_CLI, &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    Result result;
    if (spawned != 0)
        return result;
    // Feeds the input and drains both outputs at once, so no pipe fills up.
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    size_t fed = 0;
    if (input.empty()) {
        close(in[1]);
        in[1] = -1;
    }
    std::string* sinks[] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {in[1], POLLOUT, 0}};
        if (poll(fds, 3, -1) < 0)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buffer[65536];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else {
                close(fds[i].fd);
                (i == 0 ? out[0] : err[0]) = -1;
                --open;
            }
        }
        if (in[1] >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
            const ssize_t wrote = write(in[1], input.data() + fed, input.size() - fed);
            fed += wrote > 0 ? static_cast<size_t>(wrote) : 0;
            if (wrote < 0 || fed == input.size()) {
                close(in[1]);
                in[1] = -1;
            }
        }
    }
    if (in[1] >= 0)
        close(in[1]);
    int status = 0;
    waitpid(child, &status, 0);
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// What a row expects of the file its run names last in `file`.
enum class Expect { Nothing, Plain, Absent, Kept };

struct Row {
    const char* name;
    std::vector<std::string> args; // "@name": a file in the test's folder
    const char* stdinFile;         // a file of the folder as standard input, or ""
    std::vector<std::string> environment;
    int code;
    const char* errorHas;  // a fragment of the standard error
    const char* outputHas; // a fragment of the standard output; "=plain" for the whole plaintext
    const char* file;      // the output file looked at, or ""
    Expect expect;
};

const std::string PasswordEnv = std::string("QPW=") + Password;

const Row Rows[] = {
    {"decrypt",
     {"decrypt", "@strong.enc", "-o", "@out1", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     0,
     "",
     "",
     "out1",
     Expect::Plain},
    {"pipe in and out",
     {"decrypt", "--password-env", "QPW"},
     "strong.enc",
     {PasswordEnv},
     0,
     "",
     "=plain",
     "",
     Expect::Nothing},
    {"default output name",
     {"decrypt", "@copy.enc", "--password-file", "@password.txt"},
     "",
     {},
     0,
     "",
     "",
     "copy",
     Expect::Plain},
    {"wrong password",
     {"decrypt", "@strong.enc", "-o", "@out2", "--password-env", "QPW"},
     "",
     {"QPW=Grosse"},
     1,
     "wrong password or key file",
     "",
     "out2",
     Expect::Absent},
    {"empty password for a strong file",
     {"decrypt", "@strong.enc", "-o", "@out2", "--password-env", "QPW"},
     "",
     {"QPW="},
     1,
     "never has an empty one",
     "",
     "out2",
     Expect::Absent},
    {"existing output without --force",
     {"decrypt", "@strong.enc", "-o", "@exists.txt", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     3,
     "output exists (--force replaces it)",
     "",
     "exists.txt",
     Expect::Kept},
    {"the key file as output, even with --force",
     {"decrypt", "@classic.bin", "-o", "@exists.txt", "-f", "--key-file", "@exists.txt"},
     "",
     {},
     2,
     "the output is the key file",
     "",
     "exists.txt",
     Expect::Kept},
    {"existing output with --force",
     {"decrypt", "@strong.enc", "-o", "@replaced.txt", "-f", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     0,
     "",
     "",
     "replaced.txt",
     Expect::Plain},
    {"damaged file",
     {"decrypt", "@damaged.enc", "-o", "@out3", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     1,
     "file is damaged",
     "",
     "out3",
     Expect::Absent},
    {"cut file",
     {"decrypt", "@cut.enc", "-o", "@out4", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     1,
     "cut short",
     "",
     "out4",
     Expect::Absent},
    {"verify",
     {"verify", "@strong.enc", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     0,
     "intact",
     "",
     "",
     Expect::Nothing},
    {"verify damaged",
     {"verify", "@damaged.enc", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     1,
     "damaged",
     "",
     "",
     Expect::Nothing},
    {"classic file",
     {"decrypt", "@classic.bin", "-o", "@out5", "--level", "9", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     0,
     "classic files carry no check",
     "",
     "out5",
     Expect::Plain},
    {"classic file with a key file",
     {"decrypt", "-o", "-", "--level", "9", "--key-file", "@classic.key"},
     "classic-keyfile.bin",
     {},
     0,
     "",
     "=plain",
     "",
     Expect::Nothing},
    {"classic password beyond Windows-1252",
     {"decrypt", "@classic.bin", "-o", "@out6", "--password-env", "QPW"},
     "",
     {"QPW=\xCE\xA9"},
     2,
     "Windows-1252",
     "",
     "out6",
     Expect::Absent},
    {"classic verify",
     {"verify", "@classic.bin", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     4,
     "cannot be verified",
     "",
     "",
     Expect::Nothing},
    {"info", {"info", "@strong.enc"}, "", {}, 0, "", "chunks: 2\nplaintext bytes: 1048676\n", "", Expect::Nothing},
    {"info classic", {"info", "-"}, "classic.bin", {}, 0, "", "format: classic", "", Expect::Nothing},
    {"sample password",
     {"encrypt", "@plain", "-o", "@out7", "--password-env", "QPW"},
     "",
     {"QPW=MORVANTE"},
     2,
     "sample password",
     "",
     "out7",
     Expect::Absent},
    {"empty password",
     {"encrypt", "@plain", "-o", "@out7", "--password-env", "QPW"},
     "",
     {"QPW="},
     2,
     "empty password",
     "",
     "out7",
     Expect::Absent},
    {"no terminal", {"encrypt", "@plain", "-o", "@out7"}, "", {}, 2, "no terminal", "", "out7", Expect::Absent},
    {"missing input",
     {"decrypt", "@none.enc", "--password-env", "QPW"},
     "",
     {PasswordEnv},
     3,
     "not there",
     "",
     "none",
     Expect::Absent},
    {"unknown option", {"decrypt", "--pasword-env", "QPW"}, "", {}, 2, "unknown option", "", "", Expect::Nothing},
    {"two key sources",
     {"decrypt", "--password-env", "A", "--key-file", "k"},
     "",
     {},
     2,
     "give one of",
     "",
     "",
     Expect::Nothing},
};

class CliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = fs::temp_directory_path() / ("quenzel-cli-test-" + std::to_string(getpid()));
        fs::create_directories(folder_);
        std::mt19937 random(7);
        plain_.resize((1u << 20) + 100); // two chunks
        for (char& c : plain_)
            c = static_cast<char>(random());
        WriteAll(folder_ / "plain", plain_);
        // The strong file, encrypted through a pipe in and out.
        const Result encrypted = RunProgram({"encrypt", "--password-env", "QPW"}, plain_, {PasswordEnv});
        ASSERT_EQ(encrypted.code, 0) << encrypted.err;
        strong_ = encrypted.out;
        WriteAll(folder_ / "strong.enc", strong_);
        WriteAll(folder_ / "copy.enc", strong_);
        WriteAll(folder_ / "password.txt", std::string(Password) + "\r\n");
        std::string damaged = strong_;
        damaged[damaged.size() - 20] ^= 1;
        WriteAll(folder_ / "damaged.enc", damaged);
        WriteAll(folder_ / "cut.enc", strong_.substr(0, strong_.size() - 117)); // no last chunk
        WriteAll(folder_ / "exists.txt", "keep me");
        WriteAll(folder_ / "replaced.txt", "replace me");
        WriteAll(folder_ / "classic.bin", Classic(ClassicKey));
        const std::string keyFileBytes = "a key file's bytes";
        WriteAll(folder_ / "classic.key", keyFileBytes);
        WriteAll(folder_ / "classic-keyfile.bin", Classic(keyFileBytes));
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }

    // The plaintext in the classic format: byte i ^ level ^ key[i mod L].
    static std::string Classic(const std::string& key)
    {
        std::string bytes = plain_;
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(bytes[i] ^ ClassicLevel ^ key[i % key.size()]);
        return bytes;
    }

    static std::vector<std::string> InFolder(const std::vector<std::string>& args)
    {
        std::vector<std::string> placed;
        for (const std::string& arg : args)
            placed.push_back(arg[0] == '@' ? (folder_ / arg.substr(1)).string() : arg);
        return placed;
    }

    static fs::path folder_;
    static std::string plain_;
    static std::string strong_;
};

fs::path CliTest::folder_;
std::string CliTest::plain_;
std::string CliTest::strong_;

TEST_F(CliTest, TableOfInvocations)
{
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        const std::string input = row.stdinFile[0] ? ReadAll(folder_ / row.stdinFile) : std::string();
        const Result result = RunProgram(InFolder(row.args), input, row.environment);
        EXPECT_EQ(result.code, row.code) << result.err;
        EXPECT_NE(result.err.find(row.errorHas), std::string::npos) << result.err;
        if (std::string(row.outputHas) == "=plain")
            EXPECT_TRUE(result.out == plain_) << "standard output of " << result.out.size() << " bytes";
        else
            EXPECT_NE(result.out.find(row.outputHas), std::string::npos) << result.out;
        const fs::path file = folder_ / row.file;
        switch (row.expect) {
        case Expect::Nothing:
            break;
        case Expect::Plain:
            EXPECT_TRUE(ReadAll(file) == plain_) << file;
            break;
        case Expect::Absent:
            EXPECT_FALSE(fs::exists(file)) << file;
            break;
        case Expect::Kept:
            EXPECT_EQ(ReadAll(file), "keep me");
            break;
        }
    }
    // No unfinished output is left in the folder.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().filename().string().rfind(".quenzel-", 0), std::string::npos) << entry.path();
}

} // namespace
