#include "base/pictures.h"

#include "base/dpi.h"
#include "base/handles.h"
#include "base/process.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace quenzel {

namespace {
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroupHeader {
    WORD reserved, type, count;
};
#pragma pack(pop)

// A resource's bytes, or null.
const void* ResourceBytes(int id, const wchar_t* type, DWORD& size)
{
    HRSRC found = FindResourceW(Instance, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = found ? LoadResource(Instance, found) : nullptr;
    size = found ? SizeofResource(Instance, found) : 0;
    return loaded ? LockResource(loaded) : nullptr;
}

// The size of a bitmap resource, read from its header without making it.
SIZE BitmapResourceSize(int bitmapId)
{
    DWORD bytes = 0;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(ResourceBytes(bitmapId, RT_BITMAP, bytes));
    if (!header || bytes < sizeof *header)
        return SIZE{0, 0};
    return SIZE{header->biWidth, std::abs(header->biHeight)};
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info))
        return SIZE{0, 0};
    return SIZE{info.bmWidth, info.bmHeight};
}

// The bitmap drawn anew at `size` with halftone smoothing; the original
// goes. The original is kept when the copy cannot be made.
HBITMAP Resized(HBITMAP bitmap, SIZE from, SIZE size)
{
    WindowDC screen(nullptr);
    const UniqueMemoryDC source(CreateCompatibleDC(screen.Get()));
    const UniqueMemoryDC target(CreateCompatibleDC(screen.Get()));
    HBITMAP resized = screen.Get() ? CreateCompatibleBitmap(screen.Get(), size.cx, size.cy) : nullptr;
    if (!source || !target || !resized) {
        if (resized)
            DeleteObject(resized);
        return bitmap;
    }
    {
        const SelectedObject from_(source.Get(), bitmap);
        const SelectedObject to(target.Get(), resized);
        SetStretchBltMode(target.Get(), HALFTONE);
        SetBrushOrgEx(target.Get(), 0, 0, nullptr);
        if (!StretchBlt(target.Get(), 0, 0, size.cx, size.cy, source.Get(), 0, 0, from.cx, from.cy, SRCCOPY)) {
            DeleteObject(resized);
            resized = nullptr;
        }
    }
    if (!resized)
        return bitmap;
    DeleteObject(bitmap);
    return resized;
}

struct ListIcons {
    HWND list;
    std::vector<int> iconIds;
    int designSize;
};

struct KeptIcon {
    HINSTANCE module; // null: the system's own icons
    int iconId;
    int size;
    HICON icon;
};

std::vector<KeptIcon> DialogIcons;

HICON LoadIconFrom(HINSTANCE module, int iconId, int size)
{
    static const auto scaleDown = [] {
        HMODULE comctl32 = GetModuleHandleW(L"comctl32.dll");
        return comctl32 ? reinterpret_cast<LoadIconWithScaleDownFn>(
                   reinterpret_cast<void*>(GetProcAddress(comctl32, "LoadIconWithScaleDown")))
                        : nullptr;
    }();
    HICON icon = nullptr;
    if (scaleDown && SUCCEEDED(scaleDown(module, MAKEINTRESOURCEW(iconId), size, size, &icon)) && icon)
        return icon;
    return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, 0));
}

HICON KeptIconAtSize(HINSTANCE module, int iconId, int size)
{
    for (const KeptIcon& kept : DialogIcons)
        if (kept.module == module && kept.iconId == iconId && kept.size == size)
            return kept.icon;
    HICON icon = LoadIconFrom(module, iconId, size);
    if (icon)
        DialogIcons.push_back(KeptIcon{module, iconId, size, icon});
    return icon;
}

// Every list given icons, so a change of DPI can make them again.
std::vector<ListIcons> IconLists;

HIMAGELIST MakeImageList(const ListIcons& icons, int dpi)
{
    const int size = ScaleToDpi(icons.designSize, dpi);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, static_cast<int>(icons.iconIds.size()), 0);
    if (!images)
        return nullptr;
    for (int id : icons.iconIds) {
        HICON icon = LoadIconAtSize(id, size);
        if (icon) {
            ImageList_AddIcon(images, icon);
            DestroyIcon(icon);
        }
    }
    return images;
}

void SetImageList(HWND list, HIMAGELIST images)
{
    if (!images)
        return;
    auto old = reinterpret_cast<HIMAGELIST>(
        SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)));
    if (old && old != images)
        ImageList_Destroy(old);
}
} // namespace

HICON LoadIconAtSize(int iconId, int size)
{
    return LoadIconFrom(Instance, iconId, size);
}

int DesignIconSize(int iconId)
{
    DWORD bytes = 0;
    const auto* header = static_cast<const IconGroupHeader*>(ResourceBytes(iconId, RT_GROUP_ICON, bytes));
    if (!header || bytes < sizeof *header + header->count * sizeof(IconGroupEntry))
        return 0;
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(header + 1);
    int smallest = 0;
    for (WORD i = 0; i < header->count; ++i) {
        const int width = entries[i].width == 0 ? 256 : entries[i].width;
        smallest = smallest == 0 ? width : std::min(smallest, width);
    }
    return smallest;
}

HBITMAP LoadBitmapAtDpi(int bitmapId, int dpi)
{
    const SIZE design = BitmapResourceSize(bitmapId);
    const SIZE wanted{ScaleToDpi(design.cx, dpi), ScaleToDpi(design.cy, dpi)};
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(Instance, MAKEINTRESOURCEW(BitmapIdAtScale(bitmapId, ArtScaleForDpi(dpi))), IMAGE_BITMAP, 0, 0, 0));
    if (!bitmap)
        bitmap = static_cast<HBITMAP>(LoadImageW(Instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0));
    if (!bitmap)
        return nullptr;
    const SIZE drawn = BitmapSize(bitmap);
    if (drawn.cx == wanted.cx && drawn.cy == wanted.cy)
        return bitmap;
    return Resized(bitmap, drawn, wanted);
}

void SetDialogIcon(HWND dialog, int controlId, int iconId)
{
    if (HICON icon = KeptIconAtSize(Instance, iconId, Scaled(dialog, DesignIconSize(iconId))))
        SendDlgItemMessageW(dialog, controlId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void SetDialogSystemIcon(HWND dialog, int controlId, LPCWSTR systemIcon, int designSize)
{
    const int iconId = static_cast<int>(reinterpret_cast<ULONG_PTR>(systemIcon));
    if (HICON icon = KeptIconAtSize(nullptr, iconId, Scaled(dialog, designSize)))
        SendDlgItemMessageW(dialog, controlId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

void SetListIcons(HWND list, std::initializer_list<int> iconIds, int designSize)
{
    auto known =
        std::find_if(IconLists.begin(), IconLists.end(), [list](const ListIcons& l) { return l.list == list; });
    if (known == IconLists.end())
        known = IconLists.insert(IconLists.end(), ListIcons{list, {}, 0});
    known->iconIds.assign(iconIds);
    known->designSize = designSize;
    SetImageList(list, MakeImageList(*known, WindowDpi(list)));
}

void RemakeListIcons(HWND list, int dpi)
{
    const auto known =
        std::find_if(IconLists.begin(), IconLists.end(), [list](const ListIcons& l) { return l.list == list; });
    if (known != IconLists.end())
        SetImageList(list, MakeImageList(*known, dpi));
}

} // namespace quenzel
