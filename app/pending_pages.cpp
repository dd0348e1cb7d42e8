#include "app/pending_pages.h"

#include "base/shell.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/page_table.h"

namespace quenzel {

namespace {
constexpr PageTable NoControls{nullptr, 0};
constexpr wchar_t SlotPageInfo[] = L" 9 slots available for using";

void SlotPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
    if (showCommand != SW_HIDE)
        SetStatusText(SlotPageInfo, 0, StatusInfoPart);
}

void ShredderPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
}

void UnlockerPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
}
} // namespace

void SlotPage_Create(HWND)
{
    RegisterPage(SlotPageIndex, PageRoutines{SlotPageShow, nullptr});
}

void ShredderPage_Create(HWND)
{
    RegisterPage(ShredderPageIndex, PageRoutines{ShredderPageShow, nullptr});
}

void UnlockerPage_Create(HWND)
{
    RegisterPage(UnlockerPageIndex, PageRoutines{UnlockerPageShow, nullptr});
}

} // namespace quenzel
