#include "base/list_sort.h"

#include "base/list_filler.h"
#include "base/process.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <vector>

namespace quenzel {

int SortColumnAscending = 1;

namespace {
HWND SortList = nullptr;
int SortColumn = 0;

std::vector<wchar_t> ItemText(LPARAM index)
{
    std::vector<wchar_t> text(MaxTextLength + 1, L'\0');
    LVITEMW item{};
    item.iSubItem = SortColumn;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(MaxTextLength);
    SendMessageW(SortList, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text[MaxTextLength] = L'\0';
    return text;
}
} // namespace

int CALLBACK CompareListItems(LPARAM first, LPARAM second, LPARAM ascending)
{
    const std::vector<wchar_t> a = ItemText(first);
    const std::vector<wchar_t> b = ItemText(second);
    const int order = StrCmpIW(a.data(), b.data());
    return ascending == 1 ? order : -order;
}

void SortListByColumn(HWND list, int column)
{
    if (SortVirtualRows(list, column, SortColumnAscending == 1)) {
        SortColumnAscending = SortColumnAscending ? 0 : 1;
        return;
    }
    SortList = list;
    SortColumn = column;
    SendMessageW(list, LVM_SORTITEMSEX, static_cast<WPARAM>(SortColumnAscending),
                 reinterpret_cast<LPARAM>(CompareListItems));
    SortColumnAscending = SortColumnAscending ? 0 : 1;
}

} // namespace quenzel
