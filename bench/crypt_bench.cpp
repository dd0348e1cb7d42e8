// The file-encryption engine timed on real files, for scripts/bench to set
// beside cp and find over the same data. Prints one line per run:
// "<what> <seconds> <count>".
//   crypt_bench transform SOURCE DESTINATION   one file job's transform
//   crypt_bench gather ROOT                    the folder walk
//   crypt_bench folder ROOT OUTPUT             walk, then every file into OUTPUT
#include "base/folder_walk.h"
#include "crypt/file_transform.h"
#include "crypt/folder_job.h"

#include <windows.h>


#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace quenzel;

JobKey PasswordKey()
{
    JobKey key;
    key.bytes = PasswordKeyBytes("MORVANTE", 8);
    key.level = 7;
    return key;
}

struct NoProgress : CipherProgress {
    uint32_t last = 0;
    void SetPosition(uint32_t position) override { last = position; }
    void Step() override {}
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
    const JobKey key = PasswordKey();
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

std::vector<std::wstring> Gather(const std::wstring& root)
{
    std::vector<std::wstring> files;
    WalkFolder(root, [&](FileBatch& batch) {
        for (auto& path : batch)
            files.push_back(std::move(path));
    });
    return files;
}

int GatherOnly(const std::wstring& root)
{
    const auto start = Clock::now();
    const size_t count = Gather(root).size();
    std::printf("gather %.3f %zu\n", Since(start), count);
    return 0;
}

int FolderJob(const std::wstring& root, const std::wstring& output)
{
    const auto start = Clock::now();
    const std::vector<std::wstring> files = Gather(root);
    const JobKey key = PasswordKey();
    size_t failed = 0;
    for (const auto& file : files)
        if (TransformFolderItem(root, file, output, key).status != FolderItemStatus::Done)
            ++failed;
    std::printf("folder %.3f %zu\n", Since(start), files.size());
    if (failed) {
        std::fprintf(stderr, "%zu file(s) failed\n", failed);
        return 1;
    }
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
    if (what == "folder" && argc == 4)
        return FolderJob(Wide(argv[2]), Wide(argv[3]));
    std::fprintf(stderr, "usage: crypt_bench transform SOURCE DESTINATION | gather ROOT | folder ROOT OUTPUT\n");
    return 2;
}
