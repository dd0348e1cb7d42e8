#include "crypt/list_filler.h"

#include "app/format_size.h"
#include "app/shell.h"

#include <commctrl.h>

namespace quenzel {

namespace {

// The rows reach the list at most this often, so the list fills visibly
// while the hand-over costs little.
constexpr std::chrono::milliseconds RowHandOverInterval{100};
// Sent by a filler to the row courier: append a RowsHandOver.
constexpr UINT AppendRowsMessage = WM_APP + 1;
constexpr wchar_t RowCourierClass[] = L"QuenzelFolderRows";
constexpr size_t SizeTextLength = 260;

struct RowsHandOver {
    HWND list;
    const ListRows* rows;
};

HWND RowCourier = nullptr;

// The rows reach the list through a message-only window of the window's
// thread: the list itself is left unsubclassed, since every message through
// a subclass chain costs a property look-up (a server call under Wine).
LRESULT CALLBACK RowCourierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == AppendRowsMessage) {
        const auto* handOver = reinterpret_cast<const RowsHandOver*>(lParam);
        AppendListRows(handOver->list, *handOver->rows);
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

void AppendListRows(HWND list, const ListRows& rows)
{
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    int index = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (size_t i = 0; i < rows.paths.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = index++;
        item.iImage = 0;
        item.pszText = const_cast<wchar_t*>(rows.paths[i].c_str());
        const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0 || i >= rows.details.size())
            continue;
        LVITEMW detail{};
        detail.iSubItem = 1;
        detail.pszText = const_cast<wchar_t*>(rows.details[i].c_str());
        SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&detail));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, FALSE);
}

void ListFiller::Add(FileBatch& paths)
{
    for (std::wstring& path : paths)
        pending_.paths.push_back(std::move(path));
    HandOverIfDue();
}

void ListFiller::Add(FileBatch& paths, const FileSizes& sizes)
{
    wchar_t sizeText[SizeTextLength];
    for (size_t i = 0; i < paths.size(); ++i) {
        FormatSize(sizeText, i < sizes.size() ? sizes[i] : 0, SizeTextLength);
        pending_.paths.push_back(std::move(paths[i]));
        pending_.details.emplace_back(sizeText);
    }
    HandOverIfDue();
}

void ListFiller::HandOverIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (first_ || now - lastHandOver_ >= RowHandOverInterval)
        HandOver(now);
}

void ListFiller::HandOver(std::chrono::steady_clock::time_point now)
{
    HWND list = GetDlgItem(MainWindow, listId_);
    if (!pending_.paths.empty()) {
        const RowsHandOver handOver{list, &pending_};
        if (RowCourier)
            SendMessageW(RowCourier, AppendRowsMessage, 0, reinterpret_cast<LPARAM>(&handOver));
        else
            AppendListRows(list, pending_);
    }
    pending_.paths.clear();
    pending_.details.clear();
    lastHandOver_ = now;
    first_ = false;
}

} // namespace quenzel
