#include "tests/win/button_fixture.h"

#include "base/fonts.h"
#include "base/handles.h"

#include <algorithm>

namespace buttontest {

namespace {
constexpr wchar_t ParentClass[] = L"QuenzelButtonTestParent";
constexpr int ParentWidth = 900;
constexpr int ParentHeight = 700;

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        HWND from = reinterpret_cast<HWND>(lParam);
        const bool repainted = !GetUpdateRect(from, nullptr, FALSE);
        Commands().push_back({LOWORD(wParam), HIWORD(wParam), from, repainted});
        if (LOWORD(wParam) == DestroyOnClickId)
            DestroyWindow(from);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterParent()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = ParentProc;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    parentClass.lpszClassName = ParentClass;
    ASSERT_TRUE(RegisterClassW(&parentClass));
    registered = true;
    // Buttons take the shared font at class registration.
    quenzel::NormalFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}
} // namespace

std::vector<Command>& Commands()
{
    static std::vector<Command> commands;
    return commands;
}

Capture::Capture(HWND button)
{
    RECT client{};
    GetClientRect(button, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    quenzel::UniqueGdiObject bitmap(CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        quenzel::SelectedObject selected(memory, bitmap.Get());
        SendMessageW(button, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
        SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        GdiFlush();
        const auto* raw = static_cast<const DWORD*>(bits);
        pixels_.resize(static_cast<size_t>(width_) * height_);
        for (size_t i = 0; raw && i < pixels_.size(); ++i)
            pixels_[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
    }
    DeleteDC(memory);
}

RECT Capture::BoundsOf(COLORREF color) const
{
    RECT bounds{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            if (At(x, y) == color) {
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x + 1);
                bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
            }
    if (bounds.right == 0)
        return RECT{};
    return bounds;
}

bool Capture::Has(COLORREF color) const
{
    for (COLORREF pixel : pixels_)
        if (pixel == color)
            return true;
    return false;
}

void ButtonTest::SetUp()
{
    RegisterParent();
    Commands().clear();
    parent_ = CreateWindowExW(0, ParentClass, L"ButtonEx tests", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, ParentWidth,
                              ParentHeight, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
}

void ButtonTest::TearDown()
{
    if (parent_)
        DestroyWindow(parent_);
}

HWND ButtonTest::Make(const wchar_t* text, DWORD style, int width, int height, int id)
{
    if (id == 0)
        id = nextId_++;
    HWND button = quenzel::CreateButtonEx(text, style | WS_VISIBLE, 10, 10 + nextY_, width, height, parent_, id);
    nextY_ += height + 4;
    EXPECT_NE(button, nullptr);
    return button;
}

void ButtonTest::Click(HWND button)
{
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void ButtonTest::Hover(HWND button, bool inside)
{
    RECT window{};
    GetWindowRect(button, &window);
    if (inside)
        SetCursorPos(window.left + 3, window.top + 3);
    else
        SetCursorPos(window.right + 300, window.bottom + 300);
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(button, &cursor);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
}

HBITMAP SolidBitmap(int width, int height, COLORREF color)
{
    quenzel::WindowDC screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.Get(), width, height);
    HDC memory = CreateCompatibleDC(screen.Get());
    {
        quenzel::SelectedObject selected(memory, bitmap);
        quenzel::UniqueGdiObject brush(CreateSolidBrush(color));
        RECT all{0, 0, width, height};
        FillRect(memory, &all, static_cast<HBRUSH>(brush.Get()));
    }
    DeleteDC(memory);
    return bitmap;
}

SIZE TextSize(HWND button, const wchar_t* shown)
{
    SIZE size{};
    quenzel::WindowDC dc(button);
    quenzel::SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.Get(), shown, lstrlenW(shown), &size);
    return size;
}

} // namespace buttontest
