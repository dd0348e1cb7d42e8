#include "app/unlocker_page.h"

#include "base/process.h"
#include "base/tabs.h"
#include "controls/page_table.h"

namespace quenzel {

namespace {
constexpr PageTable NoControls{nullptr, 0};

void UnlockerPageShow(int showCommand)
{
    ShowPageControls(MainWindow, NoControls, showCommand);
}
} // namespace

void UnlockerPage_Create(HWND)
{
    RegisterPage(UnlockerPageIndex, PageRoutines{UnlockerPageShow, nullptr});
}

} // namespace quenzel
