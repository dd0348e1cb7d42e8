#include "app/pending_pages.h"

#include "base/shell.h"
#include "base/tabs.h"
#include "controls/page_table.h"

namespace quenzel {

namespace {
constexpr PageTable NoControls{nullptr, 0};

void DrivesPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
}

void UnlockerPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
}
} // namespace

void DrivesPage_Create(HWND)
{
    RegisterPage(DrivesPageIndex, PageRoutines{DrivesPageShow, nullptr});
}

void UnlockerPage_Create(HWND)
{
    RegisterPage(UnlockerPageIndex, PageRoutines{UnlockerPageShow, nullptr});
}

} // namespace quenzel
