#include "app/main_window.h"

#include "app/behaviours.h"
#include "app/closing.h"
#include "app/commands.h"
#include "app/dropped_paths.h"
#include "app/keyboard.h"
#include "app/menu.h"
#include "app/pages.h"
#include "app/window_size.h"
#include "base/courier.h"
#include "base/dpi.h"
#include "base/fonts.h"
#include "base/handles.h"
#include "base/high_contrast.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/list_sort.h"
#include "base/messages.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/button_ex.h"
#include "controls/owner_menu.h"
#include "controls/page_table.h"
#include "drives/logon_start.h"
#include "res/app_resources.h"

#include <commctrl.h>
#include <windowsx.h>

namespace quenzel {

namespace {
constexpr int ResourceTextLength = 100;
constexpr int StatusPartCount = 3;
constexpr DWORD MainWindowStyle = WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The window's fixed outer size, also its smallest tracking size.
int WindowWidth = 0;
int WindowHeight = 0;
// The DPI the pages are laid out for.
int LaidOutDpi = DesignDpi;

wchar_t WindowTitle[ResourceTextLength];
wchar_t ClassName[ResourceTextLength];

void LoadResourceTexts(HINSTANCE instance)
{
    LoadStringW(instance, IDS_TITLE, WindowTitle, ResourceTextLength);
    LoadStringW(instance, IDS_CLASSNAME, ClassName, ResourceTextLength);
}

WindowMetrics MetricsForDpi(int dpi)
{
    RECT bar{};
    GetWindowRect(StatusBar(), &bar);
    WindowMetrics metrics{};
    metrics.edgeWidth = SystemMetricForDpi(SM_CXEDGE, dpi);
    metrics.focusBorderWidth = SystemMetricForDpi(SM_CXFOCUSBORDER, dpi);
    metrics.focusBorderHeight = SystemMetricForDpi(SM_CYFOCUSBORDER, dpi);
    metrics.captionHeight = SystemMetricForDpi(SM_CYCAPTION, dpi);
    metrics.menuHeight = SystemMetricForDpi(SM_CYMENU, dpi);
    metrics.statusBarHeight = bar.bottom - bar.top;
    metrics.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    metrics.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    metrics.dpi = dpi;
    return metrics;
}

void SizeAndCentre()
{
    const WindowPlacement place = MainWindowPlacement(MetricsForDpi(WindowDpi(MainWindow)));
    WindowWidth = place.width;
    WindowHeight = place.height;
    SetWindowPos(MainWindow, HWND_BOTTOM, place.x, place.y, place.width, place.height, 0);
}

void ApplyStoredBehaviours()
{
    ApplyOnTop();
    ReadMagnetOption();
    ApplyTransparency(MainWindow, ReadSetting(setting::Transparent));
}

void OnSize(UINT message, WPARAM wParam, LPARAM lParam)
{
    SendMessageW(StatusBar(), message, wParam, lParam);
}

void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

void OnGetMinMaxInfo(MINMAXINFO* info)
{
    info->ptMinTrackSize.x = WindowWidth;
    info->ptMinTrackSize.y = WindowHeight;
}

// The shown page sees every command first, then the program-wide step.
bool OnCommand(HWND window, int id)
{
    DispatchPageCommand(id);
    return RunProgramCommand(window, id);
}

void OnNotify(const NMHDR* header)
{
    if (AnswerListRowRequest(header))
        return;
    if (header->code == TCN_SELCHANGE && header->hwndFrom == TabControl())
        SwitchPage(SW_SHOW);
    else if (header->code == LVN_COLUMNCLICK)
        SortListByColumn(header->hwndFrom, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    DispatchPageNotify(header);
}

BOOL CALLBACK ForwardColourChange(HWND child, LPARAM)
{
    SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}

// Only top-level windows hear of a system colour change or a new theme;
// the page controls (the program's own buttons above all) repaint in the
// new colours when the main window passes it on. A high-contrast theme
// switched on or off also changes the menus' side bars and the pictures.
void OnThemeChange(HWND window)
{
    const bool switched = ReadHighContrast();
    if (switched)
        RefreshPageArt(window);
    // The side bars are drawn once per menu: one high-contrast theme
    // replacing another needs them drawn again as well.
    if (switched || HighContrastOn())
        BuildMainMenu();
    EnumChildWindows(window, ForwardColourChange, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void OnDropFiles(HDROP drop)
{
    DispatchPageDrop(TakeDroppedPaths(drop));
}

// The window moved to a monitor of another scaling, or the scaling
// changed: it goes to the system's suggested place, at its fixed size for
// the new DPI, and lays out every page again, in fonts and pictures made
// for the DPI.
// The title bar's and the task switcher's icons at the sizes for the DPI;
// the ones set before go.
void SetWindowIcons(HWND window, int dpi)
{
    const struct {
        WPARAM which;
        int iconId;
        int metric;
    } icons[] = {{ICON_SMALL, IDI_SMALL, SM_CXSMICON}, {ICON_BIG, IDI_PROGRAM, SM_CXICON}};
    for (const auto& icon : icons) {
        HICON made = LoadIconAtSize(icon.iconId, SystemMetricForDpi(icon.metric, dpi));
        if (!made)
            continue;
        if (auto old =
                reinterpret_cast<HICON>(SendMessageW(window, WM_SETICON, icon.which, reinterpret_cast<LPARAM>(made))))
            DestroyIcon(old);
    }
}

void OnDpiChanged(HWND window, int dpi, const RECT& suggested)
{
    const int previousDpi = LaidOutDpi;
    LaidOutDpi = dpi;
    // The old fonts go once every control has the new ones.
    const UniqueGdiObject oldNormal(NormalFont);
    const UniqueGdiObject oldBold(BoldFont);
    CreateUiFonts(dpi);
    RegisterButtonExClass(NormalFont);
    LayOutStatusBar(NormalFont, dpi);
    LayOutTabControl(dpi);
    LayOutPageControls(window, previousDpi, dpi);
    SetOwnerMenuDpi(dpi);
    BuildMainMenu();
    SetWindowIcons(window, dpi);
    const WindowPlacement fixed = MainWindowPlacement(MetricsForDpi(dpi));
    WindowWidth = fixed.width;
    WindowHeight = fixed.height;
    SetWindowPos(window, nullptr, suggested.left, suggested.top, fixed.width, fixed.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

// Without the magnet the move goes ahead unchanged.
LRESULT OnMoving(RECT* proposed)
{
    if (!MagnetEnabled)
        return TRUE;
    return SnapToEdges(proposed);
}
} // namespace

bool RegisterMainWindowClass(HINSTANCE instance)
{
    LoadResourceTexts(instance);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SMALL), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    wc.lpszClassName = ClassName;
    return RegisterClassExW(&wc) != 0;
}

namespace {
HWND MakeMainWindow(HINSTANCE instance)
{
    Instance = instance;
    MainWindow =
        CreateWindowExW(0, ClassName, WindowTitle, MainWindowStyle, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    SetCourierWindow(MainWindow);
    return MainWindow;
}
} // namespace

int RunLogonMode(HINSTANCE instance)
{
    const bool windowMade = MakeMainWindow(instance) != nullptr;
    const bool drivesMapped = RunLogonStart();
    return windowMade && drivesMapped && !WarningHeldBack() ? 0 : LogonFailedExitCode;
}

bool CreateMainWindow(HINSTANCE instance, const StartRequest& request, int showCommand)
{
    if (!MakeMainWindow(instance))
        return false;
    SetOwnerMenuDpi(WindowDpi(MainWindow));
    BuildMainMenu();
    CreateStatusBar(MainWindow, LangText(keys::IdleStatus), StatusPartCount);
    SizeAndCentre();
    ApplyStoredBehaviours();
    LaidOutDpi = WindowDpi(MainWindow);
    CreateUiFonts(LaidOutDpi);
    RegisterButtonExClass(NormalFont);
    CreatePages(MainWindow);
    InitClosing();
    if (request.startTab >= 0)
        SelectTab(request.startTab);
    DragAcceptFiles(MainWindow, TRUE);
    HideFocusCuesAtStart(MainWindow);
    ShowWindow(MainWindow, showCommand);
    UpdateWindow(MainWindow);
    PlaceStartPaths(request);
    return true;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (IsCourierMessage(message))
        return HandleCourierMessage(message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        OnCloseRequest();
        return 0;
    case WM_QUERYENDSESSION:
        return OnQueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
        // The session ends and takes the process with it: close first (once
        // running jobs have put back their current file), so that what is
        // kept at close (a path typed into a slot) is kept.
        OnEndSession(wParam != 0);
        return 0;
    case WM_SIZE:
        OnSize(message, wParam, lParam);
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_MEASUREITEM:
        return MeasureMenuItem(wParam, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
    case WM_DRAWITEM:
        return DrawMenuItem(wParam, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))
            || DrawPageArt(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_NOTIFY:
        OnNotify(reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_CONTEXTMENU:
        ShowContextMenu(window, lParam, PageListMenuPosition);
        return 0;
    case WM_HSCROLL:
        DispatchPageScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
        return 0;
    case WM_MOVING:
        return OnMoving(reinterpret_cast<RECT*>(lParam));
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case DpiChangedMessage:
        OnDpiChanged(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        OnThemeChange(window);
        return 0;
    case WM_NEXTDLGCTL:
        MoveFocusOnRequest(window, wParam, lParam);
        return 0;
    case ListTimeMessage:
        return AnswerListTime(wParam);
    case WM_INITMENUPOPUP:
        UpdatePopupStates(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUCHAR:
        if (const LRESULT answer =
                AnswerMenuChar(static_cast<wchar_t>(LOWORD(wParam)), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)))
            return answer;
        break;
    case WM_COMMAND:
        if (OnCommand(window, GET_WM_COMMAND_ID(wParam, lParam)))
            return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace quenzel
