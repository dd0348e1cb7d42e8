#include "base/tabs.h"

#include "base/control_ids.h"
#include "base/courier.h"
#include "base/dpi.h"
#include "base/fonts.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/status.h"
#include "base/thread_check.h"
#include "res/base_resources.h"

#include <commctrl.h>

namespace quenzel {

namespace {
// The tab labels are the language texts from keys::FirstTabLabel on.
constexpr DesignRect TabPlace = {115, 8, 670, 402};
constexpr int TabImageSize = 16;

HWND TabWindow = nullptr;
PageRoutines Pages[PageCount];

HIMAGELIST CreateTabImages(int dpi)
{
    const int size = ScaleToDpi(TabImageSize, dpi);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0);
    HICON icon = LoadIconAtSize(IDI_TAB, size);
    if (images && icon)
        ImageList_AddIcon(images, icon);
    if (icon)
        DestroyIcon(icon);
    return images;
}
} // namespace

void RegisterPage(int index, const PageRoutines& routines)
{
    if (index >= 0 && index < PageCount)
        Pages[index] = routines;
}

bool CreateTabControl(HWND parent)
{
    const int dpi = WindowDpi(parent);
    const DesignRect place = ScaleRectToDpi(TabPlace, dpi);
    // A tab stop: Tab reaches the tab strip after the page, and the arrow keys change tabs there.
    constexpr DWORD TabStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_GROUP;
    TabWindow = CreateWindowExW(0, WC_TABCONTROLW, L"", TabStyle, place.x, place.y, place.width, place.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_TABS)), Instance, nullptr);
    if (!TabWindow)
        return false;
    SendMessageW(TabWindow, WM_SETFONT, reinterpret_cast<WPARAM>(NormalFont), FALSE);
    SendMessageW(TabWindow, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(CreateTabImages(dpi)));
    for (int tab = 0; tab < TabCount; ++tab) {
        std::wstring label = LangString(keys::FirstTabLabel + tab);
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = label.data();
        item.iImage = 0;
        SendMessageW(TabWindow, TCM_INSERTITEMW, tab, reinterpret_cast<LPARAM>(&item));
    }
    return true;
}

HWND TabControl()
{
    return TabWindow;
}

void LayOutTabControl(int dpi)
{
    const DesignRect place = ScaleRectToDpi(TabPlace, dpi);
    SetWindowPos(TabWindow, nullptr, place.x, place.y, place.width, place.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(TabWindow, WM_SETFONT, reinterpret_cast<WPARAM>(NormalFont), TRUE);
    auto old = reinterpret_cast<HIMAGELIST>(
        SendMessageW(TabWindow, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(CreateTabImages(dpi))));
    if (old)
        ImageList_Destroy(old);
}

void HidePage()
{
    if (Pages[CurrentPage].show)
        Pages[CurrentPage].show(SW_HIDE);
}

void SwitchPage(int showCommand)
{
    const int index = static_cast<int>(SendMessageW(TabWindow, TCM_GETCURSEL, 0, 0));
    if (index < 0 || index >= PageCount)
        return;
    HidePage();
    CurrentPage = index;
    if (Pages[CurrentPage].show)
        Pages[CurrentPage].show(showCommand);
    // Screen readers read the new page's information line out.
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, StatusBar(), OBJID_CLIENT, CHILDID_SELF);
}

void SelectTab(int index)
{
    SendMessageW(TabWindow, TCM_SETCURSEL, index, 0);
    SwitchPage(SW_SHOW);
}

void DispatchPageCommand(int id)
{
    if (CurrentPage >= 0 && CurrentPage < PageCount && Pages[CurrentPage].onCommand)
        Pages[CurrentPage].onCommand(id);
}

void DispatchPageNotify(const NMHDR* header)
{
    if (CurrentPage >= 0 && CurrentPage < PageCount && Pages[CurrentPage].onNotify)
        Pages[CurrentPage].onNotify(header);
}

void DispatchPageScroll(HWND slider, int request)
{
    if (CurrentPage >= 0 && CurrentPage < PageCount && Pages[CurrentPage].onScroll)
        Pages[CurrentPage].onScroll(slider, request);
}

void DispatchPageDrop(const std::vector<std::wstring>& paths)
{
    if (CurrentPage >= 0 && CurrentPage < PageCount && Pages[CurrentPage].onDrop)
        Pages[CurrentPage].onDrop(paths);
    else
        RefuseDrop(keys::DropNotHere);
}

bool SetPageSource(int index, const std::wstring& path)
{
    ExpectWindowThread("SetPageSource");
    return index >= 0 && index < PageCount && Pages[index].setSource && Pages[index].setSource(path);
}

// A listing refused on a worker says so too: the text goes by the courier.
void RefuseDrop(int key)
{
    PostStatusText(StatusInfoPart, LangString(key));
}

} // namespace quenzel
