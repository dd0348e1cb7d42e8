// The messages of a folder job: a failure shown the first time its kind
// happens (asking whether to go on when it concerns the output or the key,
// which the next files would meet again), and the final report with the
// files that were not processed.
#pragma once

#include "crypt/folder_job.h"
#include "crypt/folder_tally.h"

#include <string>

namespace quenzel {

// The message of a listed file that was not processed; 0 when none is due
// (it was done, or given up because the job stops).
int FolderFailureKey(const FolderItemOutcome& outcome);

// Counts a failed file and shows its failure the first time its kind
// happens. False when the user chose to stop the job there.
bool TellFolderFailure(FolderTally& tally, const std::wstring& path, int messageKey);

// What the final report names: the job, the listed folder's title and the
// output folder.
struct FolderReportNames {
    bool decryption;
    std::wstring title;
    std::wstring output;
};

// The final report: how many of the listed files were encrypted or
// decrypted and where to, whether the job was stopped, and the first files
// that were not processed.
std::wstring FolderReportText(const FolderTally& tally, bool stopped, const FolderReportNames& names);

} // namespace quenzel
