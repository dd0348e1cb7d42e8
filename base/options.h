// The options of the options page as data: the encryption pages, their
// jobs and dialogs read them here, never from the page's boxes. Portable:
// no windows.h.
#pragma once

#include <string>

namespace quenzel {

struct Options {
    bool recycleSource = false;   // the source goes to the recycle bin after a file job
    bool addEnc = false;          // a file job's naming: ".enc" added when encrypting,
    bool removeEnc = false;       // removed when decrypting,
    bool addDec = false;          // ".dec" added when decrypting
    bool strongFormat = false;    // an encryption writes the strong format
    bool removeEncrypted = false; // a folder job's output folder: "\Encrypted" removed,
    bool addEncrypted = false;    // added when encrypting,
    bool addDecrypted = false;    // "\Decrypted" added when decrypting
    bool encryptTo = false;       // an encryption writes below encPath
    bool decryptTo = false;       // a decryption writes below decPath
    std::wstring encPath;
    std::wstring decPath;
};

// Written by the options page when a box or field changes and at start;
// any thread.
void StoreOptions(const Options& options);
// A copy of the options as last stored, taken under a lock: a job takes
// one when it starts and keeps it; any thread.
Options CurrentOptions();

// What the options page does for the jobs, on the window's thread.
struct OptionsRoutines {
    // Stores what the boxes and fields show now: a box can be set without
    // a click, and a field change reach a page that is not shown.
    void (*refresh)() = nullptr;
    // Enables or disables the boxes a running job was started with.
    void (*enableJobBoxes)(bool enable) = nullptr;
};
void RegisterOptionsRoutines(const OptionsRoutines& routines);

// On the window's thread, before a job starts: the options page stores
// what it shows.
void RefreshOptions();
// On the window's thread, while any job runs (false) and once none does.
void EnableJobOptions(bool enable);

} // namespace quenzel
