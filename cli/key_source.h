// Where quenzel-cli takes its key from: a password (a prompt, a file or an
// environment variable) or a key file, as the strong format's key input or
// a classic file's key bytes.
#pragma once

#include "cli/cli_options.h"
#include "cli/messages.h"
#include "engine/cipher.h"
#include "engine/strong_format.h"

#include <memory>
#include <string>

namespace quenzel::cli {

// A password file's first line is at most this long.
inline constexpr size_t PasswordFileMostBytes = 65536;
// Classic key files up to this size are held in memory; longer ones are
// read in step with the data, as the program does.
inline constexpr uint64_t HeldClassicKeyBytes = 8ull << 20;

struct Problematic {
    Problem problem = Problem::None;
    std::string detail;
    bool failed() const { return problem != Problem::None; }
};

// The password in UTF-8: from --password-env, --password-file, or asked
// on the terminal (twice with `twice`, both answers the same).
Problematic TakePassword(const CliOptions& options, bool twice, SecretBytes& utf8);

// An encryption's key input: a password no encryption refuses (empty, the
// sample password), or the key file's hash.
Problematic EncryptionKeyInput(const CliOptions& options, SecretBytes& keyInput);

// A strong file's key input for a decryption or a check: the password
// (an empty one is a wrong one: no strong file has it) or the key file's hash.
Problematic StrongKeyInput(const CliOptions& options, SecretBytes& keyInput);

// A classic file's key: the password's bytes (the built-in key for an
// empty one) or the key file's content, held or read in step with the data.
struct ClassicKey {
    SecretBytes bytes;
    std::unique_ptr<KeyReader> reader; // a long key file
};
Problematic TakeClassicKey(const CliOptions& options, ClassicKey& key);

} // namespace quenzel::cli
