// The file-encryption engine timed on real files, for scripts/bench to set
// beside cp and find over the same data. Prints one line per run:
// "<what> <seconds> <count>".
//   crypt_bench transform SOURCE DESTINATION   one file job's transform
//   crypt_bench gather ROOT                    the folder walk
//   crypt_bench folder ROOT OUTPUT [strong]    walk, then every file into OUTPUT
//                                              (strong: the strong format, the
//                                              job's Argon2id run included and
//                                              also printed on its own)
//   crypt_bench strong SOURCE DESTINATION      one strong file job's encryption,
//                                              its Argon2id run printed on its own
//   crypt_bench strongopen SOURCE DESTINATION  one strong file job's decryption,
//                                              its Argon2id run (made before it)
//                                              printed on its own
// and Wine's own floor for the same work, with nothing of the program's:
//   crypt_bench copy SOURCE DESTINATION        a bare read/write copy, 8 MiB pieces
//   crypt_bench copytree ROOT OUTPUT           the walk, then a bare copy of each file
//   crypt_bench findtree ROOT                  a bare FindFirstFile/FindNextFile walk
//                                              that only counts the files
// The jobs key with the benchmarks' password (bench/bench_password.h); a
// job that fails prints no time and ends the program with 1.
#include "base/folder_walk.h"
#include "bench/bench_password.h"
#include "crypt/file_transform.h"
#include "crypt/folder_job.h"
#include "crypt/strong_transform.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace quenzel;

// The legacy key of the benchmarks' password; false, after saying so, when
// the password gives none (an empty one), as the program refuses it.
bool PasswordKey(JobKey& key)
{
    const std::string password = bench::Password();
    key.bytes = PasswordKeyBytes(password.data(), password.size());
    key.level = 7;
    if (!key.Usable())
        std::fprintf(stderr, "the benchmarks' password gives no key\n");
    return key.Usable();
}

struct NoProgress : CipherProgress {
    uint32_t last = 0;
    void SetPosition(uint32_t position) override { last = position; }
    void Step() override { }
};

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::wstring Wide(const char* text)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
    return out;
}

int Transform(const std::wstring& source, const std::wstring& destination)
{
    JobKey key;
    if (!PasswordKey(key))
        return 1;
    NoProgress progress;
    TransformRequest request;
    request.source = source;
    request.destination = destination;
    request.key = &key;
    request.progress = &progress;
    const auto start = Clock::now();
    const TransformOutcome outcome = TransformFile(request);
    const double seconds = Since(start);
    if (outcome.status != TransformStatus::Ok) {
        std::fprintf(stderr, "transform failed: %d (error %lu)\n", static_cast<int>(outcome.status),
                     outcome.systemError);
        return 1;
    }
    std::printf("transform %.3f %llu\n", seconds, static_cast<unsigned long long>(outcome.size));
    return 0;
}

// The strong format's key input of the benchmarks' password.
SecretBytes StrongPassword()
{
    return PasswordKeyInput(bench::Password());
}

// Runs one Argon2id derivation, timing it; false after saying so when it failed.
template <typename Derive>
bool TimedDerivation(Derive derive, double& seconds, const char* failure)
{
    const auto start = Clock::now();
    const StrongStatus status = derive();
    seconds = Since(start);
    if (status != StrongStatus::Ok) {
        std::fprintf(stderr, "%s: %d\n", failure, static_cast<int>(status));
        return false;
    }
    return true;
}

// A strong encryption's transformer; the seconds its Argon2id run took.
bool PrepareStrong(JobTransformer& transformer, double& seconds)
{
    return TimedDerivation([&] { return transformer.PrepareStrongEncryption(StrongPassword()); }, seconds,
                           "Argon2id failed");
}

// Times one strong file job from `source` to `destination` (its key derived
// already) and prints "<name> seconds size derivation".
template <typename Job>
int TimedStrongJob(const char* name, double derivation, const std::wstring& source, const std::wstring& destination,
                   Job job)
{
    NoProgress progress;
    TransformRequest request;
    request.source = source;
    request.destination = destination;
    request.progress = &progress;
    const auto start = Clock::now();
    const TransformOutcome outcome = job(request);
    const double seconds = Since(start);
    if (outcome.status != TransformStatus::Ok || outcome.originalFormat) {
        std::fprintf(stderr, "%s failed: %d (error %lu)\n", name, static_cast<int>(outcome.status),
                     outcome.systemError);
        return 1;
    }
    std::printf("%s %.3f %llu %.3f\n", name, seconds, static_cast<unsigned long long>(outcome.size), derivation);
    return 0;
}

int StrongTransform(const std::wstring& source, const std::wstring& destination)
{
    JobTransformer transformer;
    double derivation = 0;
    if (!PrepareStrong(transformer, derivation))
        return 1;
    return TimedStrongJob("strong", derivation, source, destination,
                          [&](const TransformRequest& request) { return transformer.Transform(request); });
}

// The decryptor of the benchmarks' password with the key of `source`
// derived already; the seconds that took.
bool DeriveFor(const std::wstring& source, StrongDecryptor& decryptor, double& seconds)
{
    HANDLE file = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    StrongHeader header{};
    DWORD got = 0;
    const bool read =
        file != INVALID_HANDLE_VALUE && ReadFile(file, header.data(), static_cast<DWORD>(header.size()), &got, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!read) {
        std::fprintf(stderr, "cannot read the header of the strong file\n");
        return false;
    }
    StrongChunkStream stream;
    return TimedDerivation([&] { return decryptor.Start(header.data(), got, stream); }, seconds,
                           "not a strong file of the benchmarks' password");
}

int StrongOpen(const std::wstring& source, const std::wstring& destination)
{
    StrongDecryptor decryptor(StrongPassword());
    double derivation = 0;
    if (!DeriveFor(source, decryptor, derivation))
        return 1;
    return TimedStrongJob("strongopen", derivation, source, destination,
                          [&](const TransformRequest& request) { return DecryptFileByFormat(request, decryptor); });
}

std::vector<std::wstring> Gather(const std::wstring& root)
{
    std::vector<std::wstring> files;
    WalkFolder(root, [&](FileBatch& batch) {
        for (auto& path : batch)
            files.push_back(std::move(path));
    });
    return files;
}

// True when a folder job did every file of a tree that has some; else says
// what went wrong.
bool AllDone(size_t files, size_t failed)
{
    if (files == 0)
        std::fprintf(stderr, "no file below the folder given\n");
    else if (failed)
        std::fprintf(stderr, "%zu of %zu file(s) failed\n", failed, files);
    return files > 0 && failed == 0;
}

int GatherOnly(const std::wstring& root)
{
    const auto start = Clock::now();
    const size_t count = Gather(root).size();
    std::printf("gather %.3f %zu\n", Since(start), count);
    return 0;
}

int FolderJob(const std::wstring& root, const std::wstring& output, bool strong)
{
    const auto start = Clock::now();
    JobTransformer transformer;
    double derivation = 0;
    if (strong && !PrepareStrong(transformer, derivation))
        return 1;
    JobKey key;
    if (!PasswordKey(key))
        return 1;
    const std::vector<std::wstring> files = Gather(root);
    size_t failed = 0;
    for (const auto& file : files)
        if (TransformFolderItem(root, file, output, key, transformer).status != FolderItemStatus::Done)
            ++failed;
    const double seconds = Since(start);
    if (!AllDone(files.size(), failed))
        return 1;
    std::printf("folder %.3f %zu %.3f\n", seconds, files.size(), derivation);
    return 0;
}

// Copies one file with plain reads and writes, as any Windows program must.
bool BareCopy(const std::wstring& source, const std::wstring& destination, std::vector<uint8_t>& buffer)
{
    HANDLE in = CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (in == INVALID_HANDLE_VALUE)
        return false;
    HANDLE out = CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    bool ok = out != INVALID_HANDLE_VALUE;
    for (DWORD got = 1; ok && got > 0;) {
        DWORD written = 0;
        ok = ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)
            && WriteFile(out, buffer.data(), got, &written, nullptr) && written == got;
    }
    CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE && !CloseHandle(out))
        ok = false;
    return ok;
}

int Copy(const std::wstring& source, const std::wstring& destination)
{
    std::vector<uint8_t> buffer(TransformChunkBytes);
    const auto start = Clock::now();
    const bool ok = BareCopy(source, destination, buffer);
    const double seconds = Since(start);
    if (!ok) {
        std::fprintf(stderr, "the copy failed (error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("copy %.3f\n", seconds);
    return 0;
}

int CopyTree(const std::wstring& root, const std::wstring& output)
{
    const auto start = Clock::now();
    const std::vector<std::wstring> files = Gather(root);
    std::vector<uint8_t> buffer(64 * 1024);
    size_t failed = 0;
    for (const auto& file : files) {
        const std::wstring destination = output + file.substr(root.size());
        if (!CreateFolderChain(destination.substr(0, destination.find_last_of(L'\\')))
            || !BareCopy(file, destination, buffer))
            ++failed;
    }
    const double seconds = Since(start);
    if (!AllDone(files.size(), failed))
        return 1;
    std::printf("copytree %.3f %zu\n", seconds, files.size());
    return 0;
}

// Counts the files below `folder` (given back as it came) with the fewest
// calls Windows offers and no path kept.
size_t CountFiles(std::wstring& folder)
{
    size_t count = 0;
    const size_t length = folder.size();
    folder += L"\\*";
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileExW(folder.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    folder.resize(length);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++count;
        } else if (wcscmp(entry.cFileName, L".") != 0 && wcscmp(entry.cFileName, L"..") != 0) {
            folder += L'\\';
            folder += entry.cFileName;
            count += CountFiles(folder);
            folder.resize(length);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return count;
}

int FindTree(const std::wstring& root)
{
    const auto start = Clock::now();
    std::wstring folder = root;
    folder.reserve(MAX_PATH * 4);
    const size_t count = CountFiles(folder);
    std::printf("findtree %.3f %zu\n", Since(start), count);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "transform" && argc == 4)
        return Transform(Wide(argv[2]), Wide(argv[3]));
    if (what == "gather" && argc == 3)
        return GatherOnly(Wide(argv[2]));
    if (what == "folder" && (argc == 4 || (argc == 5 && std::string(argv[4]) == "strong")))
        return FolderJob(Wide(argv[2]), Wide(argv[3]), argc == 5);
    if (what == "strong" && argc == 4)
        return StrongTransform(Wide(argv[2]), Wide(argv[3]));
    if (what == "strongopen" && argc == 4)
        return StrongOpen(Wide(argv[2]), Wide(argv[3]));
    if (what == "copy" && argc == 4)
        return Copy(Wide(argv[2]), Wide(argv[3]));
    if (what == "copytree" && argc == 4)
        return CopyTree(Wide(argv[2]), Wide(argv[3]));
    if (what == "findtree" && argc == 3)
        return FindTree(Wide(argv[2]));
    std::fprintf(
        stderr,
        "usage: crypt_bench transform SOURCE DESTINATION | gather ROOT | folder ROOT OUTPUT [strong]"
        " | strong SOURCE DESTINATION | strongopen SOURCE DESTINATION | copy SOURCE DESTINATION | copytree ROOT OUTPUT"
        " | findtree ROOT\n");
    return 2;
}
