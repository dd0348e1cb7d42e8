#include "base/list_filler.h"

#include "base/shell.h"

#include <windows.h>
#include <commctrl.h>

namespace quenzel {

namespace {
// The rows reach a list at most this often.
constexpr std::chrono::milliseconds RowHandOverInterval{100};
// Sent by a filler to the row courier: append the ListRows of lParam to the
// list whose id is wParam.
constexpr UINT AppendRowsMessage = WM_APP + 1;
constexpr wchar_t RowCourierClass[] = L"QuenzelFolderRows";
constexpr int SecondColumn = 1;

HWND RowCourier = nullptr;

// Appends rows on the list's own thread with drawing held back: one
// message per batch instead of one per row.
void AppendRows(HWND list, const ListRows& rows)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int index = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (const ListRow& row : rows) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = index++;
        item.iImage = 0;
        item.pszText = const_cast<wchar_t*>(row.text.c_str());
        const LRESULT added = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (added < 0 || row.second.empty())
            continue;
        LVITEMW second{};
        second.iSubItem = SecondColumn;
        second.pszText = const_cast<wchar_t*>(row.second.c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(added), reinterpret_cast<LPARAM>(&second));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, FALSE);
}

// The rows reach the list through a message-only window of the window's
// thread: the list itself is left unsubclassed, since every message through
// a subclass chain costs a property look-up (a server call under Wine).
LRESULT CALLBACK RowCourierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == AppendRowsMessage) {
        AppendRows(GetDlgItem(MainWindow, static_cast<int>(wParam)), *reinterpret_cast<const ListRows*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

void CreateRowCourier()
{
    if (RowCourier)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RowCourierProc;
    wc.hInstance = Instance;
    wc.lpszClassName = RowCourierClass;
    RegisterClassExW(&wc);
    RowCourier = CreateWindowExW(0, RowCourierClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance, nullptr);
}

void ListFiller::Add(FileBatch& batch)
{
    for (std::wstring& path : batch)
        pending_.push_back(ListRow{std::move(path), {}});
    batch.clear();
    HandOverIfDue();
}

void ListFiller::Add(ListRow row)
{
    pending_.push_back(std::move(row));
    HandOverIfDue();
}

void ListFiller::Finish()
{
    HandOver(std::chrono::steady_clock::now());
}

void ListFiller::HandOverIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (first_ || now - lastHandOver_ >= RowHandOverInterval)
        HandOver(now);
}

void ListFiller::HandOver(std::chrono::steady_clock::time_point now)
{
    if (!pending_.empty() && RowCourier)
        SendMessageW(RowCourier, AppendRowsMessage, static_cast<WPARAM>(listId_),
                     reinterpret_cast<LPARAM>(&pending_));
    else if (!pending_.empty())
        AppendRows(GetDlgItem(MainWindow, listId_), pending_);
    pending_.clear();
    lastHandOver_ = now;
    first_ = false;
}

} // namespace quenzel
