#include "controls/button_ex.h"

#include <shlwapi.h>

namespace quenzel {

namespace {
constexpr wchar_t ButtonExClassName[] = L"ButtonExClass";
constexpr int ClassNameBufferLength = 14;
} // namespace

bool IsButtonEx(HWND window)
{
    wchar_t name[ClassNameBufferLength] = L"";
    if (!GetClassNameW(window, name, ClassNameBufferLength))
        return false;
    return StrStrW(name, ButtonExClassName) != nullptr;
}

} // namespace quenzel
