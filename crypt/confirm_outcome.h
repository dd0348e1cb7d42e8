// The confirmation's plain words on what a job will do: encrypt or
// decrypt, into which file or folder, whether the output replaces the
// source, and the classic format's warnings.
#pragma once

#include "crypt/crypt_dialogs.h"
#include "engine/output_names.h"

#include <string>

namespace quenzel {

struct JobOutcomeFacts {
    CryptPageKind kind = CryptPageKind::File;
    JobKind job = EncryptJob;
    std::wstring source;       // the file, or the listed folder
    std::wstring destination;  // the output file, or the output folder
    bool strongFormat = false; // an encryption writes the strong format
    // A file decryption's existing file whose name the destination avoids.
    std::wstring takenOutput;
    // A file job's source goes to the recycle bin once the output is written
    // (the question above says so).
    bool recyclesSource = false;
};

// The lines the confirmation adds below its question, one a line.
std::wstring JobOutcomeText(const JobOutcomeFacts& facts);

} // namespace quenzel
