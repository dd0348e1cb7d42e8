#include "controls/button_ex_paint.h"

#include "base/dpi.h"
#include "base/high_contrast.h"
#include "controls/button_ex.h"
#include "controls/button_ex_contrast.h"
#include "controls/button_ex_data.h"
#include "controls/button_layout.h"
#include "controls/button_logic.h"

#include <string>

namespace quenzel {

namespace {
constexpr int BackgroundCorner = 8; // corner ellipse of the rounded background
constexpr int OutlineCorner = 6;    // corner ellipse of the rounded outline
constexpr COLORREF OutlineColor = 0x908782;
constexpr COLORREF CornerColor = 0x808080;
constexpr COLORREF InnerCornerColor = 0xC5D0D6;
constexpr COLORREF DisabledCaption = 0x808080;
constexpr int FocusInset = 4;

struct BevelColors {
    COLORREF first, second, third;
};
constexpr BevelColors PlainBevel{0xC5D0D6, 0xD6DFE2, 0xE6EBEC};
constexpr BevelColors FocusedSunkenBevel{0xD4A399, 0xEEC5AD, 0xEEC5AD};
constexpr BevelColors FocusedRaisedBevel{0xD4A399, 0xEEC5AD, 0xEBE0C1};

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// The four edges of a frame: top-left with one pen, bottom-right with the other.
void DrawEdges(HDC dc, int w, int h, HPEN topLeft, HPEN bottomRight)
{
    {
        SelectedObject pen(dc, topLeft);
        MoveToEx(dc, w - 1, 0, nullptr);
        LineTo(dc, 0, 0);
        LineTo(dc, 0, h - 1);
    }
    SelectedObject pen(dc, bottomRight);
    LineTo(dc, w - 1, h - 1);
    LineTo(dc, w - 1, 0);
}

HPEN LightPen(const ButtonExData& data, const ButtonExShared& shared)
{
    return (data.style & BXS_HARDEDGES) ? shared.whitePen : shared.highlightPen;
}

HPEN DarkPen(const ButtonExData& data, const ButtonExShared& shared)
{
    return (data.style & BXS_HARDEDGES) ? shared.blackPen : shared.shadowPen;
}

class BevelPen {
public:
    BevelPen(HDC dc, COLORREF color)
        : pen_(CreatePen(PS_SOLID, 1, color))
        , selected_(dc, pen_.Get())
    { }

private:
    UniqueGdiObject pen_;
    SelectedObject selected_;
};

void DrawSunkenBevel(HDC dc, const RECT& rc, bool focused)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const BevelColors colors = focused ? FocusedSunkenBevel : PlainBevel;
    {
        BevelPen pen(dc, colors.first);
        Line(dc, l + 2, t + 1, r - 2, t + 1);
        Line(dc, l + 1, t + 2, l + 1, b - 2);
    }
    {
        BevelPen pen(dc, colors.second);
        Line(dc, l + 2, t + 2, r - 1, t + 2);
        Line(dc, l + 2, t + 2, l + 2, b - 1);
    }
    BevelPen pen(dc, colors.third);
    Line(dc, l + 3, t + 3, r - 1, t + 3);
    Line(dc, l + 3, t + 3, l + 3, b - 1);
    if (focused) {
        Line(dc, l + 4, b - 2, r - 2, b - 2);
        Line(dc, r - 2, t + 3, r - 2, b - 3);
    }
}

void DrawRaisedBevel(HDC dc, const RECT& rc, bool focused)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const BevelColors colors = focused ? FocusedRaisedBevel : PlainBevel;
    {
        BevelPen pen(dc, colors.first);
        Line(dc, l + 2, b - 2, r - 2, b - 2);
        Line(dc, r - 2, t + 2, r - 2, b - 2);
    }
    {
        BevelPen pen(dc, colors.second);
        Line(dc, l + 1, b - 3, r - 2, b - 3);
        Line(dc, r - 3, t + 1, r - 3, b - 3);
    }
    BevelPen pen(dc, colors.third);
    Line(dc, l + 1, b - 4, r - 3, b - 4);
    Line(dc, r - 4, t + 1, r - 4, b - 3);
    if (focused) {
        Line(dc, l + 3, t + 1, r - 4, t + 1);
        Line(dc, l + 1, t + 3, l + 1, b - 4);
    }
}

void DrawCornerPixels(HDC dc, const RECT& rc, bool sunken)
{
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const POINT corners[] = {{l + 1, b - 1}, {l, b - 2},     {l, t + 1},     {l + 1, t},
                             {r - 2, t},     {r - 1, t + 1}, {r - 1, b - 2}, {r - 2, b - 1}};
    for (const POINT& p : corners)
        SetPixelV(dc, p.x, p.y, CornerColor);
    if (sunken) {
        SetPixelV(dc, r - 3, b - 2, InnerCornerColor);
        SetPixelV(dc, r - 2, b - 3, InnerCornerColor);
    } else {
        SetPixelV(dc, l + 1, t + 2, InnerCornerColor);
        SetPixelV(dc, l + 2, t + 1, InnerCornerColor);
    }
}

void DrawRoundedFrame(HDC dc, const ButtonExData& data, const RECT& rc, bool sunken, int dpi)
{
    {
        // The outline is filled with the background, so the frame does not
        // depend on an earlier erase.
        BevelPen pen(dc, OutlineColor);
        SelectedObject brush(dc, data.Brush());
        const int corner = ScaleToDpi(OutlineCorner, dpi);
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, corner, corner);
    }
    const bool focused = (data.style & BXS_FOCUSCUE) && data.focused;
    if (sunken)
        DrawSunkenBevel(dc, rc, focused);
    else
        DrawRaisedBevel(dc, rc, focused);
    DrawCornerPixels(dc, rc, sunken);
}

void DrawFrame(HDC dc, const ButtonExData& data, ButtonLook look, const RECT& client, int dpi)
{
    const ButtonExShared& shared = ButtonExClassState();
    const int w = client.right, h = client.bottom;
    const bool sunken = look == ButtonLook::Sunken;
    switch (look) {
    case ButtonLook::Flat:
        return;
    case ButtonLook::Hot:
        DrawEdges(dc, w, h, LightPen(data, shared), DarkPen(data, shared));
        return;
    case ButtonLook::Raised:
    case ButtonLook::Sunken:
        break;
    }
    if (data.style & BXS_ROUNDED) {
        DrawRoundedFrame(dc, data, client, sunken, dpi);
    } else if (data.style & BXS_SYSTEMFRAME) {
        RECT frame = client;
        DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (sunken ? DFCS_PUSHED : 0));
    } else if (sunken) {
        DrawEdges(dc, w, h, DarkPen(data, shared), LightPen(data, shared));
    } else {
        DrawEdges(dc, w, h, LightPen(data, shared), DarkPen(data, shared));
    }
}

struct ButtonImage {
    HANDLE handle = nullptr;
    UINT kind = 0; // DST_BITMAP or DST_ICON
    SIZE size{};
};

SIZE IconSize(HICON icon)
{
    SIZE size{};
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return size;
    UniqueGdiObject color(info.hbmColor);
    UniqueGdiObject mask(info.hbmMask);
    BITMAP bits{};
    if (color && GetObjectW(color.Get(), sizeof bits, &bits)) {
        size = {bits.bmWidth, bits.bmHeight};
    } else if (mask && GetObjectW(mask.Get(), sizeof bits, &bits)) {
        size = {bits.bmWidth, bits.bmHeight / 2}; // a monochrome icon: AND and XOR masks stacked
    }
    return size;
}

ButtonImage ChooseImage(const ButtonExData& data, bool pressedLook)
{
    ButtonImage image;
    if ((data.style & BS_BITMAP) && data.bitmap) {
        BITMAP bits{};
        if (GetObjectW(data.bitmap, sizeof bits, &bits))
            image.size = {bits.bmWidth, bits.bmHeight};
        image.handle = (pressedLook && data.bitmapPressed) ? data.bitmapPressed : data.bitmap;
        image.kind = DST_BITMAP;
    } else if ((data.style & BS_ICON) && data.icon) {
        image.size = IconSize(data.icon);
        image.handle = (pressedLook && data.iconPressed) ? data.iconPressed : data.icon;
        image.kind = DST_ICON;
    }
    return image;
}

// The caption's colours: the button's own, or in high contrast the system's.
struct CaptionColours {
    COLORREF text;
    COLORREF back;
    UINT state; // DSS_DISABLED embosses in fixed 3D colours: not in high contrast
};

CaptionColours CaptionColoursOf(const ButtonExData& data, ButtonLook look)
{
    if (HighContrastOn())
        return {ContrastTextColour(data, look), GetSysColor(ContrastFaceIndex(look)), DSS_NORMAL};
    return {data.disabled ? DisabledCaption : data.textColor, data.bkColor,
            static_cast<UINT>(data.disabled ? DSS_DISABLED : DSS_NORMAL)};
}

void DrawContent(HDC dc, const ButtonExData& data, ButtonLook look, const RECT& client, const RECT& paintRect, int dpi)
{
    const int offset = ContentOffset(look);
    SelectedObject font(dc, data.font);
    const wchar_t* caption = data.text ? data.text.get() : nullptr;
    const bool hasCaption = caption && *caption;
    // Measured in a buffer of the caption's own size, however long it is.
    const std::wstring shown = StripMnemonicMarks(caption);
    SIZE text{};
    if (hasCaption)
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &text);
    const UINT state = data.disabled ? DSS_DISABLED : DSS_NORMAL;

    const ButtonImage image = ChooseImage(data, offset != 0);
    ButtonLayoutInput in;
    in.style = data.style;
    in.width = client.right;
    in.height = client.bottom;
    in.hasImage = image.handle != nullptr;
    in.imageWidth = image.size.cx;
    in.imageHeight = image.size.cy;
    in.hasCaption = hasCaption;
    in.textWidth = text.cx;
    in.textHeight = text.cy;
    in.dpi = dpi;
    const ButtonLayout layout = ComputeButtonLayout(in);

    if (image.handle)
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image.handle), 0, layout.image.x + offset,
                   layout.image.y + offset, image.kind == DST_ICON ? image.size.cx : 0,
                   image.kind == DST_ICON ? image.size.cy : 0, image.kind | state);
    if (hasCaption) {
        const CaptionColours colours = CaptionColoursOf(data, look);
        const COLORREF oldBk = SetBkColor(dc, colours.back);
        const COLORREF oldText = SetTextColor(dc, colours.text);
        // Prefix text: the "&" underlines the mnemonic instead of showing.
        DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(caption), static_cast<WPARAM>(lstrlenW(caption)),
                   layout.text.x + offset, layout.text.y + offset, text.cx, text.cy, DST_PREFIXTEXT | colours.state);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBk);
    }
    if ((data.style & BXS_FOCUSCUE) && !(data.style & BXS_ROUNDED) && data.focused && !HighContrastOn()) {
        RECT focus = paintRect;
        const int inset = ScaleToDpi(FocusInset, dpi);
        InflateRect(&focus, -inset, -inset);
        DrawFocusRect(dc, &focus);
    }
}

ButtonLook LookOf(const ButtonExData& data)
{
    ButtonLookState state;
    state.latching = (data.style & BXS_LATCH) != 0;
    state.flat = (data.style & BXS_FLAT) != 0;
    state.hot = data.hot;
    state.resting = data.resting;
    state.latched = data.latched;
    state.pressed = data.pressed;
    state.pressedInside = ButtonExClassState().pressedInside;
    return ChooseButtonLook(state);
}

} // namespace

LRESULT PaintButtonExBackground(HWND button, const ButtonExData& data, HDC dc)
{
    RECT rc{};
    GetClientRect(button, &rc);
    if (HighContrastOn()) {
        FillRect(dc, &rc, GetSysColorBrush(ContrastFaceIndex(LookOf(data))));
        return 1;
    }
    SelectedObject brush(dc, data.Brush());
    if (data.style & BXS_ROUNDED) {
        const int corner = Scaled(button, BackgroundCorner);
        RoundRect(dc, rc.left, rc.top, rc.right, rc.bottom, corner, corner);
    } else if (data.style & BXS_FLAT) {
        SelectedObject pen(dc, GetStockObject(NULL_PEN));
        Rectangle(dc, rc.left, rc.top, rc.right + 1, rc.bottom + 1);
    } else {
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
    }
    return 1;
}

void PaintButtonEx(HWND button, const ButtonExData& data, HDC dc, const RECT& paintRect)
{
    RECT client{};
    GetClientRect(button, &client);
    const ButtonLook look = LookOf(data);
    const int dpi = WindowDpi(button);
    if (HighContrastOn())
        DrawContrastFrame(dc, data, look, client);
    else
        DrawFrame(dc, data, look, client, dpi);
    DrawContent(dc, data, look, client, paintRect, dpi);
}

void ReplaceBitmapColor(HBITMAP bitmap, COLORREF oldColor, COLORREF newColor)
{
    if (!bitmap)
        return;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory)
        return;
    {
        SelectedObject selected(memory, bitmap);
        BITMAP bits{};
        if (GetObjectW(bitmap, sizeof bits, &bits)) {
            for (int x = 0; x < bits.bmWidth; ++x)
                for (int y = 0; y < bits.bmHeight; ++y)
                    if (GetPixel(memory, x, y) == oldColor)
                        SetPixelV(memory, x, y, newColor);
        }
    }
    DeleteDC(memory);
}

} // namespace quenzel
