#include "app/page_table.h"

#include "app/fonts.h"
#include "app/language.h"
#include "app/shell.h"

#include "controls/button_ex.h"

#include <string>

namespace quenzel {

namespace {
HMENU ControlIdHandle(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

std::wstring ControlText(const ControlSpec& spec)
{
    if (spec.textKey != 0)
        return LangString(spec.textKey);
    return spec.text ? spec.text : L"";
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

HWND CreatePlainControl(HWND parent, const ControlSpec& spec, const std::wstring& text)
{
    const DWORD style = WS_CHILD | spec.style | (spec.visible ? WS_VISIBLE : 0);
    return CreateWindowExW(spec.exStyle, spec.className, text.c_str(), style, spec.place.x, spec.place.y,
                           spec.place.width, spec.place.height, parent, ControlIdHandle(spec.id), Instance,
                           nullptr);
}

HWND CreateButtonExControl(HWND parent, const ControlSpec& spec, const std::wstring& text)
{
    const DWORD style = spec.style | (spec.visible ? WS_VISIBLE : 0);
    HWND button = CreateButtonEx(text.c_str(), style, spec.place.x, spec.place.y, spec.place.width,
                                 spec.place.height, parent, spec.id);
    if (button && spec.tooltipKey != 0)
        AddButtonExTooltip(button, LangString(spec.tooltipKey).c_str());
    return button;
}

// Pictures of statics (bitmap or icon) and ButtonEx icons; the handles
// live as long as the controls, that is, as long as the process.
void SetControlImage(HWND control, const ControlSpec& spec)
{
    if (spec.imageId == 0)
        return;
    const wchar_t* resource = MAKEINTRESOURCEW(spec.imageId);
    if (spec.kind == ControlKind::ButtonEx) {
        HANDLE icon = LoadImageW(Instance, resource, IMAGE_ICON, spec.imageSize, spec.imageSize,
                                 LR_LOADMAP3DCOLORS);
        if (icon)
            SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        return;
    }
    const DWORD imageType = spec.style & SS_TYPEMASK;
    if (imageType == SS_BITMAP) {
        HANDLE bitmap = LoadImageW(Instance, resource, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
        if (bitmap)
            SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    } else if (imageType == SS_ICON) {
        HANDLE icon = LoadImageW(Instance, resource, IMAGE_ICON, spec.imageSize, spec.imageSize,
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
        const ControlSpec& spec = table.rows[i];
        const std::wstring text = ControlText(spec);
        HWND control = spec.kind == ControlKind::ButtonEx ? CreateButtonExControl(parent, spec, text)
                                                          : CreatePlainControl(parent, spec, text);
        if (!control) {
            allMade = false;
            continue;
        }
        if (HFONT font = FontOf(spec.font))
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetControlImage(control, spec);
    }
    return allMade;
}

void ShowPageControls(HWND parent, const PageTable& table, int showCommand)
{
    for (std::size_t i = 0; i < table.count; ++i) {
        const ControlSpec& spec = table.rows[i];
        if (spec.shownWhen && !spec.shownWhen())
            continue;
        if (HWND control = GetDlgItem(parent, spec.id))
            ShowWindow(control, showCommand);
    }
}

} // namespace quenzel
