#include "crypt/job_settings.h"

#include "base/handles.h"
#include "base/long_path.h"

#include <windows.h>

namespace quenzel {

FileIdentity IdentityOfFile(const std::wstring& path)
{
    // Attributes only, sharing everything: a file another program holds
    // open, the job's own sources included, still gives its identity.
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? IdentityOfHandle(file.Get()) : FileIdentity();
}

FileIdentity IdentityOfHandle(void* file)
{
    FileIdentity identity;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info))
        return identity;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.known = true;
    return identity;
}

} // namespace quenzel
