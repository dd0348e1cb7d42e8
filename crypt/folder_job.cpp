#include "crypt/folder_job.h"

#include "base/long_path.h"
#include "crypt/output_names.h"

#include <windows.h>

namespace quenzel {

namespace {
std::wstring FolderOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}
} // namespace

bool CreateFolderChain(const std::wstring& folder)
{
    if (folder.empty())
        return true;
    const DWORD attributes = GetFileAttributesW(ExtendedLengthPath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t separator = folder.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator > 0 && folder[separator - 1] != L':'
        && !CreateFolderChain(folder.substr(0, separator)))
        return false;
    return CreateDirectoryW(ExtendedLengthPath(folder).c_str(), nullptr)
           || GetLastError() == ERROR_ALREADY_EXISTS;
}

FolderItemOutcome TransformFolderItem(const std::wstring& root, const std::wstring& item,
                                      const std::wstring& outputRoot, const JobKey& key,
                                      JobTransformer& transformer, const std::atomic<bool>* stop)
{
    FolderItemOutcome outcome;
    TransformRequest request;
    request.source = item;
    request.key = &key;
    request.stop = stop;
    if (!FolderJobOutputFile(root, item, outputRoot, request.destination)) {
        outcome.status = FolderItemStatus::OutsideRoot;
        return outcome;
    }
    if (!CreateFolderChain(FolderOf(request.destination))) {
        outcome.status = FolderItemStatus::FolderNotMade;
        return outcome;
    }
    outcome.transform = transformer.Transform(request);
    if (outcome.transform.status != TransformStatus::Ok)
        outcome.status = FolderItemStatus::NotTransformed;
    return outcome;
}

} // namespace quenzel
