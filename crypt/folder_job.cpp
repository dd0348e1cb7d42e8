#include "crypt/folder_job.h"

#include "base/long_path.h"
#include "engine/output_names.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace quenzel {

namespace {

// A path as the file system compares it: upper case, as Windows matches names.
std::wstring Folded(std::wstring text)
{
    if (!text.empty())
        CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// A full path in one spelling: the extended form with long names for any
// short (8.3) ones, no trailing separator, upper case.
std::wstring ComparablePath(const std::wstring& path)
{
    std::wstring spelt = ExtendedPath(path);
    const DWORD needed = GetLongPathNameW(spelt.c_str(), nullptr, 0);
    if (needed > 0) {
        std::vector<wchar_t> longName(needed + 1, L'\0');
        const DWORD length = GetLongPathNameW(spelt.c_str(), longName.data(), needed + 1);
        if (length > 0 && length <= needed)
            spelt.assign(longName.data(), length);
    }
    while (spelt.size() > 1 && spelt.back() == L'\\' && spelt[spelt.size() - 2] != L':')
        spelt.pop_back();
    return Folded(spelt);
}

// A listed file's relative path as the file system compares it.
std::wstring ComparableRelative(std::wstring relative)
{
    for (wchar_t& c : relative)
        if (c == L'/')
            c = L'\\';
    return Folded(relative);
}

bool IsFolderPath(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Counts the outputs that exist, are other files than their sources and
// will be replaced (a read-only one is skipped instead); false when one of
// them is the key file.
bool CountExistingOutputs(const std::wstring& root, const std::vector<std::wstring>& items,
                          const std::wstring& outputRoot, const std::wstring& keyFile, FolderJobCheck& check)
{
    const FileIdentity key = keyFile.empty() ? FileIdentity() : IdentityOfFile(keyFile);
    for (size_t i = 0; i < items.size(); ++i) {
        std::wstring output;
        if (check.sameOutput[i] || !FolderJobOutputFile(root, items[i], outputRoot, output) || !IsExistingFile(output))
            continue;
        const FileIdentity existing = IdentityOfFile(output);
        if (existing.SameFile(key))
            return false;
        const bool readOnly = (GetFileAttributesW(ExtendedPath(output).c_str()) & FILE_ATTRIBUTE_READONLY) != 0;
        if (!readOnly && !existing.SameFile(IdentityOfFile(items[i])))
            ++check.existingOutputs;
    }
    return true;
}

} // namespace

bool SameFolderPath(const std::wstring& first, const std::wstring& second)
{
    return ComparablePath(first) == ComparablePath(second);
}

bool OutputOverList(const std::wstring& root, const std::vector<std::wstring>& items, const std::wstring& outputRoot)
{
    const std::wstring listed = ComparablePath(root);
    const std::wstring output = ComparablePath(outputRoot);
    // When one folder holds the other, outputs land in the listed tree at
    // `between` below the listed folder (the same folder, where each file
    // replaces itself, is fine).
    std::wstring between;
    if (listed == output || !(PathBelowFolder(listed, output, between) || PathBelowFolder(output, listed, between)))
        return false;
    std::wstring relative;
    std::wstring below;
    for (const std::wstring& item : items)
        if (ItemBelowRoot(root, item, relative) && PathBelowFolder(between, ComparableRelative(relative), below))
            return true;
    return false;
}

OutputFolders::OutputFolders(const std::wstring& root, const Options& options)
    : root_(root)
{
    const std::wstring listed = ComparablePath(root);
    const FolderNameOptions naming = FolderNaming(options);
    for (const JobKind job : {EncryptJob, DecryptJob}) {
        std::wstring below;
        if (PathBelowFolder(listed, ComparablePath(ProposeFolderOutput(root, job, naming)), below))
            below_.push_back(below);
    }
}

bool OutputFolders::Holds(const std::wstring& folder) const
{
    if (below_.empty())
        return false;
    std::wstring relative;
    if (!ItemBelowRoot(root_, folder, relative))
        return false;
    relative = ComparableRelative(relative);
    return std::find(below_.begin(), below_.end(), relative) != below_.end();
}

FolderItemOutcome TransformFolderItem(const std::wstring& root, const std::wstring& item,
                                      const std::wstring& outputRoot, const JobKey& key, JobTransformer& transformer,
                                      const FileIdentity& keyFile, const std::atomic<bool>* stop)
{
    FolderItemOutcome outcome;
    TransformRequest request;
    request.source = item;
    request.key = &key;
    request.stop = stop;
    request.keyFile = keyFile;
    request.createFolder = true;
    // A decryption never replaces a file beside its output, such as the
    // original an encrypted folder was made from.
    request.freeName = transformer.Decrypts();
    if (!FolderJobOutputFile(root, item, outputRoot, request.destination)) {
        outcome.status = FolderItemStatus::OutsideRoot;
        return outcome;
    }
    outcome.transform = transformer.Transform(request);
    if (outcome.transform.status != TransformStatus::Ok)
        outcome.status = FolderItemStatus::NotTransformed;
    return outcome;
}

FolderJobCheck CheckFolderJob(const std::wstring& root, const std::vector<std::wstring>& items,
                              const std::wstring& outputRoot, const std::wstring& keyFile)
{
    FolderJobCheck check;
    check.sameOutput.assign(items.size(), false);
    if (OutputOverList(root, items, outputRoot)) {
        check.verdict = FolderJobCheck::Verdict::OutputOverList;
        return check;
    }
    const std::wstring output = ComparablePath(outputRoot);
    const bool inPlace = ComparablePath(root) == output;

    std::unordered_set<std::wstring> relatives;
    for (size_t i = 0; i < items.size(); ++i) {
        std::wstring relative;
        if (ItemBelowRoot(root, items[i], relative))
            check.sameOutput[i] = !relatives.insert(ComparableRelative(relative)).second;
    }

    std::wstring keyRelative;
    if (!keyFile.empty() && PathBelowFolder(output, ComparablePath(keyFile), keyRelative)
        && relatives.count(keyRelative)) {
        check.verdict = FolderJobCheck::Verdict::KeyFileOutput;
        return check;
    }
    // Replacing each file by itself asks nothing; an output folder that
    // does not exist yet holds nothing to replace.
    if (!inPlace && IsFolderPath(outputRoot) && !CountExistingOutputs(root, items, outputRoot, keyFile, check))
        check.verdict = FolderJobCheck::Verdict::KeyFileOutput;
    return check;
}

} // namespace quenzel
