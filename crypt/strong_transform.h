// The strong format on the shared temporary-file path: a file encrypted
// with a job's StrongEncryptor, and a file decrypted by the format its
// first bytes show.
#pragma once

#include "crypt/file_transform.h"
#include "engine/strong_format.h"

#include <memory>

namespace quenzel {

// Encrypts request.source into the strong format at request.destination
// with the job's prepared encryptor (request.key is not used). Progress and
// sourceSized as for TransformFile.
TransformOutcome StrongEncryptFile(const TransformRequest& request, StrongEncryptor& encryptor);

// Decrypts request.source by its format: a strong file with the job's
// decryptor, any other file with the legacy transform and request.key, byte
// for byte as TransformFile does. A strong file that does not authenticate
// writes nothing: the destination stays as it was.
TransformOutcome DecryptFileByFormat(const TransformRequest& request, StrongDecryptor& decryptor);

// How the files of one job are transformed: an encryption in the legacy or
// the strong format, a decryption by each file's own format. It keeps the
// job's StrongEncryptor or StrongDecryptor, so a job costs one Argon2id run
// however many files it holds.
class JobTransformer {
public:
    // An encryption in the legacy format until one of the two below.
    JobTransformer() = default;
    // An encryption in the strong format: derives the job's key now (about
    // a second, 256 MiB).
    StrongStatus PrepareStrongEncryption(const SecretBytes& keyInput);
    // A decryption: strong files use this key input; the key is derived at
    // the first strong file, once per salt and cost.
    void PrepareDecryption(SecretBytes keyInput);
    // A decryption asks `question` once before it derives more keys than
    // StrongKeysUnasked (StrongDecryptor::AskBeforeMoreKeys); a file whose
    // key it may not derive ends Stopped.
    void AskBeforeMoreKeys(StrongDecryptor::GoOnQuestion question);

    TransformOutcome Transform(const TransformRequest& request);

    // A decryption (PrepareDecryption was called).
    bool Decrypts() const { return decryptor_ != nullptr; }

    // A decryption's check of its key against a strong source before
    // anything is written or asked: its header and first chunk authenticate
    // (the key derived is kept for the transform). Ok for a file of the
    // original format, which cannot tell, and for an encryption; otherwise
    // the status the transform would end with.
    TransformStatus CheckKey(const std::wstring& source);

private:
    StrongEncryptor encryptor_;
    bool strongEncryption_ = false;
    std::unique_ptr<StrongDecryptor> decryptor_;
};

// The transform's status for a status of the strong engine.
TransformStatus FromStrongStatus(StrongStatus status);

} // namespace quenzel
