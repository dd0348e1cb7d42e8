// The strong format on the shared temporary-file path: a file encrypted
// with a job's StrongEncryptor, and a file decrypted by the format its
// first bytes show.
#pragma once

#include "crypt/file_transform.h"
#include "crypt/strong_format.h"

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

// The transform's status for a status of the strong engine.
TransformStatus FromStrongStatus(StrongStatus status);

} // namespace quenzel
