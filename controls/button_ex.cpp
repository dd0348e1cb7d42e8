#include "controls/button_ex.h"

#include "controls/button_ex_access.h"
#include "base/dpi.h"
#include "controls/button_ex_data.h"
#include "controls/button_ex_paint.h"
#include "controls/button_logic.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <new>

namespace quenzel {

namespace {
constexpr wchar_t ButtonExClassName[] = L"ButtonExClass";
constexpr int ClassNameBufferLength = 14;
constexpr COLORREF RoundedBackground = 0xEFF3F3;
constexpr COLORREF RoundedCaption = 0x5A3228;
constexpr DWORD AllCommonControls = 0xFF;
constexpr int TooltipMaxWidth = 300;
constexpr int SyntheticClickPoint = 10;
constexpr DWORD SyntheticClickPause = 100; // ms between press and release

ButtonExShared Shared;

HINSTANCE ModuleInstance()
{
    return GetModuleHandleW(nullptr);
}

void Invalidate(HWND button)
{
    InvalidateRect(button, nullptr, TRUE);
}

void Repaint(HWND button)
{
    Invalidate(button);
    UpdateWindow(button);
}

// Tells screen readers that what they read of the button changed.
void AnnounceChange(HWND button, DWORD event)
{
    NotifyWinEvent(event, button, OBJID_CLIENT, CHILDID_SELF);
}

std::unique_ptr<wchar_t[]> CopyText(const wchar_t* text)
{
    const size_t length = lstrlenW(text) + 1;
    std::unique_ptr<wchar_t[]> copy(new (std::nothrow) wchar_t[length]);
    if (copy)
        CopyMemory(copy.get(), text, length * sizeof(wchar_t));
    return copy;
}

bool IsFlat(const ButtonExData& data)
{
    return (data.style & BXS_FLAT) != 0;
}

bool IsLatching(const ButtonExData& data)
{
    return (data.style & BXS_LATCH) != 0;
}

bool CursorInside(HWND button)
{
    POINT cursor{};
    RECT window{};
    return GetCursorPos(&cursor) && GetWindowRect(button, &window) && PtInRect(&window, cursor);
}

void SyntheticClick(HWND button)
{
    const LPARAM point = MAKELPARAM(SyntheticClickPoint, SyntheticClickPoint);
    SendMessageW(button, WM_LBUTTONDOWN, 0, point);
    Sleep(SyntheticClickPause);
    SendMessageW(button, WM_LBUTTONUP, 0, point);
}

// --- creation and destruction ---

DWORD AdjustedStyle(DWORD style)
{
    if (style & BXS_ROUNDED)
        style &= ~static_cast<DWORD>(WS_BORDER);
    if (style & BXS_LATCH)
        style |= BXS_FLAT;
    return style;
}

LRESULT OnCreate(HWND button, const CREATESTRUCTW& create)
{
    std::unique_ptr<ButtonExData> data(new (std::nothrow) ButtonExData);
    if (!data)
        return -1;
    const DWORD style = static_cast<DWORD>(create.style);
    if (!(style & BXS_IMAGEONLY) && create.lpszName) {
        data->text = CopyText(create.lpszName); // stays empty when memory is short
    }
    data->width = create.cx;
    data->height = create.cy;
    // A button made disabled hears of no WM_ENABLE until it is enabled.
    data->disabled = (style & WS_DISABLED) != 0;
    data->font = Shared.defaultFont;
    data->bkColor = GetSysColor(COLOR_BTNFACE);
    data->bkBrush.Reset(CreateSolidBrush(data->bkColor));
    Shared.faceColorAtCreate = data->bkColor;
    data->imageFaceColor = data->bkColor;
    data->style = AdjustedStyle(style);
    if (IsButtonEx(button))
        SetWindowLongW(button, GWL_STYLE, static_cast<LONG>(data->style));
    if (data->style & BXS_ROUNDED) {
        data->bkColor = RoundedBackground;
        data->bkBrush.Reset(CreateSolidBrush(data->bkColor));
        data->customBk = true;
    }
    SetWindowLongPtrW(button, 0, reinterpret_cast<LONG_PTR>(data.release()));
    return 0;
}

void OnDestroy(HWND button)
{
    std::unique_ptr<ButtonExData> data(ButtonExRecord(button));
    SetWindowLongPtrW(button, 0, 0);
}

// --- text, font, colours, images ---

LRESULT OnSetText(HWND button, ButtonExData& data, const wchar_t* text)
{
    data.text.reset();
    if (text)
        data.text = CopyText(text);
    Repaint(button);
    AnnounceChange(button, EVENT_OBJECT_NAMECHANGE);
    // Win32's convention: TRUE when the caption was stored.
    return (data.text || !text) ? TRUE : FALSE;
}

// Answered as every window answers, with the length copied, so screen
// readers and GetWindowText see the caption.
LRESULT OnGetText(const ButtonExData& data, WPARAM size, wchar_t* buffer)
{
    if (!buffer || size == 0)
        return 0;
    StrCpyNW(buffer, data.text ? data.text.get() : L"", static_cast<int>(size));
    return lstrlenW(buffer);
}

LRESULT OnGetTextLength(const ButtonExData& data)
{
    return data.text ? lstrlenW(data.text.get()) : 0;
}

void OnSetImage(ButtonExData& data, WPARAM type, HANDLE image)
{
    if (type == IMAGE_BITMAP) {
        HBITMAP& slot = data.bitmap ? data.bitmapPressed : data.bitmap;
        slot = static_cast<HBITMAP>(image);
    } else if (type == IMAGE_ICON) {
        HICON& slot = data.icon ? data.iconPressed : data.icon;
        slot = static_cast<HICON>(image);
    }
}

void OnClearImages(ButtonExData& data, WPARAM which)
{
    if (which == 0)
        data.bitmap = data.bitmapPressed = nullptr;
    else if (which == 1)
        data.icon = data.iconPressed = nullptr;
}

void OnSetBkColor(HWND button, ButtonExData& data, COLORREF color)
{
    if ((data.style & BXS_ROUNDED) || color == data.bkColor)
        return;
    data.bkBrush.Reset(CreateSolidBrush(color));
    data.bkColor = color;
    data.customBk = true;
    Invalidate(button);
}

void OnSysColorChange(HWND button, ButtonExData& data)
{
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (!data.customBk) {
        data.bkColor = face;
        data.bkBrush.Reset(CreateSolidBrush(face));
    }
    if (!(data.style & BXS_KEEPIMAGECOLORS) && data.imageFaceColor != face) {
        // Each button remembers the face its bitmaps carry, so a second
        // colour change recolours them again.
        ReplaceBitmapColor(data.bitmap, data.imageFaceColor, face);
        ReplaceBitmapColor(data.bitmapPressed, data.imageFaceColor, face);
        data.imageFaceColor = face;
    }
    Invalidate(button);
}

// --- mouse ---

void OnLButtonDown(HWND button, ButtonExData& data)
{
    Shared.pressedInside = true;
    Shared.tracking = true;
    Shared.lastPainted = true;
    if (IsFlat(data)) {
        data.resting = false;
        data.hot = false;
    } else {
        SetCapture(button);
    }
    data.pressed = true;
    if (!data.latched)
        Invalidate(button);
    UpdateWindow(button);
    AnnounceChange(button, EVENT_OBJECT_STATECHANGE);
}

void OnFlatMouseMove(HWND button, ButtonExData& data)
{
    if (!data.hot && data.resting) {
        SetCapture(button);
        data.hot = true;
        data.resting = false;
        Invalidate(button);
    } else if (!CursorInside(button)) {
        ReleaseCapture();
        data.hot = false;
        if (!data.latched)
            data.resting = true;
        data.pressed = false;
        Invalidate(button);
    }
}

void OnPlainMouseMove(HWND button, const ButtonExData& data, LPARAM point)
{
    if (!Shared.tracking)
        return;
    Shared.pressedInside =
        PressedInsideAfterMove(LOWORD(point), HIWORD(point), data.width, data.height, Shared.pressedInside);
    if (Shared.pressedInside != Shared.lastPainted) {
        Invalidate(button);
        Shared.lastPainted = Shared.pressedInside;
    }
}

BOOL CALLBACK ReleaseLatch(HWND child, LPARAM parent)
{
    ButtonExData* data = ButtonExRecord(child);
    if (data && IsLatching(*data) && GetParent(child) == reinterpret_cast<HWND>(parent)) {
        data->latched = false;
        data->resting = true;
        Invalidate(child);
    }
    return TRUE;
}

void ReleaseLatchedSiblings(HWND button)
{
    HWND parent = GetParent(button);
    EnumChildWindows(parent, ReleaseLatch, reinterpret_cast<LPARAM>(parent));
}

void TakeFocusAfterPress(HWND button)
{
    HWND previous = SetFocus(button);
    if (previous && previous != button)
        SendMessageW(previous, WM_KILLFOCUS, 0, 0);
}

void OnLButtonUp(HWND button, ButtonExData& data)
{
    bool click = false;
    bool focusStep = true;
    if (IsLatching(data)) {
        if (data.pressed && !data.latched) {
            ReleaseLatchedSiblings(button);
            click = !data.hot;
        }
        if (data.pressed) {
            data.resting = false;
            data.latched = true;
        }
    } else if (IsFlat(data)) {
        // Only a release that ends a press on this button is a click.
        click = !data.hot && data.pressed;
        data.resting = false;
        data.hot = true;
    } else {
        focusStep = CursorInside(button);
        ReleaseCapture();
        click = Shared.pressedInside && data.pressed;
    }
    Shared.pressedInside = false;
    Shared.tracking = false;
    Shared.lastPainted = false;
    if (focusStep && data.pressed)
        TakeFocusAfterPress(button);
    Repaint(button);
    if (click)
        SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    // The parent may have destroyed the button while it handled the click.
    if (ButtonExData* after = ButtonExRecord(button)) {
        after->pressed = false;
        AnnounceChange(button, EVENT_OBJECT_STATECHANGE);
    }
}

// --- keyboard ---

void OnKeyUp(HWND button, const ButtonExData& data, WPARAM key, LPARAM flags)
{
    if (key == VK_TAB && (data.style & WS_TABSTOP)) {
        HWND parent = GetParent(button);
        HWND next = GetNextDlgTabItem(parent, button, FALSE);
        if (next)
            SetFocus(next);
        else
            SendMessageW(parent, WM_KEYUP, key, flags);
    } else if (key == VK_SPACE || key == VK_RETURN) {
        SyntheticClick(button);
    }
}

struct MnemonicSearch {
    UINT key;
    bool clicked;
};

BOOL CALLBACK ClickIfMnemonic(HWND child, LPARAM param)
{
    auto* search = reinterpret_cast<MnemonicSearch*>(param);
    const ButtonExData* data = ButtonExRecord(child);
    // A button of a hidden page, or a disabled one, is not there to press.
    if (!IsWindowVisible(child) || !IsWindowEnabled(child))
        return TRUE;
    if (data && data->text && MnemonicOf(data->text.get()) != 0
        && static_cast<UINT>(MnemonicOf(data->text.get())) == search->key) {
        SetFocus(child);
        SyntheticClick(child);
        search->clicked = true;
    }
    return TRUE;
}

// The dialog manager sends Return to the focused control's parent as a
// command unless the control asks for it: the button presses on key-up
// itself, so it asks.
LRESULT OnGetDlgCode(const MSG* message)
{
    const bool returnKey = message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
    return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON | (returnKey ? DLGC_WANTMESSAGE : 0);
}

// --- painting ---

// A button without a focus cue of its own (BXS_FOCUSCUE) shows the
// keyboard focus as a dotted rectangle, once the keyboard has been used in
// the window. The top-level window's UI state is asked: Wine does not pass
// a change of it on to the controls.
void DrawKeyboardFocus(HWND button, const ButtonExData& data, HDC dc)
{
    constexpr int FocusRectInset = 4;
    if (!data.focused || (data.style & BXS_FOCUSCUE)
        || (SendMessageW(GetAncestor(button, GA_ROOT), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS))
        return;
    RECT rect{};
    GetClientRect(button, &rect);
    const int inset = ScaleToDpi(FocusRectInset, WindowDpi(button));
    InflateRect(&rect, -inset, -inset);
    DrawFocusRect(dc, &rect);
}

void OnPaint(HWND button, const ButtonExData& data)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(button, &paint);
    if (dc) {
        PaintButtonEx(button, data, dc, paint.rcPaint);
        DrawKeyboardFocus(button, data, dc);
    }
    EndPaint(button, &paint);
}

void OnPrintClient(HWND button, const ButtonExData& data, HDC dc)
{
    RECT client{};
    GetClientRect(button, &client);
    PaintButtonEx(button, data, dc, client);
    DrawKeyboardFocus(button, data, dc);
}

LRESULT HandleRecordMessage(HWND button, ButtonExData& data, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        Invalidate(button);
        SendMessageW(button, WM_NCPAINT, 1, 0);
        data.width = LOWORD(lParam);
        data.height = HIWORD(lParam);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        data.focused = message == WM_SETFOCUS;
        Repaint(button);
        return 0;
    case WM_ENABLE:
        data.disabled = wParam == 0;
        Invalidate(button);
        AnnounceChange(button, EVENT_OBJECT_STATECHANGE);
        return 0;
    case WM_SETTEXT:
        return OnSetText(button, data, reinterpret_cast<const wchar_t*>(lParam));
    case WM_GETTEXT:
        return OnGetText(data, wParam, reinterpret_cast<wchar_t*>(lParam));
    case WM_GETTEXTLENGTH:
        return OnGetTextLength(data);
    case WM_GETOBJECT:
        return AnswerButtonExObject(button, wParam, lParam);
    case BM_CLICK:
        // A screen reader's default action: the click Space gives.
        if (!data.disabled)
            SyntheticClick(button);
        return 0;
    case WM_SETFONT:
        data.font = reinterpret_cast<HFONT>(wParam);
        Invalidate(button);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(data.font);
    case WM_SETCURSOR:
        if (!data.cursor)
            return DefWindowProcW(button, message, wParam, lParam);
        SetCursor(data.cursor);
        return 1;
    case WM_PAINT:
        OnPaint(button, data);
        return 0;
    case WM_PRINTCLIENT:
        OnPrintClient(button, data, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return PaintButtonExBackground(button, data, reinterpret_cast<HDC>(wParam));
    case WM_SYSCOLORCHANGE:
        OnSysColorChange(button, data);
        return 0;
    case BM_SETIMAGE:
        OnSetImage(data, wParam, reinterpret_cast<HANDLE>(lParam));
        return 0;
    case BM_GETIMAGE:
        return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(data.icon) : reinterpret_cast<LRESULT>(data.bitmap);
    case BXM_CLEARIMAGES:
        OnClearImages(data, wParam);
        return 0;
    case BXM_SETBKCOLOR:
        OnSetBkColor(button, data, static_cast<COLORREF>(lParam));
        return 0;
    case BXM_GETBKCOLOR:
        return static_cast<LRESULT>(data.bkColor);
    case WM_MOUSEMOVE:
        if (IsFlat(data))
            OnFlatMouseMove(button, data);
        else
            OnPlainMouseMove(button, data, lParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(button, data);
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(button, data);
        return 0;
    case WM_KEYUP:
        OnKeyUp(button, data, wParam, lParam);
        return 0;
    case WM_SYSKEYUP:
        ClickByMnemonic(GetParent(button), static_cast<UINT>(wParam));
        return 0;
    case WM_GETDLGCODE:
        return OnGetDlgCode(reinterpret_cast<const MSG*>(lParam));
    case WM_UPDATEUISTATE:
        DefWindowProcW(button, message, wParam, lParam);
        Invalidate(button);
        return 0;
    default:
        return DefWindowProcW(button, message, wParam, lParam);
    }
}

LRESULT CALLBACK ButtonExProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(button, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
        OnDestroy(button);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam != VK_F4)
            return 0;
        // Alt+F4 still closes the main window.
        ReleaseCapture();
        return DefWindowProcW(button, message, wParam, lParam);
    case WM_SYSCHAR:
        return 0; // no menu-mnemonic beep
    default:
        break;
    }
    if (ButtonExData* data = ButtonExRecord(button))
        return HandleRecordMessage(button, *data, message, wParam, lParam);
    if (message == WM_SETTEXT)
        return FALSE;
    return DefWindowProcW(button, message, wParam, lParam);
}

void CreateClassPens()
{
    Shared.shadowPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    Shared.highlightPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    Shared.blackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    Shared.whitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
}

} // namespace

ButtonExShared& ButtonExClassState()
{
    return Shared;
}

ButtonExData* ButtonExRecord(HWND window)
{
    if (!window || !IsButtonEx(window))
        return nullptr;
    return reinterpret_cast<ButtonExData*>(GetWindowLongPtrW(window, 0));
}

bool RegisterButtonExClass(HFONT defaultFont)
{
    if (defaultFont)
        Shared.defaultFont = defaultFont;
    if (Shared.registered)
        return true;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ButtonExProc;
    windowClass.cbWndExtra = sizeof(ButtonExData*);
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = ButtonExClassName;
    if (!RegisterClassW(&windowClass))
        return false;
    CreateClassPens();
    Shared.registered = true;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = AllCommonControls;
    InitCommonControlsEx(&controls);
    return true;
}

HWND CreateButtonEx(const wchar_t* text, DWORD style, int x, int y, int width, int height, HWND parent, int id)
{
    if (!RegisterButtonExClass() || !parent)
        return nullptr;
    HWND button = CreateWindowExW(0, ButtonExClassName, text, style | WS_CHILD, x, y, width, height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ModuleInstance(), nullptr);
    if (button && (style & BXS_ROUNDED)) {
        if (ButtonExData* data = ButtonExRecord(button))
            data->textColor = RoundedCaption;
        Invalidate(button);
    }
    return button;
}

bool IsButtonEx(HWND window)
{
    wchar_t name[ClassNameBufferLength] = L"";
    if (!GetClassNameW(window, name, ClassNameBufferLength))
        return false;
    return StrStrW(name, ButtonExClassName) != nullptr;
}

int AddButtonExTooltip(HWND button, const wchar_t* text)
{
    ButtonExData* data = ButtonExRecord(button);
    if (!data || !text)
        return -1;
    std::unique_ptr<wchar_t[]> copy = CopyText(text);
    if (!copy)
        return -1;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = button;
    tool.hinst = ModuleInstance();
    tool.lpszText = copy.get();
    if (data->tooltip) {
        // A button has one tooltip: a second call changes its text.
        SendMessageW(data->tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        data->tipText = std::move(copy);
        return 0;
    }
    HWND previousFocus = GetFocus();
    HWND tooltip =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, button, nullptr, ModuleInstance(), nullptr);
    if (!tooltip)
        return -1;
    tool.uFlags = TTF_SUBCLASS;
    GetClientRect(button, &tool.rect);
    if (!SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        DestroyWindow(tooltip);
        return -1;
    }
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, TooltipMaxWidth);
    data->tooltip = tooltip;
    data->tipText = std::move(copy);
    if (previousFocus)
        SetFocus(previousFocus);
    return 0;
}

bool ClickByMnemonic(HWND parent, UINT key)
{
    MnemonicSearch search{key, false};
    EnumChildWindows(parent, ClickIfMnemonic, reinterpret_cast<LPARAM>(&search));
    return search.clicked;
}

} // namespace quenzel
