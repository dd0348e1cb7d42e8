// The main window at other scales: every page text fits its control in each
// language and at 150 %, the pages are the design scaled, their pictures are
// drawn for the scale, and a change of DPI lays the window out again.
#include "tests/ui/main_window_support.h"

#include "app/options_page_ids.h"
#include "base/dpi_scale.h"
#include "crypt/file_page_ids.h"
#include "drives/drives_page_ids.h"
#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

namespace {

using namespace mainwin;

// The room a control gives its text, in pixels, and whether the text may
// wrap onto further lines within the control's height.
struct TextRoom {
    int width = 0;
    int height = 0;
    bool wraps = false;
    UINT drawFlags = 0;
};

// Check boxes and radio buttons lose their glyph and the gap after it; push
// buttons their frame. False for controls without a text to measure.
// `dpi` is the program's: this process stays at the DPI it started with.
bool RoomOf(HWND control, TextRoom& room, int dpi = 96)
{
    const std::wstring kind = ClassNameOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT client{};
    GetClientRect(control, &client);
    room = {client.right, client.bottom, false, 0};
    constexpr int GlyphGap = 4;
    constexpr int ButtonFrame = 3;
    if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX || type == BS_OWNERDRAW)
            return false;
        const bool glyph = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON
            || type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE;
        room.width -= glyph ? MulDiv(GetSystemMetrics(SM_CXMENUCHECK) + GlyphGap, dpi, 96) : 2 * ButtonFrame;
        room.wraps = (style & BS_MULTILINE) != 0;
        return true;
    }
    if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP)
            return false;
        room.wraps = type != SS_LEFTNOWORDWRAP;
        room.drawFlags = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        return true;
    }
    if (kind == L"ButtonExClass") {
        room.width -= 2 * ButtonFrame;
        return true;
    }
    return false;
}

// A font handle belongs to its process, so the program's two page fonts are
// made again here by the program's recipe: the status bar's font (the
// system's status font), as high as its letters, normal and bold. Which of
// the two a control has is told by comparing its WM_GETFONT with a control
// known to have it. For another DPI (this process runs at 96) the height
// is scaled, rounded down.
class PageFonts {
public:
    PageFonts(HWND normalControl, HWND boldControl, int dpi = 96)
        : normalHandle_(FontHandle(normalControl))
        , boldHandle_(FontHandle(boldControl))
    {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        HFONT status = CreateFontIndirectW(&metrics.lfStatusFont);
        constexpr wchar_t Letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE extent{};
        wchar_t face[LF_FACESIZE] = L"";
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, status);
        GetTextExtentPoint32W(dc, Letters, lstrlenW(Letters), &extent);
        GetTextFaceW(dc, LF_FACESIZE, face);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        DeleteObject(status);
        normal_ = Make(extent.cy * dpi / 96, FW_NORMAL, face);
        bold_ = Make(extent.cy * dpi / 96, FW_BOLD, face);
    }
    ~PageFonts()
    {
        DeleteObject(normal_);
        DeleteObject(bold_);
    }
    PageFonts(const PageFonts&) = delete;
    PageFonts& operator=(const PageFonts&) = delete;

    static HFONT FontHandle(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

    // This process's copy of a control's font; null when it is neither page font.
    HFONT Of(HWND control) const
    {
        const HFONT handle = FontHandle(control);
        return handle == normalHandle_ ? normal_ : handle == boldHandle_ ? bold_ : nullptr;
    }

private:
    static HFONT Make(int height, int weight, const wchar_t* face)
    {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
    }
    HFONT normalHandle_;
    HFONT boldHandle_;
    HFONT normal_ = nullptr;
    HFONT bold_ = nullptr;
};

// The text's size in the control's font, measured in a device context of
// the control: one line, or wrapped at the room's width.
SIZE MeasuredText(HWND control, HFONT font, const std::wstring& text, const TextRoom& room)
{
    HDC dc = GetDC(control);
    if (!dc)
        return {INT_MAX, INT_MAX};
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, room.width, 0};
    const UINT flags = DT_CALCRECT | room.drawFlags | (room.wraps ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// Shows each tab in turn and checks that every text of its page fits its
// control, measured in the control's own font; counts the texts measured.
void ExpectPageTextsFit(App& app, const PageFonts& fonts, int dpi, int& measured)
{
    HWND window = app.Window();
    for (int tab = 0; tab < TabCount; ++tab) {
        PostCommand(window, FirstPageCommand + tab);
        ASSERT_TRUE(WaitUntil([&] { return SelectedTab(app) == tab; })) << tab;
        ASSERT_TRUE(WaitUntil([&] { return Visible(app, quenzel::IDC_OPTIONS_FRAME) == (tab == 0); })) << tab;
        for (HWND control : VisibleChildren(window)) {
            TextRoom room;
            const std::wstring text = FieldText(control);
            if (text.empty() || !RoomOf(control, room, dpi))
                continue;
            ++measured;
            const HFONT font = fonts.Of(control);
            if (!font) {
                ADD_FAILURE() << "tab " << tab << " control " << GetDlgCtrlID(control) << " has another font";
                continue;
            }
            const SIZE size = MeasuredText(control, font, text, room);
            EXPECT_LE(size.cx, room.width)
                << "tab " << tab << " control " << GetDlgCtrlID(control) << ": " << Narrow(text);
            if (room.wraps) {
                EXPECT_LE(size.cy, room.height)
                    << "tab " << tab << " control " << GetDlgCtrlID(control) << ": " << Narrow(text);
            }
        }
    }
}

// Every text of every page fits its control at 96 dpi, in each language:
// check boxes, radio buttons, labels and buttons, in their own fonts.
TEST(MainWindow, EveryPageTextFitsItsControlInEachLanguage)
{
    for (const wchar_t* language : {L"english.lng", L"german.lng"}) {
        SCOPED_TRACE(Narrow(language));
        ProgramFolder folder;
        ASSERT_TRUE(folder.Ready() && folder.UseLanguage(language));
        App app;
        ASSERT_TRUE(app.Start(folder));
        HWND window = app.WaitForMainWindow();
        ASSERT_NE(window, nullptr);
        // A check box and a group box of the options page.
        const PageFonts fonts(app.Control(quenzel::IDC_OPTIONS_RECYCLE), app.Control(quenzel::IDC_OPTIONS_GROUP_FILE));
        int measured = 0;
        ASSERT_NO_FATAL_FAILURE(ExpectPageTextsFit(app, fonts, 96, measured));
        EXPECT_GT(measured, 20);
        EXPECT_TRUE(app.Close());
    }
}

// The display's DPI for programs started from now on: Wine reads LogPixels
// under HKCU\Control Panel\Desktop once when a process starts (this one
// keeps its own), and Wine 8 reports every window of such a process as
// per-monitor aware at that DPI (GetDpiForWindow gives it), so the program
// lays itself out at it. The value before is put back when the owner goes.
class DisplayDpi {
public:
    explicit DisplayDpi(DWORD dpi)
    {
        DWORD size = sizeof old_;
        had_ =
            RegGetValueW(HKEY_CURRENT_USER, DesktopKey, Name, RRF_RT_REG_DWORD, nullptr, &old_, &size) == ERROR_SUCCESS;
        set_ = RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, Name, REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS;
    }
    ~DisplayDpi()
    {
        const LSTATUS restored = had_
            ? RegSetKeyValueW(HKEY_CURRENT_USER, DesktopKey, Name, REG_DWORD, &old_, sizeof old_)
            : RegDeleteKeyValueW(HKEY_CURRENT_USER, DesktopKey, Name);
        EXPECT_EQ(restored, ERROR_SUCCESS) << "LogPixels not restored";
    }
    DisplayDpi(const DisplayDpi&) = delete;
    DisplayDpi& operator=(const DisplayDpi&) = delete;
    bool Set() const { return set_; }

private:
    static constexpr wchar_t DesktopKey[] = L"Control Panel\\Desktop";
    static constexpr wchar_t Name[] = L"LogPixels";
    DWORD old_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// A control's rectangle in the main window's client area is its design
// rectangle (at 96 dpi) times the scale, each edge within a pixel.
void ExpectScaledPlace(HWND window, int id, RECT design, int dpi)
{
    SCOPED_TRACE(id);
    RECT r{};
    ASSERT_TRUE(GetWindowRect(GetDlgItem(window, id), &r));
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_NEAR(r.left, MulDiv(design.left, dpi, 96), 1);
    EXPECT_NEAR(r.top, MulDiv(design.top, dpi, 96), 1);
    EXPECT_NEAR(r.right, MulDiv(design.right, dpi, 96), 1);
    EXPECT_NEAR(r.bottom, MulDiv(design.bottom, dpi, 96), 1);
}

// Controls of the first page and their places at 96 dpi (left, top, right,
// bottom), checked scaled at 150 %.
struct DesignPlace {
    int id;
    RECT design;
};
const DesignPlace ScaledPlaces[] = {
    {quenzel::IDC_TABS, {115, 8, 785, 410}},
    {quenzel::IDC_OPTIONS_GROUP_FILE, {452, 48, 766, 216}},
    {quenzel::IDC_OPTIONS_RECYCLE, {468, 69, 758, 95}},
    {quenzel::IDC_OPTIONS_ENC_PATH, {320, 338, 720, 360}},
    {quenzel::IDC_OPTIONS_BROWSE_ENC, {726, 338, 756, 360}},
    {quenzel::IDC_HELPBUTTON, {8, 348, 108, 445}},
};

// The page pictures are drawn for the window's scale: the file page's
// picture is 96 px at 96 dpi, and the options strip shows the drawing for
// the scale pixel for pixel, not the 96-dpi one enlarged (its part on the
// screen, the window moved so that its top is, matches but for a few pixels).
void ExpectPicturesForScale(HWND window, int dpi)
{
    SCOPED_TRACE(dpi);
    RECT shown{};
    ASSERT_TRUE(GetWindowRect(GetDlgItem(window, quenzel::IDC_FILE_PICTURE), &shown));
    EXPECT_EQ(shown.right - shown.left, dpi);
    const std::wstring exe = BuiltProgramDir() + L"\\Quenzel.exe";
    HMODULE program = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    const int id = quenzel::BitmapIdAtScale(IDB_STRIP_OPTIONS, quenzel::ArtScaleForDpi(dpi));
    HBITMAP drawing = static_cast<HBITMAP>(LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
    FreeLibrary(program);
    BITMAP size{};
    ASSERT_TRUE(drawing && GetObjectW(drawing, sizeof size, &size));
    HWND strip = GetDlgItem(window, quenzel::IDC_OPTIONS_STRIP);
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(strip, &shown) && GetWindowRect(window, &frame));
    EXPECT_EQ(shown.right - shown.left, size.bmWidth);
    EXPECT_EQ(shown.bottom - shown.top, size.bmHeight);
    ASSERT_TRUE(SetWindowPos(window, nullptr, frame.left, frame.top - shown.top + 8, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ASSERT_TRUE(GetWindowRect(strip, &shown));
    const int left = std::max(0L, shown.left);
    const int width = std::min<LONG>(shown.right, GetSystemMetrics(SM_CXSCREEN)) - left;
    ASSERT_GE(width, 300);
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HDC art = CreateCompatibleDC(screen);
    HBITMAP copy = CreateCompatibleBitmap(screen, width, size.bmHeight);
    SelectObject(shot, copy);
    SelectObject(art, drawing);
    BitBlt(shot, 0, 0, width, size.bmHeight, screen, left, shown.top, SRCCOPY);
    int differ = 0;
    for (int y = 0; y < size.bmHeight; ++y)
        for (int x = 0; x < width; ++x)
            differ += GetPixel(shot, x, y) != GetPixel(art, left - shown.left + x, y) ? 1 : 0;
    DeleteDC(shot);
    DeleteDC(art);
    DeleteObject(copy);
    DeleteObject(drawing);
    ReleaseDC(nullptr, screen);
    EXPECT_LT(differ * 100, width * size.bmHeight) << differ << " pixels differ";
}

// Pictures of every tab at 150 % ("main-150-tab-N") for the guide, on a
// screen that holds the window (scripts/guide-pictures starts one).
void SaveGalleryAt150(Started& s)
{
    RECT frame{};
    ASSERT_TRUE(GetWindowRect(s.window, &frame));
    if (frame.right - frame.left > GetSystemMetrics(SM_CXSCREEN)
        || frame.bottom - frame.top > GetSystemMetrics(SM_CYSCREEN))
        return;
    ASSERT_TRUE(SetWindowPos(s.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    for (int tab = 0; tab < TabCount; ++tab) {
        PostCommand(s.window, FirstPageCommand + tab);
        ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == tab; })) << tab;
        SavePaintedWindow(s.window, L"main-150-tab-" + std::to_wstring(tab));
    }
}

// Started at 150 % and 200 %, the pages' pictures and a dialog's icon are
// those for the scale.
TEST(MainWindow, PagePicturesAreDrawnForTheScale)
{
    for (const int dpi : {144, 192}) {
        const DisplayDpi display(static_cast<DWORD>(dpi));
        ASSERT_TRUE(display.Set());
        Started s;
        ASSERT_NO_FATAL_FAILURE(Start(s));
        ASSERT_NO_FATAL_FAILURE(ExpectPicturesForScale(s.window, dpi));
        PostCommand(s.window, FirstPageCommand + 5);
        ASSERT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 5; }));
        PostCommand(s.window, quenzel::IDC_DRIVES_NEW);
        HWND dialog = WaitForDialogWith(s.app, IDC_NEWDRIVE_LETTER);
        ASSERT_NE(dialog, nullptr);
        RECT icon{};
        ASSERT_TRUE(GetWindowRect(GetDlgItem(dialog, IDC_NEWDRIVE_ICON), &icon));
        EXPECT_EQ(icon.right - icon.left, MulDiv(32, dpi, 96)) << dpi;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
        EXPECT_TRUE(s.app.Close());
    }
}

// At 150 % the window and its pages are the design scaled, and the texts
// still fit their controls in their fonts (made for 144 dpi).
TEST(MainWindow, At150PercentEveryPageIsTheDesignScaled)
{
    constexpr int Dpi = 144;
    const DisplayDpi display(Dpi);
    ASSERT_TRUE(display.Set());
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, GalleryIni.c_str()));
    RECT client{};
    RECT bar{};
    ASSERT_TRUE(GetClientRect(s.window, &client));
    ASSERT_TRUE(GetWindowRect(s.app.Control(StatusBarId), &bar));
    EXPECT_NEAR(client.right, 1188, 1);
    // The outer height is the design's sum of system metrics at the DPI
    // (caption, menu, borders), so the client's height follows the frame as
    // at 96 dpi; what counts is that the lowest row (the strip, 445) fits
    // above the status bar.
    EXPECT_GE(client.bottom - (bar.bottom - bar.top), 668);
    for (const DesignPlace& place : ScaledPlaces)
        ASSERT_NO_FATAL_FAILURE(ExpectScaledPlace(s.window, place.id, place.design, Dpi));
    const PageFonts fonts(s.app.Control(quenzel::IDC_OPTIONS_RECYCLE), s.app.Control(quenzel::IDC_OPTIONS_GROUP_FILE),
                          Dpi);
    int measured = 0;
    ASSERT_NO_FATAL_FAILURE(ExpectPageTextsFit(s.app, fonts, Dpi, measured));
    EXPECT_GT(measured, 20);
    ASSERT_NO_FATAL_FAILURE(SaveGalleryAt150(s));
    EXPECT_TRUE(s.app.Close());
}

// Moved to a monitor at 150 %, the running window lays its pages out again
// at once. (Wine has no second monitor: the message is sent as Windows
// sends it, with the suggested rectangle in the program's memory.)
// The width of a text in a list's font, measured by the list.
int ListTextWidth(const App& app, HWND list)
{
    const std::wstring text = L"C:\\Folder\\file name.txt";
    RemoteBuffer remote(app.Process(), (text.size() + 1) * sizeof(wchar_t));
    if (!remote.Write(text.c_str(), (text.size() + 1) * sizeof(wchar_t)))
        return 0;
    return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(remote.Address())));
}

TEST(MainWindow, AChangeOfDpiLaysEveryPageOutAgain)
{
    constexpr int Dpi = 144;
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n8=1\n9=1\n"));
    RECT suggested{};
    ASSERT_TRUE(GetWindowRect(s.window, &suggested));
    RemoteBuffer rect(s.app.Process(), sizeof suggested);
    ASSERT_TRUE(rect.Write(&suggested, sizeof suggested));
    HWND list = s.app.Control(quenzel::IDC_DRIVES_LIST);
    const int textWidth = ListTextWidth(s.app, list);
    ASSERT_GT(textWidth, 0);
    SendMessageW(s.window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(Dpi, Dpi), reinterpret_cast<LPARAM>(rect.Address()));
    // A list's text follows the DPI too.
    EXPECT_NEAR(ListTextWidth(s.app, list), MulDiv(textWidth, Dpi, 96), textWidth / 10);
    RECT client{};
    ASSERT_TRUE(GetClientRect(s.window, &client));
    EXPECT_GE(client.right, 1188);
    for (const DesignPlace& place : ScaledPlaces)
        ASSERT_NO_FATAL_FAILURE(ExpectScaledPlace(s.window, place.id, place.design, Dpi));
    ASSERT_NO_FATAL_FAILURE(ExpectPicturesForScale(s.window, Dpi));
    EXPECT_TRUE(s.app.Close());
}
} // namespace
