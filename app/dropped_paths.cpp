#include "app/dropped_paths.h"

#include "base/lang_keys.h"
#include "base/language.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/tabs.h"

namespace quenzel {

namespace {
constexpr UINT AllDroppedFiles = 0xFFFFFFFF;

// A relative path is taken from the folder the program was started in.
std::wstring FullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

void ReportMissingPaths(const std::vector<std::wstring>& missing)
{
    std::wstring list;
    for (const std::wstring& path : missing)
        list += (list.empty() ? L"" : L"\n") + path;
    WarnUserText(FormatLangText(keys::PathsNotFound, MaxTextLength, list.c_str()));
}
} // namespace

std::vector<std::wstring> TakeDroppedPaths(HDROP drop)
{
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, AllDroppedFiles, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0)
            continue;
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        paths.push_back(std::move(path));
    }
    DragFinish(drop);
    return paths;
}

void PlaceStartPaths(const StartRequest& request)
{
    std::vector<std::wstring> found;
    std::vector<std::wstring> missing;
    for (const std::wstring& path : request.paths) {
        std::wstring full = FullPath(path);
        (PathExists(full) ? found : missing).push_back(std::move(full));
    }
    if (!missing.empty())
        ReportMissingPaths(missing);
    if (found.empty())
        return;
    if (request.startTab < 0)
        SelectTab(IsFolder(found.front()) ? FolderPageIndex : FilePageIndex);
    DispatchPageDrop(found);
}

} // namespace quenzel
