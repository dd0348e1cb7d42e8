#include "app/pending_pages.h"

#include "app/page_table.h"
#include "app/shell.h"
#include "app/status.h"
#include "app/tabs.h"
#include "drives/drives_page.h"

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

void CreatePendingPages()
{
    RegisterPage(SlotPageIndex, PageRoutines{SlotPageShow, nullptr});
    RegisterPage(ShredderPageIndex, PageRoutines{ShredderPageShow, nullptr});
    FolderDrivesPage_Create(MainWindow);
    RegisterPage(UnlockerPageIndex, PageRoutines{UnlockerPageShow, nullptr});
}

} // namespace quenzel
