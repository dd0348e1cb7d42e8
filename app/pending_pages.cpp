#include "app/pending_pages.h"

#include "app/page_table.h"
#include "app/shell.h"
#include "app/tabs.h"
#include "slots/slot_page.h"

namespace quenzel {

namespace {
constexpr PageTable NoControls{nullptr, 0};

void ShredderPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
}

void DrivesPageShow(int showCommand)
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
    SlotPage_Create(MainWindow);
    RegisterPage(ShredderPageIndex, PageRoutines{ShredderPageShow, nullptr});
    RegisterPage(DrivesPageIndex, PageRoutines{DrivesPageShow, nullptr});
    RegisterPage(UnlockerPageIndex, PageRoutines{UnlockerPageShow, nullptr});
}

} // namespace quenzel
