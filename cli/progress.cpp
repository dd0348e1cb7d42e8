#include "cli/progress.h"

#include "cli/system.h"

#include <algorithm>
#include <string>

namespace quenzel::cli {

namespace {

constexpr int BarWidth = 30;
constexpr uint64_t Percent = 100;
constexpr uint64_t MiB = 1ull << 20;
// A pipe's count is redrawn every this many bytes.
constexpr uint64_t CountStep = 16 * MiB;

std::string Bar(uint64_t done, uint64_t total)
{
    const uint64_t percent = done * Percent / total;
    const int filled = static_cast<int>(percent * BarWidth / Percent);
    return "[" + std::string(static_cast<size_t>(filled), '#')
        + std::string(static_cast<size_t>(BarWidth - filled), '.') + "] " + std::to_string(percent) + " %  "
        + std::to_string(done / MiB) + " of " + std::to_string(total / MiB) + " MiB";
}

} // namespace

void TerminalProgress::Begin(uint64_t total, bool wanted)
{
    End();
    total_ = total;
    wanted_ = wanted && StandardErrorIsTerminal() && (total == 0 || total >= LargeInputBytes);
    lastStep_ = UINT64_MAX;
}

TerminalProgress::~TerminalProgress()
{
    End();
}

void TerminalProgress::Advanced(uint64_t done)
{
    if (!wanted_ || (total_ == 0 && done < LargeInputBytes))
        return;
    const uint64_t step = total_ == 0 ? done / CountStep : done * Percent / total_;
    if (step == lastStep_)
        return;
    lastStep_ = step;
    shown_ = true;
    TellProgress(total_ == 0 ? std::to_string(done / MiB) + " MiB" : Bar(std::min(done, total_), total_));
}

void TerminalProgress::End()
{
    if (shown_)
        TellProgress({});
    shown_ = false;
}

} // namespace quenzel::cli
