#include "crypt/confirm_outcome.h"

#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/process.h"
#include "crypt/file_transform.h"
#include "engine/strong_format.h"

#include <windows.h>

namespace quenzel {

namespace {

// True when the output is the source itself (the file, or the listed
// folder), however the paths are spelt.
bool ReplacesSource(const JobOutcomeFacts& facts)
{
    return IsSameFile(facts.source, facts.destination);
}

// A file that does not begin with the strong format's magic is taken as
// classic; one that cannot be read is too, so the warning errs on the safe side.
bool ClassicFile(const std::wstring& path)
{
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    uint8_t magic[sizeof StrongMagic] = {};
    DWORD got = 0;
    if (!file || !ReadFile(file.Get(), magic, sizeof magic, &got, nullptr))
        return true;
    return !IsStrongFormat(magic, got);
}

std::wstring FileLine(const JobOutcomeFacts& facts, bool replaces)
{
    const bool decrypt = facts.job == DecryptJob;
    const int newKey = decrypt ? (facts.recyclesSource ? keys::ConfirmDecryptNewRecycle : keys::ConfirmDecryptNew)
                               : (facts.recyclesSource ? keys::ConfirmEncryptNewRecycle : keys::ConfirmEncryptNew);
    const int key = replaces ? (decrypt ? keys::ConfirmDecryptReplace : keys::ConfirmEncryptReplace) : newKey;
    std::wstring line = FormatLangText(key, MaxTextLength, PathTitle(facts.destination).c_str());
    if (!facts.takenOutput.empty())
        line += L"\n"
            + FormatLangText(keys::ConfirmFreeName, MaxTextLength, PathTitle(facts.takenOutput).c_str(),
                             PathTitle(facts.destination).c_str());
    return line;
}

std::wstring FolderLine(const JobOutcomeFacts& facts, bool replaces)
{
    const bool decrypt = facts.job == DecryptJob;
    if (replaces)
        return LangString(decrypt ? keys::ConfirmFolderDecryptReplace : keys::ConfirmFolderEncryptReplace);
    if (!decrypt)
        return FormatLangText(keys::ConfirmFolderEncryptNew, MaxTextLength, facts.destination.c_str());
    return FormatLangText(keys::ConfirmFolderDecryptNew, MaxTextLength, facts.destination.c_str()) + L"\n"
        + LangString(keys::ConfirmFolderFreeNames);
}

// A decryption that replaces its source: a classic file decrypted with a
// wrong key is lost. A folder may hold classic files whatever its first one is.
bool ClassicReplaceAtRisk(const JobOutcomeFacts& facts, bool replaces)
{
    if (facts.job != DecryptJob || !replaces)
        return false;
    return facts.kind == CryptPageKind::Folder || ClassicFile(facts.source);
}

} // namespace

std::wstring JobOutcomeText(const JobOutcomeFacts& facts)
{
    const bool replaces = ReplacesSource(facts);
    std::wstring text = facts.kind == CryptPageKind::File ? FileLine(facts, replaces) : FolderLine(facts, replaces);
    if (ClassicReplaceAtRisk(facts, replaces))
        text += L"\n" + LangString(keys::ConfirmClassicReplaceWarning);
    if (facts.job == EncryptJob && !facts.strongFormat)
        text += L"\n" + LangString(keys::ConfirmClassicKeyWarning);
    return text;
}

} // namespace quenzel
