// The shredding engine timed on real files, for scripts/bench-shred to set
// beside the system's shred over the same data. Prints one line per run:
// "<what> <seconds> <count>", only for work done: a failure prints no time
// and ends the program with 1.
//   shred_bench files ROOT    every file below ROOT overwritten, flushed and deleted
//   shred_bench file PATH     one file overwritten and flushed, kept
#include "base/folder_walk.h"
#include "shredder/shred_file.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace quenzel;

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

int ShredTree(const std::wstring& root)
{
    std::vector<std::wstring> files;
    WalkFolder(root, [&files](FileBatch& batch) { files.insert(files.end(), batch.begin(), batch.end()); });
    const auto start = Clock::now();
    size_t shredded = 0;
    for (const std::wstring& file : files)
        shredded += ShredFile(file, true) == ShredResult::Shredded ? 1 : 0;
    const double seconds = Since(start);
    if (files.empty() || shredded != files.size()) {
        std::fprintf(stderr, "%zu of %zu file(s) shredded\n", shredded, files.size());
        return 1;
    }
    std::printf("files %.3f %zu\n", seconds, shredded);
    return 0;
}

int ShredOne(const std::wstring& path)
{
    const auto start = Clock::now();
    const bool done = ShredFile(path, false) == ShredResult::Shredded;
    const double seconds = Since(start);
    if (!done) {
        std::fprintf(stderr, "the file was not shredded\n");
        return 1;
    }
    std::printf("file %.3f 1\n", seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "files")
        return ShredTree(Wide(argv[2]));
    if (argc == 3 && std::string(argv[1]) == "file")
        return ShredOne(Wide(argv[2]));
    std::fprintf(stderr, "usage: shred_bench files ROOT | file PATH\n");
    return 2;
}
