// The progress of a long run on the terminal: a bar for an input of known
// size, a running count for a pipe, shown only on a terminal and only once
// the input is large; silent otherwise.
#pragma once

#include "engine/strong_format.h"

#include <cstdint>

namespace quenzel::cli {

// Inputs below this size show no progress.
inline constexpr uint64_t LargeInputBytes = 64ull << 20;

class TerminalProgress : public StrongProgress {
public:
    TerminalProgress() = default;
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Starts a run over an input of `total` bytes, 0 when its size is not
    // known (a pipe); shown when `wanted`, on a terminal, for a large input.
    void Begin(uint64_t total, bool wanted);
    void Advanced(uint64_t done) override;
    // Clears the bar's line, so a message can follow.
    void End();

private:
    uint64_t total_ = 0;
    bool shown_ = false;
    bool wanted_ = false;
    uint64_t lastStep_ = UINT64_MAX;
};

} // namespace quenzel::cli
