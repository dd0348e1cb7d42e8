// The main window driven from the outside: tabs and pages, the options page,
// the About box, the Options menu, the transparency dialog, the launchers
// and the owner-drawn popups. Saves a picture of every tab and popup.
#include "slots/slot_page_ids.h"
#include "tests/support/ui_driver.h"

#include "base/control_ids.h"
#include "app/command_ids.h"
#include "app/options_page_ids.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "drives/drives_page_ids.h"
#include "base/dpi_scale.h"
#include "res/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace uitest;

constexpr int StatusBarId = quenzel::IDC_STATUSBAR;
constexpr int FirstPageCommand = quenzel::CMD_FIRST_PAGE;
constexpr int OptionsControlIds[] = {
    quenzel::IDC_OPTIONS_STRIP,         quenzel::IDC_OPTIONS_FRAME,         quenzel::IDC_OPTIONS_GROUP_MAIN,
    quenzel::IDC_OPTIONS_ICON,          quenzel::IDC_OPTIONS_GROUP_FILE,    quenzel::IDC_OPTIONS_GROUP_FOLDER,
    quenzel::IDC_OPTIONS_RECYCLE,       quenzel::IDC_OPTIONS_ADD_ENC,       quenzel::IDC_OPTIONS_REMOVE_ENC,
    quenzel::IDC_OPTIONS_ADD_DEC,       quenzel::IDC_OPTIONS_STRONG_FORMAT, quenzel::IDC_OPTIONS_REMOVE_ENCRYPTED,
    quenzel::IDC_OPTIONS_ADD_ENCRYPTED, quenzel::IDC_OPTIONS_ADD_DECRYPTED, quenzel::IDC_OPTIONS_ENCRYPT_TO,
    quenzel::IDC_OPTIONS_DECRYPT_TO,    quenzel::IDC_OPTIONS_ENC_PATH,      quenzel::IDC_OPTIONS_DEC_PATH,
    quenzel::IDC_OPTIONS_BROWSE_ENC,    quenzel::IDC_OPTIONS_BROWSE_DEC,    quenzel::IDC_OPTIONS_TEXT,
    quenzel::IDC_OPTIONS_PICTURE};
constexpr int WindowControlIds[] = {quenzel::IDC_STATUSBAR, quenzel::IDC_HELPBUTTON, quenzel::IDC_BANNER,
                                    quenzel::IDC_TABS};
// The slot page: frame, strip, group box and nine slots of seven controls.
constexpr int SlotPageIds[] = {quenzel::IDC_SLOT_FRAME, quenzel::IDC_SLOT_BANNER, quenzel::IDC_SLOT_GROUP};
constexpr Millis Briefly{1500};

std::wstring ScreenshotDir()
{
    return HostToWindowsPath(QUENZEL_SCREENSHOT_DIR);
}

// Saves the screen area of a window as a 24-bit BMP in the gallery.
void SaveScreenshot(HWND window, const std::wstring& name)
{
    EXPECT_TRUE(SaveWindowPicture(window, ScreenshotDir(), name)) << Narrow(name);
}

// The program paints in its own time: the picture waits until nothing is left to paint.
void SavePaintedWindow(HWND window, const std::wstring& name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<HWND> parts = VisibleChildren(window);
    parts.push_back(window);
    const auto painted = [](HWND part) { return !GetUpdateRect(part, nullptr, FALSE); };
    EXPECT_TRUE(WaitUntil([&] { return std::all_of(parts.begin(), parts.end(), painted); })) << Narrow(name);
    SaveScreenshot(window, name);
}

std::wstring IniText(const ProgramFolder& folder, const wchar_t* section, const wchar_t* key)
{
    wchar_t text[512] = L"";
    GetPrivateProfileStringW(section, key, L"<none>", text, 512, folder.IniPath().c_str());
    return text;
}

bool Visible(App& app, int id)
{
    return IsWindowVisible(app.Control(id)) != FALSE;
}

std::wstring StatusInfo(App& app)
{
    return StatusBarText(app.Process(), app.Control(StatusBarId), 1);
}

struct Started {
    ProgramFolder folder;
    App app;
    HWND window = nullptr;
};

void Start(Started& s, const char* ini = nullptr, const wchar_t* args = L"")
{
    ASSERT_TRUE(s.folder.Ready());
    if (ini) {
        ASSERT_TRUE(s.folder.WriteIni(ini));
    }
    ASSERT_TRUE(s.app.Start(s.folder, args));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
}

// Folder drives as a user makes them, for the guide's picture: deep
// folders of their own on free letters, one whose folder has gone.
constexpr char GalleryDrives[] = "[FOLDERDRIVES]\n0=1|P: C:\\users\\Public\\Documents\n"
                                 "1=0|M: C:\\users\\Public\\Music\n2=1|Y: C:\\users\\Public\\Old projects\n";

// A few slots filled for the picture of tab 3, three folder drives for tab 5.
const std::string GalleryIni = std::string("[OFTENRADIO]\n1=1\n3=1\n[OFTENPATHS]\n"
                                           "0=C:\\users\\Public\\Documents\\report.txt\n1=C:\\users\\Public\\Pictures\n"
                                           "2=C:\\users\\Public\\notes.txt\n3=D:\\Backup\n")
    + GalleryDrives;

void SaveNewDriveDialog(Started& s)
{
    PostCommand(s.window, quenzel::IDC_DRIVES_NEW);
    HWND dialog = WaitForDialogWith(s.app, IDC_NEWDRIVE_LETTER);
    ASSERT_NE(dialog, nullptr);
    SaveScreenshot(dialog, L"new-drive-dialog");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

TEST(MainWindow, EachTabShowsItsPageAndStatusText)
{
    Started s;
    Start(s, GalleryIni.c_str());
    App& app = s.app;
    // Every control id is unique among the main window's children.
    std::multiset<int> ids;
    for (HWND child = GetWindow(s.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ids.insert(GetDlgCtrlID(child));
    for (int id : ids)
        EXPECT_EQ(ids.count(id), 1u) << "control id " << id;

    EXPECT_EQ(StatusInfo(app), L"Welcome to Quenzel");
    for (int id : OptionsControlIds)
        EXPECT_TRUE(Visible(app, id)) << id;
    for (int tab = 0; tab < 6; ++tab) {
        PostCommand(s.window, FirstPageCommand + tab);
        ASSERT_TRUE(WaitUntil([&] { return SelectedTab(app) == tab; })) << tab;
        ASSERT_TRUE(WaitUntil([&] { return Visible(app, quenzel::IDC_OPTIONS_FRAME) == (tab == 0); })) << tab;
        // Returns once the switch, one message, has shown and hidden the controls.
        SendMessageW(s.window, WM_NULL, 0, 0);
        for (int id : OptionsControlIds)
            EXPECT_EQ(Visible(app, id), tab == 0) << "tab " << tab << " control " << id;
        for (int id : WindowControlIds)
            EXPECT_TRUE(Visible(app, id)) << "tab " << tab << " control " << id;
        if (tab == 3) {
            EXPECT_EQ(StatusInfo(app), L"Nine slots for the files and folders you use most");
        }
        std::vector<int> slotIds(std::begin(SlotPageIds), std::end(SlotPageIds));
        for (int id = quenzel::IDC_SLOT_FIRST; id <= quenzel::IDC_SLOT_LAST; ++id)
            slotIds.push_back(id);
        for (int id : slotIds)
            EXPECT_EQ(Visible(app, id), tab == 3) << "tab " << tab << " control " << id;
        if (tab == 5) {
            EXPECT_EQ(StatusInfo(app), L"3 folder drive(s) defined");
        }
        SavePaintedWindow(s.window, L"main-tab-" + std::to_wstring(tab));
        if (tab == 5) {
            ASSERT_NO_FATAL_FAILURE(SaveNewDriveDialog(s));
        }
    }
    PostCommand(s.window, FirstPageCommand);
    ASSERT_TRUE(WaitUntil([&] { return SelectedTab(app) == 0 && Visible(app, quenzel::IDC_OPTIONS_FRAME); }));
    EXPECT_EQ(StatusInfo(app), L"");
    EXPECT_TRUE(app.Close());
}

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
    for (int tab = 0; tab < 6; ++tab) {
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
    for (int tab = 0; tab < 6; ++tab) {
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
    Start(s, GalleryIni.c_str());
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
    Start(s, "[MAIN]\n8=1\n9=1\n");
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

TEST(OptionsPage, CheckBoxesStoreTheirFlagsAndFollowTheFolderFields)
{
    Started s;
    // MAIN "4" as an older copy may have left it: the strong format stays off.
    Start(s, "[MAIN]\nEncPath=c:\\stored\n4=1\n");
    App& app = s.app;
    EXPECT_EQ(FieldText(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)), L"c:\\stored");
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)));
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_ENC)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_STRONG_FORMAT)));
    EXPECT_EQ(SendMessageW(app.Control(quenzel::IDC_OPTIONS_STRONG_FORMAT), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (int id = quenzel::IDC_OPTIONS_FIRST_CHECK; id <= quenzel::IDC_OPTIONS_LAST_CHECK; ++id) {
        const bool strong = id == quenzel::IDC_OPTIONS_STRONG_FORMAT;
        const std::wstring section = strong ? L"OPTIONS" : L"MAIN";
        const std::wstring key = strong ? L"StrongFormat" : std::to_wstring(id - quenzel::IDC_OPTIONS_FIRST_CHECK);
        PostClick(app.Control(id));
        ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, section.c_str(), key.c_str()) == L"1"; })) << id;
        EXPECT_EQ(SendMessageW(app.Control(id), BM_GETCHECK, 0, 0), BST_CHECKED) << id;
    }
    EXPECT_EQ(IniText(s.folder, L"MAIN", L"4"), L"1") << "left as it was";
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_ENC)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_DEC_PATH)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_DEC)));
    PostClick(app.Control(quenzel::IDC_OPTIONS_ENCRYPT_TO));
    ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"MAIN", L"8") == L"0"; }));
    EXPECT_EQ(SendMessageW(app.Control(quenzel::IDC_OPTIONS_ENCRYPT_TO), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_ENC_PATH)));
    EXPECT_FALSE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_BROWSE_ENC)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(quenzel::IDC_OPTIONS_DEC_PATH)));

    // A folder typed by hand is not stored.
    SendMessageW(app.Control(quenzel::IDC_OPTIONS_DEC_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"c:\\typed"));
    EXPECT_EQ(FieldText(app.Control(quenzel::IDC_OPTIONS_DEC_PATH)), L"c:\\typed");
    EXPECT_TRUE(app.Close());
    EXPECT_EQ(IniText(s.folder, L"MAIN", L"DecPath"), L"<none>");
    EXPECT_EQ(IniText(s.folder, L"MAIN", L"EncPath"), L"c:\\stored");
}

// Every field that takes a path scrolls sideways: a path typed key by key
// far past the field's width is taken whole.
TEST(MainWindow, PathFieldsTakeATypedPathLongerThanTheirWidth)
{
    Started s;
    Start(s, "[MAIN]\n8=1\n9=1\n");
    std::wstring path = L"C:\\";
    while (path.size() < 240)
        path += L"a rather long folder name\\";
    path += L"file.txt";
    const int fields[] = {quenzel::IDC_FILE_SOURCE,
                          quenzel::IDC_FOLDER_SOURCE,
                          quenzel::IDC_KEY_FILE,
                          quenzel::IDC_OPTIONS_ENC_PATH,
                          quenzel::IDC_OPTIONS_DEC_PATH,
                          quenzel::SlotControlId(quenzel::IDC_SLOT_PATH_0, 0),
                          quenzel::SlotControlId(quenzel::IDC_SLOT_PATH_0, quenzel::SlotCount - 1)};
    for (const int id : fields) {
        HWND field = s.app.Control(id);
        ASSERT_NE(field, nullptr) << id;
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        for (const wchar_t c : path)
            SendMessageW(field, WM_CHAR, c, 0);
        EXPECT_EQ(FieldText(field), path) << id;
    }
    EXPECT_TRUE(s.app.Close());
}

TEST(OptionsPage, BrowseButtonsStoreTheChosenFolders)
{
    Started s;
    Start(s, "[MAIN]\n8=1\n9=1\n");
    const std::wstring folder = L"C:\\windows";
    PostCommand(s.window, quenzel::IDC_OPTIONS_BROWSE_ENC);
    ChooseInFolderPicker(s.app, folder);
    ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"MAIN", L"EncPath") == folder; }))
        << Narrow(IniText(s.folder, L"MAIN", L"EncPath")) << " / "
        << Narrow(FieldText(s.app.Control(quenzel::IDC_OPTIONS_ENC_PATH))) << " / " << Narrow(folder);
    EXPECT_EQ(FieldText(s.app.Control(quenzel::IDC_OPTIONS_ENC_PATH)), folder);
    PostCommand(s.window, quenzel::IDC_OPTIONS_BROWSE_DEC);
    const std::wstring other = L"C:\\windows\\system32";
    ChooseInFolderPicker(s.app, other);
    ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"MAIN", L"DecPath") == other; }));
    EXPECT_EQ(FieldText(s.app.Control(quenzel::IDC_OPTIONS_DEC_PATH)), other);
    EXPECT_TRUE(s.app.Close());
}

void PressAltWith(WORD key)
{
    keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
}

// The accelerator reads the real Alt key state, so the keys are typed.
TEST(MainWindow, AltSlashOpensAboutWhileTheMainWindowHasTheFocus)
{
    Started s;
    Start(s);
    SetForegroundWindow(s.window);
    PressAltWith(VK_OEM_2); // "/" on the US layout
    HWND about = s.app.WaitForTopWindow(L"#32770");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(WindowText(about), L"About Quenzel");
    SaveScreenshot(about, L"about-box");
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(s.app.Close());
}

TEST(OptionsMenu, MagnetCommandStoresAndSnapsAtOnce)
{
    Started s;
    Start(s);
    RECT work{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const int height = 200;
    RECT proposed{100, work.bottom - 10 - height, 400, work.bottom - 10};
    RECT moved = proposed;
    SendMessageW(s.window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&moved));
    EXPECT_EQ(moved.bottom, proposed.bottom); // magnet off: no snapping

    PostCommand(s.window, quenzel::CMD_MAGNET);
    ASSERT_TRUE(WaitUntil([&] { return IniText(s.folder, L"OPTIONS", L"Magnet") == L"1"; }));
    moved = proposed;
    SendMessageW(s.window, WM_MOVING, 0, reinterpret_cast<LPARAM>(&moved));
    EXPECT_EQ(moved.bottom, work.bottom);
    EXPECT_EQ(moved.top, work.bottom - height);
    EXPECT_TRUE(s.app.Close());

    // The check mark is built from the stored flag.
    Started again;
    Start(again, "[OPTIONS]\nMagnet=1\n");
    PostMessageW(again.window, WM_SYSCOMMAND, SC_KEYMENU, L'o');
    HWND popup = again.app.WaitForTopWindow(L"#32768");
    ASSERT_NE(popup, nullptr);
    Sleep(300); // the popup paints itself after it appears
    SaveScreenshot(popup, L"menu-options-magnet-checked");
    EXPECT_TRUE(again.app.Close());
}

BYTE Alpha(HWND window)
{
    BYTE alpha = 0;
    if (!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED))
        return 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr);
    return alpha;
}

HWND OpenTransparency(Started& s)
{
    PostCommand(s.window, quenzel::CMD_TRANSPARENCY);
    return s.app.WaitForTopWindow(L"#32770");
}

void DragSlider(HWND dialog, int position)
{
    HWND slider = GetDlgItem(dialog, IDC_TRANSPARENT_SLIDER);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    SendMessageW(dialog, WM_HSCROLL, TB_ENDTRACK, reinterpret_cast<LPARAM>(slider));
}

TEST(TransparencyDialog, PreviewsStoresOnOkAndRestoresOnCancel)
{
    Started s;
    Start(s);
    HWND dialog = OpenTransparency(s);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), L"Transparency: 95 percent");
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_TRANSPARENT_SLIDER), TBM_GETPOS, 0, 0), 95);
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_TRANSPARENT_PREVIEW), PBM_GETPOS, 0, 0), 95);
    SaveScreenshot(dialog, L"transparency-dialog");
    DragSlider(dialog, 30);
    EXPECT_EQ(Alpha(s.window), 76);
    EXPECT_EQ(WindowText(dialog), L"Transparency: 30 percent");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(Alpha(s.window), 242);
    EXPECT_EQ(IniText(s.folder, L"OPTIONS", L"Transparent"), L"<none>");

    dialog = OpenTransparency(s);
    ASSERT_NE(dialog, nullptr);
    DragSlider(dialog, 50);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(IniText(s.folder, L"OPTIONS", L"Transparent"), L"50");
    EXPECT_EQ(Alpha(s.window), 127);
    EXPECT_TRUE(s.app.Close());
}

TEST(TransparencyDialog, LongTitleIsCutAtItsBuffer)
{
    ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    const std::string longTitle(60, 'x');
    ASSERT_TRUE(WriteFileBytes(folder.Path() + L"\\lang\\default.lng",
                               Utf16File(Widen("[INTERFACE]\r\n65=" + longTitle + " %i\r\n"))));
    App app;
    ASSERT_TRUE(app.Start(folder));
    HWND window = app.WaitForMainWindow();
    ASSERT_NE(window, nullptr);
    PostCommand(window, quenzel::CMD_TRANSPARENCY);
    HWND dialog = app.WaitForTopWindow(L"#32770");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(dialog), std::wstring(49, L'x'));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(app.Close());
}

TEST(MainWindow, StoredOpacityOfLettersTurnsLayeringOff)
{
    Started s;
    Start(s, "[OPTIONS]\nTransparent=abc\n");
    EXPECT_EQ(GetWindowLongW(s.window, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_TRUE(s.app.Close());
}

// Processes started by Quenzel with the given executable name (any name
// when null), leaving out those already ended.
std::vector<DWORD> ChildProcesses(DWORD parent, const wchar_t* exe, const std::set<DWORD>& ended)
{
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == parent && (!exe || lstrcmpiW(entry.szExeFile, exe) == 0)
            && !ended.count(entry.th32ProcessID))
            found.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

// Ends a started tool by its id; it would otherwise outlive the test and
// hold the test run's output open.
void EndProcess(DWORD id, std::set<DWORD>& ended)
{
    ended.insert(id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process)
        return; // already gone
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

TEST(Launchers, StartNotepadAndTheRegistryEditor)
{
    Started s;
    Start(s);
    std::set<DWORD> ended;
    struct Case {
        int command;
        const wchar_t* exe;
    };
    for (const Case c : {Case{quenzel::CMD_NEW_TEXT, L"notepad.exe"}, Case{quenzel::CMD_EDIT_WIN_INI, L"notepad.exe"},
                         Case{quenzel::CMD_REGEDIT, L"regedit.exe"}}) {
        PostCommand(s.window, c.command);
        std::vector<DWORD> children;
        EXPECT_TRUE(WaitUntil([&] {
            children = ChildProcesses(s.app.ProcessId(), c.exe, ended);
            return !children.empty();
        })) << c.command;
        for (DWORD child : children)
            EndProcess(child, ended);
    }
    for (DWORD child : ChildProcesses(s.app.ProcessId(), nullptr, ended))
        EndProcess(child, ended);
    EXPECT_TRUE(s.app.Close());
}

// Opens each popup of the menu bar by its mnemonic and keeps a picture.
TEST(OwnerMenu, EveryPopupOpensOwnerDrawn)
{
    Started s;
    Start(s, "[OPTIONS]\nOnTop=0\nClearFont=1\n");
    struct Popup {
        wchar_t key;
        const wchar_t* name;
    };
    for (const Popup p : {Popup{L'f', L"file"}, Popup{L'e', L"edit"}, Popup{L't', L"brannock-tools"},
                          Popup{L'm', L"ms-tools"}, Popup{L'o', L"options"}, Popup{L'h', L"help"}}) {
        PostMessageW(s.window, WM_SYSCOMMAND, SC_KEYMENU, p.key);
        HWND popup = s.app.WaitForTopWindow(L"#32768");
        ASSERT_NE(popup, nullptr) << Narrow(p.name);
        Sleep(300); // the popup paints itself after it appears
        SaveScreenshot(popup, std::wstring(L"menu-") + p.name);
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(popup); })) << Narrow(p.name);
    }
    // The page list doubles as the context menu; an entry switches the page.
    RECT r{};
    GetWindowRect(s.window, &r);
    PostMessageW(s.window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s.window), MAKELPARAM(r.left + 300, r.top + 200));
    HWND popup = s.app.WaitForTopWindow(L"#32768");
    ASSERT_NE(popup, nullptr);
    Sleep(300);
    SaveScreenshot(popup, L"menu-context-page-list");
    for (int i = 0; i < 4; ++i)
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return SelectedTab(s.app) == 3; }));
    EXPECT_TRUE(s.app.Close());
}

} // namespace
