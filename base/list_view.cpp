#include "base/list_view.h"

#include "base/dpi.h"
#include "base/language.h"
#include "base/pictures.h"

#include <commctrl.h>

#include <string>

namespace quenzel {

namespace {

int RestWidth(HWND list, const ListColumn* columns, size_t count)
{
    RECT client{};
    GetClientRect(list, &client);
    int width = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL);
    for (size_t i = 0; i < count; ++i)
        if (columns[i].width != RestOfWidth)
            width -= Scaled(list, columns[i].width);
    return width < Scaled(list, MinRestWidth) ? Scaled(list, MinRestWidth) : width;
}

} // namespace

void SetUpListView(HWND list, const ListLook& look, const ListColumn* columns, size_t count)
{
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, look.exStyle);
    SetListIcons(list, {look.iconId}, look.iconSize);
    for (size_t i = 0; i < count; ++i) {
        // The header is read out by screen readers even where it is hidden.
        const std::wstring header = LangString(columns[i].headerKey);
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = columns[i].width == RestOfWidth ? RestWidth(list, columns, count) : Scaled(list, columns[i].width);
        column.pszText = const_cast<wchar_t*>(header.c_str());
        column.iSubItem = static_cast<int>(i);
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

} // namespace quenzel
