#include "crypt/secret_memory.h"

#include "base/handles.h"

#include <windows.h>

namespace quenzel {

namespace {

// A raised working set takes the privilege to increase it, which every
// user holds but which is not enabled in the token by default. Where it is
// not held, nothing changes: the raise is asked anyway, and may still be
// granted within the system's limits.
void EnableWorkingSetPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    const UniqueKernelHandle owned(token);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_INC_WORKING_SET_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
}

} // namespace

bool RaiseLockableMemory()
{
    SIZE_T least = 0;
    SIZE_T most = 0;
    if (!GetProcessWorkingSetSize(GetCurrentProcess(), &least, &most))
        return false;
    EnableWorkingSetPrivilege();
    const SIZE_T room = static_cast<SIZE_T>(LockedSecretBytesMost);
    return SetProcessWorkingSetSize(GetCurrentProcess(), least + room, most + room) != FALSE;
}

} // namespace quenzel
