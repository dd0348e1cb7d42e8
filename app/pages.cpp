#include "app/pages.h"

#include "app/options_page.h"
#include "app/unlocker_page.h"
#include "base/tabs.h"
#include "crypt/file_page.h"
#include "crypt/folder_page.h"
#include "drives/drives_page.h"
#include "shredder/shredder_page.h"
#include "slots/slot_page.h"

#include <cstddef>

namespace quenzel {

namespace {

// One page: its index and the routine that creates its controls and
// registers it.
struct PageEntry {
    int index;
    void (*create)(HWND parent);
};

// The pages are created in this order: file, folder, slots, shredder,
// folder drives, unlocker, and last the options page with the tab control,
// which lies beneath every page's controls. The file page creates the key
// controls that it shares with the folder page. A new page is one line here.
constexpr PageEntry PageList[] = {
    {FilePageIndex, FilePage_Create},       {FolderPageIndex, FolderPage_Create},
    {SlotPageIndex, SlotPage_Create},       {ShredderPageIndex, ShredderPage_Create},
    {DrivesPageIndex, DrivesPage_Create},   {UnlockerPageIndex, UnlockerPage_Create},
    {OptionsPageIndex, OptionsPage_Create},
};

// Every page index appears exactly once, and the options page comes last.
constexpr bool EveryPageOnce()
{
    constexpr std::size_t count = sizeof PageList / sizeof PageList[0];
    if (count != PageCount || PageList[count - 1].index != OptionsPageIndex)
        return false;
    for (int index = 0; index < PageCount; ++index) {
        int seen = 0;
        for (const PageEntry& page : PageList)
            seen += page.index == index ? 1 : 0;
        if (seen != 1)
            return false;
    }
    return true;
}
static_assert(EveryPageOnce(), "every page once, the options page last");

} // namespace

void CreatePages(HWND parent)
{
    for (const PageEntry& page : PageList)
        page.create(parent);
}

} // namespace quenzel
