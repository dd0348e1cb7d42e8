#include "controls/page_table.h"

#include "base/fonts.h"
#include "base/language.h"
#include "base/process.h"

#include "controls/button_ex.h"

#include <string>

namespace quenzel {

namespace {
HMENU ControlIdHandle(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

std::wstring ControlText(const ControlSpec& row)
{
    if (row.textKey != 0)
        return LangString(row.textKey);
    return row.text ? row.text : L"";
}

HFONT FontOf(ControlFont font)
{
    switch (font) {
    case ControlFont::Normal:
        return NormalFont;
    case ControlFont::Bold:
        return BoldFont;
    case ControlFont::None:
        break;
    }
    return nullptr;
}

HWND CreatePlainControl(HWND parent, const ControlSpec& row, const std::wstring& text)
{
    const DWORD style = WS_CHILD | row.style | (row.visible ? WS_VISIBLE : 0);
    return CreateWindowExW(row.exStyle, row.className, text.c_str(), style, row.place.x, row.place.y,
                           row.place.width, row.place.height, parent, ControlIdHandle(row.id), Instance,
                           nullptr);
}

HWND CreateButtonExControl(HWND parent, const ControlSpec& row, const std::wstring& text)
{
    const DWORD style = row.style | (row.visible ? WS_VISIBLE : 0);
    HWND button = CreateButtonEx(text.c_str(), style, row.place.x, row.place.y, row.place.width,
                                 row.place.height, parent, row.id);
    if (button && row.tooltipKey != 0)
        AddButtonExTooltip(button, LangString(row.tooltipKey).c_str());
    return button;
}

// Pictures of statics (bitmap or icon) and ButtonEx icons; the handles
// live as long as the controls, that is, as long as the process.
void SetControlImage(HWND control, const ControlSpec& row)
{
    if (row.imageId == 0)
        return;
    const wchar_t* resource = MAKEINTRESOURCEW(row.imageId);
    if (row.kind == ControlKind::ButtonEx) {
        HANDLE icon = LoadImageW(Instance, resource, IMAGE_ICON, row.imageSize, row.imageSize,
                                 LR_LOADMAP3DCOLORS);
        if (icon)
            SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        return;
    }
    const DWORD imageType = row.style & SS_TYPEMASK;
    if (imageType == SS_BITMAP) {
        HANDLE bitmap = LoadImageW(Instance, resource, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
        if (bitmap)
            SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    } else if (imageType == SS_ICON) {
        HANDLE icon = LoadImageW(Instance, resource, IMAGE_ICON, row.imageSize, row.imageSize,
                                 LR_LOADMAP3DCOLORS);
        if (icon)
            SendMessageW(control, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    }
}
} // namespace

bool CreatePageControls(HWND parent, const PageTable& table)
{
    bool allMade = true;
    for (std::size_t i = 0; i < table.count; ++i) {
        const ControlSpec& row = table.rows[i];
        const std::wstring text = ControlText(row);
        HWND control = row.kind == ControlKind::ButtonEx ? CreateButtonExControl(parent, row, text)
                                                          : CreatePlainControl(parent, row, text);
        if (!control) {
            allMade = false;
            continue;
        }
        if (HFONT font = FontOf(row.font))
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetControlImage(control, row);
    }
    return allMade;
}

void ShowPageControls(HWND parent, const PageTable& table, int showCommand)
{
    for (std::size_t i = 0; i < table.count; ++i) {
        const ControlSpec& row = table.rows[i];
        if (row.shownWhen && !row.shownWhen())
            continue;
        if (HWND control = GetDlgItem(parent, row.id))
            ShowWindow(control, showCommand);
    }
}

} // namespace quenzel
