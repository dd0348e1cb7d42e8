#include "base/process.h"

#include <vector>

namespace quenzel {

std::wstring ExecutableFolder()
{
    std::vector<wchar_t> buffer(MaxTextLength + 1);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos)
        path.resize(slash);
    return path;
}

} // namespace quenzel
