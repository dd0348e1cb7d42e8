// Every look in every state: one screenshot for a person to look at, and
// ten thousand paints that must give back every GDI object they make.
#include "base/handles.h"
#include "controls/button_ex.h"
#include "tests/support/ui_driver.h"
#include "tests/win/button_fixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace buttontest {
namespace {

using namespace quenzel;

// --- counting GDI creations against deletions in this program's imports ---

long Created = 0;
long Deleted = 0;

decltype(&CreatePen) RealCreatePen;
decltype(&CreateSolidBrush) RealCreateSolidBrush;
decltype(&CreateCompatibleDC) RealCreateCompatibleDC;
decltype(&DeleteObject) RealDeleteObject;
decltype(&DeleteDC) RealDeleteDC;
decltype(&GetIconInfo) RealGetIconInfo;

HPEN WINAPI CountCreatePen(int style, int width, COLORREF color)
{
    HPEN pen = RealCreatePen(style, width, color);
    Created += pen != nullptr;
    return pen;
}
HBRUSH WINAPI CountCreateSolidBrush(COLORREF color)
{
    HBRUSH brush = RealCreateSolidBrush(color);
    Created += brush != nullptr;
    return brush;
}
HDC WINAPI CountCreateCompatibleDC(HDC dc)
{
    HDC made = RealCreateCompatibleDC(dc);
    Created += made != nullptr;
    return made;
}
BOOL WINAPI CountDeleteObject(HGDIOBJ object)
{
    const BOOL done = RealDeleteObject(object);
    Deleted += done != FALSE;
    return done;
}
BOOL WINAPI CountDeleteDC(HDC dc)
{
    const BOOL done = RealDeleteDC(dc);
    Deleted += done != FALSE;
    return done;
}
BOOL WINAPI CountGetIconInfo(HICON icon, PICONINFO info)
{
    const BOOL done = RealGetIconInfo(icon, info);
    if (done)
        Created += (info->hbmColor != nullptr) + (info->hbmMask != nullptr);
    return done;
}

// Points this program's import of `name` from `dll` at `replacement`.
template <typename Fn>
bool HookImport(const char* dll, const char* name, Fn replacement, Fn& original)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); desc->Name; ++desc) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + desc->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0)
                continue;
            DWORD protection = 0;
            if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection))
                return false;
            original = reinterpret_cast<Fn>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

template <typename Fn>
void Unhook(const char* dll, const char* name, Fn original)
{
    Fn ignored = nullptr;
    HookImport(dll, name, original, ignored);
}

struct Hooks {
    bool Install()
    {
        return HookImport("gdi32.dll", "CreatePen", &CountCreatePen, RealCreatePen)
            && HookImport("gdi32.dll", "CreateSolidBrush", &CountCreateSolidBrush, RealCreateSolidBrush)
            && HookImport("gdi32.dll", "CreateCompatibleDC", &CountCreateCompatibleDC, RealCreateCompatibleDC)
            && HookImport("gdi32.dll", "DeleteObject", &CountDeleteObject, RealDeleteObject)
            && HookImport("gdi32.dll", "DeleteDC", &CountDeleteDC, RealDeleteDC)
            && HookImport("user32.dll", "GetIconInfo", &CountGetIconInfo, RealGetIconInfo);
    }
    ~Hooks()
    {
        if (RealCreatePen)
            Unhook("gdi32.dll", "CreatePen", RealCreatePen);
        if (RealCreateSolidBrush)
            Unhook("gdi32.dll", "CreateSolidBrush", RealCreateSolidBrush);
        if (RealCreateCompatibleDC)
            Unhook("gdi32.dll", "CreateCompatibleDC", RealCreateCompatibleDC);
        if (RealDeleteObject)
            Unhook("gdi32.dll", "DeleteObject", RealDeleteObject);
        if (RealDeleteDC)
            Unhook("gdi32.dll", "DeleteDC", RealDeleteDC);
        if (RealGetIconInfo)
            Unhook("user32.dll", "GetIconInfo", RealGetIconInfo);
    }
};

TEST_F(ButtonTest, TenThousandPaintsGiveBackEveryGdiObject)
{
    HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
    HWND rounded = Make(L"&Shred", BXS_ROUNDED | BXS_FOCUSCUE | BS_ICON, 110, 40);
    HWND topIcon = Make(L"Encrypt", BXS_ROUNDED | BXS_IMAGETOP | BS_ICON, 110, 90);
    HWND plain = Make(L"Plain", BXS_FOCUSCUE | BXS_SYSTEMFRAME, 110, 30);
    for (HWND button : {rounded, topIcon})
        SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    SetFocus(rounded);
    EnableWindow(topIcon, FALSE);
    HDC memory = CreateCompatibleDC(nullptr);
    UniqueGdiObject bitmap(CreateBitmap(110, 90, 1, 32, nullptr));
    HGDIOBJ old = SelectObject(memory, bitmap.Get());
    const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);

    Hooks hooks;
    ASSERT_TRUE(hooks.Install());
    Created = Deleted = 0;
    constexpr int Paints = 10000;
    for (int i = 0; i < Paints; ++i) {
        HWND button = i % 3 == 0 ? rounded : i % 3 == 1 ? topIcon : plain;
        if (i % 2 == 0) {
            SendMessageW(button, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
            SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
        } else {
            RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        if (i == Paints / 2)
            SendMessageW(rounded, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); // half of them sunken
    }
    SendMessageW(rounded, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    const long created = Created;
    const long deleted = Deleted;
    EXPECT_GT(created, Paints); // the pens of the rounded frame and the icons' bitmaps were seen
    EXPECT_EQ(created, deleted);

    const DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (objectsBefore > 0) { // where the platform reports the count
        EXPECT_LE(objectsAfter, objectsBefore + 16);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
}

// --- the gallery ---

struct GalleryRow {
    const wchar_t* label;
    const wchar_t* caption;
    DWORD style;
    int width;
    int height;
    bool icon;
    bool bitmap;
};

enum class State { Rest, Hot, Pressed, Latched, Focused, Disabled };
constexpr State States[] = {State::Rest, State::Hot, State::Pressed, State::Latched, State::Focused, State::Disabled};
constexpr const wchar_t* StateNames[] = {L"rest", L"hot", L"pressed", L"latched", L"focused", L"disabled"};

constexpr int LabelWidth = 150;
constexpr int CellWidth = 130;
constexpr int HeaderHeight = 24;
constexpr int CellMargin = 6;

// 24 bits a pixel: no alpha channel for a viewer to misread.
constexpr WORD GalleryBits = 24;

DWORD GalleryStride(int width)
{
    return (static_cast<DWORD>(width) * 3 + 3) & ~3u;
}

bool SaveBitmapFile(const std::wstring& path, int width, int height, const void* bits)
{
    const DWORD imageBytes = GalleryStride(width) * height;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height; // bottom-up, as every viewer reads it
    info.biPlanes = 1;
    info.biBitCount = GalleryBits;
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(static_cast<const char*>(bits), imageBytes);
    return uitest::WriteFileBytes(path, bytes);
}

TEST_F(ButtonTest, GalleryOfEveryLookAndState)
{
    HICON icon = LoadIconW(nullptr, IDI_INFORMATION);
    HBITMAP bitmap = SolidBitmap(16, 16, RGB(40, 120, 200));
    const std::vector<GalleryRow> rows = {
        {L"plain", L"&Plain", 0, 110, 30, false, false},
        {L"hard edges", L"&Hard", BXS_HARDEDGES, 110, 30, false, false},
        {L"system frame", L"S&ystem", BXS_SYSTEMFRAME | BXS_HARDEDGES, 110, 30, false, false},
        {L"focus cue", L"&Focus", BXS_FOCUSCUE, 110, 30, false, false},
        {L"flat", L"Fl&at", BXS_FLAT, 110, 30, false, false},
        {L"flat hard", L"Flat hard", BXS_FLAT | BXS_HARDEDGES, 110, 30, false, false},
        {L"latch", L"&Latch", BXS_LATCH, 110, 30, false, false},
        {L"rounded ...", L"...", BXS_ROUNDED, 30, 22, false, false},
        {L"rounded icon left", L"&Shred", BXS_ROUNDED | BS_ICON, 110, 40, true, false},
        {L"rounded icon top", L"&Encrypt", BXS_ROUNDED | BXS_IMAGETOP | BS_ICON, 110, 90, true, false},
        {L"rounded icon only", nullptr, BXS_ROUNDED | BXS_IMAGEONLY | BS_ICON, 100, 97, true, false},
        {L"rounded focus cue", L"Focus", BXS_ROUNDED | BXS_FOCUSCUE, 110, 30, false, false},
        {L"bitmap right", L"Right", BXS_IMAGERIGHT | BS_BITMAP, 110, 30, false, true},
        {L"bitmap bottom", L"Bottom", BXS_IMAGEBOTTOM | BS_BITMAP, 110, 60, false, true},
    };
    int height = HeaderHeight;
    for (const GalleryRow& row : rows)
        height += row.height + 2 * CellMargin;
    const int width = LabelWidth + CellWidth * static_cast<int>(std::size(States));

    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, GalleryBits};
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    UniqueGdiObject gallery(CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(gallery);
    HGDIOBJ oldBitmap = SelectObject(memory, gallery.Get());
    HGDIOBJ oldFont = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
    RECT all{0, 0, width, height};
    FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(memory, TRANSPARENT);
    for (size_t s = 0; s < std::size(States); ++s)
        TextOutW(memory, LabelWidth + static_cast<int>(s) * CellWidth + CellMargin, 4, StateNames[s],
                 lstrlenW(StateNames[s]));

    int y = HeaderHeight;
    for (const GalleryRow& row : rows) {
        SetTextColor(memory, RGB(0, 0, 0));
        TextOutW(memory, CellMargin, y + CellMargin, row.label, lstrlenW(row.label));
        for (size_t s = 0; s < std::size(States); ++s) {
            HWND button = Make(row.caption, row.style, row.width, row.height);
            if (row.icon)
                SendMessageW(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
            if (row.bitmap)
                SendMessageW(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
            switch (States[s]) {
            case State::Rest:
                break;
            case State::Hot:
                Hover(button, true);
                break;
            case State::Pressed:
                SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                break;
            case State::Latched:
                Click(button);
                break;
            case State::Focused:
                SetFocus(button);
                break;
            case State::Disabled:
                EnableWindow(button, FALSE);
                break;
            }
            POINT origin{};
            SetViewportOrgEx(memory, LabelWidth + static_cast<int>(s) * CellWidth + CellMargin, y + CellMargin,
                             &origin);
            SendMessageW(button, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
            SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
            SetViewportOrgEx(memory, origin.x, origin.y, nullptr);
            if (States[s] == State::Hot)
                Hover(button, false);
            if (States[s] == State::Pressed)
                SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            DestroyWindow(button);
        }
        y += row.height + 2 * CellMargin;
    }
    GdiFlush();
    const std::wstring folder = uitest::HostToWindowsPath(QUENZEL_SCREENSHOT_DIR);
    CreateDirectoryW(folder.c_str(), nullptr); // may exist already
    const std::wstring path = folder + L"\\button_gallery.bmp";
    EXPECT_TRUE(SaveBitmapFile(path, width, height, bits)) << uitest::Narrow(path);
    EXPECT_TRUE(uitest::FileExists(path));
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

} // namespace
} // namespace buttontest
