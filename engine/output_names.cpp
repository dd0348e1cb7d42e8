#include "engine/output_names.h"

namespace quenzel {

namespace {

constexpr wchar_t EncExtension[] = L".enc";
constexpr wchar_t DecExtension[] = L".dec";
constexpr wchar_t EncryptedFolder[] = L"\\Encrypted";
constexpr wchar_t DecryptedFolder[] = L"\\Decrypted";

bool EndsWith(const std::wstring& text, const std::wstring& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void RemoveSuffix(std::wstring& text, const std::wstring& suffix)
{
    if (EndsWith(text, suffix))
        text.erase(text.size() - suffix.size());
}

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

} // namespace

FolderNameOptions FolderNaming(const Options& options)
{
    FolderNameOptions naming;
    naming.addEncrypted = options.addEncrypted;
    naming.removeEncrypted = options.removeEncrypted;
    naming.addDecrypted = options.addDecrypted;
    naming.useEncPath = options.encryptTo;
    naming.useDecPath = options.decryptTo;
    naming.encPath = options.encPath;
    naming.decPath = options.decPath;
    return naming;
}

std::wstring ProposeFileOutput(const std::wstring& source, JobKind kind, const FileNameOptions& options)
{
    std::wstring out = source;
    if (kind == EncryptJob) {
        if (options.addEnc)
            out += EncExtension;
    } else if (kind == DecryptJob) {
        if (options.removeEnc)
            RemoveSuffix(out, EncExtension);
        if (options.addDec)
            out += DecExtension;
    }
    return out;
}

std::wstring ProposeFolderOutput(const std::wstring& sourceFolder, JobKind kind, const FolderNameOptions& options)
{
    std::wstring out = sourceFolder;
    if (kind == EncryptJob) {
        if (options.addEncrypted)
            out += EncryptedFolder;
        if (options.useEncPath)
            out = options.encPath.empty() ? DefaultEncryptedFolder : options.encPath;
    } else if (kind == DecryptJob) {
        if (options.removeEncrypted)
            RemoveSuffix(out, EncryptedFolder);
        if (options.addDecrypted)
            out += DecryptedFolder;
        if (options.useDecPath)
            out = options.decPath.empty() ? DefaultDecryptedFolder : options.decPath;
    }
    return out;
}

bool ItemBelowRoot(const std::wstring& gatheredRoot, const std::wstring& item, std::wstring& relative)
{
    relative.clear();
    if (gatheredRoot.empty() || item.size() <= gatheredRoot.size()
        || item.compare(0, gatheredRoot.size(), gatheredRoot) != 0)
        return false;
    // The walk joins a folder and a name with one backslash, so the rest
    // starts with one (two below a drive root such as "C:\"); an item that
    // merely shares a prefix with the root ("D:\Docs2\x" under "D:\Docs")
    // does not lie below it.
    if (!IsSeparator(item[gatheredRoot.size()]) && !IsSeparator(gatheredRoot.back()))
        return false;
    size_t start = gatheredRoot.size();
    while (start < item.size() && IsSeparator(item[start]))
        ++start;
    if (start == item.size())
        return false;
    relative = item.substr(start);
    return true;
}

bool FolderJobOutputFile(const std::wstring& gatheredRoot, const std::wstring& item, const std::wstring& outputFolder,
                         std::wstring& outputFile)
{
    outputFile.clear();
    std::wstring relative;
    if (!ItemBelowRoot(gatheredRoot, item, relative))
        return false;
    std::wstring folder = outputFolder;
    while (folder.size() > 1 && IsSeparator(folder.back()) && folder[folder.size() - 2] != L':')
        folder.pop_back();
    outputFile = folder;
    if (folder.empty() || !IsSeparator(folder.back()))
        outputFile += L'\\';
    outputFile += relative;
    return true;
}

std::wstring FreeOutputName(const std::wstring& path, const PathExistsCheck& exists)
{
    if (!exists(path))
        return path;
    const size_t separator = path.find_last_of(L"\\/:");
    const size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    const size_t dot = path.rfind(L'.');
    const size_t split = dot != std::wstring::npos && dot > nameStart ? dot : path.size();
    const std::wstring stem = path.substr(0, split);
    const std::wstring extension = path.substr(split);
    for (int number = 2; number <= FreeNameTries; ++number) {
        std::wstring candidate = stem + L" (" + std::to_wstring(number) + L")" + extension;
        if (!exists(candidate))
            return candidate;
    }
    return std::wstring();
}

bool PathBelowFolder(const std::wstring& folder, const std::wstring& path, std::wstring& rest)
{
    rest.clear();
    size_t end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1]))
        --end;
    if (end == 0 || path.size() <= end || path.compare(0, end, folder, 0, end) != 0 || !IsSeparator(path[end]))
        return false;
    size_t start = end;
    while (start < path.size() && IsSeparator(path[start]))
        ++start;
    size_t stop = path.size();
    while (stop > start && IsSeparator(path[stop - 1]))
        --stop;
    if (start == stop)
        return false;
    rest = path.substr(start, stop - start);
    return true;
}

std::wstring PathTitle(const std::wstring& path)
{
    const size_t end = path.find_last_not_of(L"\\/");
    if (end == std::wstring::npos)
        return path;
    const size_t separator = path.find_last_of(L"\\/:", end);
    const size_t start = separator == std::wstring::npos ? 0 : separator + 1;
    // A drive root has no last component: its title is the path itself.
    if (start > end)
        return path;
    return path.substr(start, end - start + 1);
}

} // namespace quenzel
