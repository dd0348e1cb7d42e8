// What a folder job did with its listed files, for its messages and its
// final report: each kind of failure is shown once (the first time it
// happens), the files that were not processed are collected, and the
// report names the first of them and counts the rest. Portable: no
// windows.h.
#pragma once

#include <string>
#include <vector>

namespace quenzel {

// The report names at most this many files that were not processed.
inline constexpr size_t ReportedNamesLimit = 10;

class FolderTally {
public:
    explicit FolderTally(int listed)
        : listed_(listed)
    { }

    void Done() { ++processed_; }
    // A file that failed; `kind` tells failures apart (the job uses the
    // key of its message). True the first time this kind happens: only
    // then is it shown.
    bool Failed(const std::wstring& path, int kind);

    int Listed() const { return listed_; }
    int Processed() const { return processed_; }
    // The files that failed, in order, at most ReportedNamesLimit of them.
    const std::vector<std::wstring>& NamedFailures() const { return named_; }
    int FailedCount() const { return failed_; }
    // Failed files beyond those named.
    int UnnamedFailures() const { return failed_ - static_cast<int>(named_.size()); }

private:
    int listed_;
    int processed_ = 0;
    int failed_ = 0;
    std::vector<int> kindsShown_;
    std::vector<std::wstring> named_;
};

} // namespace quenzel
