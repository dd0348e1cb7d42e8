// Room in memory for the secrets the program locks (keys, stream states,
// key-file pieces): Windows lets a process lock no more pages than its
// minimum working set holds, a few hundred kilobytes unless it is raised.
#pragma once

#include "crypt/cipher_key.h"

#include <cstdint>

namespace quenzel {

// What a job locks at most at one time: a held key file and the pattern
// the transform makes of it, a long key file's piece and its pattern (or
// the piece a key file is hashed in), and the small secrets (the password,
// key inputs, derived keys, stream states). One job runs at a time: the
// pages' tabs stay disabled while it does.
inline constexpr uint64_t SmallSecretBytes = 1024u * 1024u;
inline constexpr uint64_t LockedSecretBytesMost = 2 * HeldKeyBytes + 2 * KeyFilePieceBytes + SmallSecretBytes;

// Raises the process's minimum working set (and its maximum, so the
// minimum stays below it) by LockedSecretBytesMost, so that the secrets'
// locks succeed; called once at start. False when the system refuses:
// the secrets then work unlocked, and each refused lock is counted
// (SecretLockFailures).
bool RaiseLockableMemory();

} // namespace quenzel
