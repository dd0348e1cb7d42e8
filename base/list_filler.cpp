#include "base/list_filler.h"

#include "base/courier.h"
#include "base/page_kit.h"
#include "base/process.h"

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <deque>
#include <iterator>
#include <map>
#include <memory>

namespace quenzel {

namespace {
// The rows reach a list at most this often.
constexpr std::chrono::milliseconds RowHandOverInterval{250};
constexpr int SecondColumn = 1;

using Clock = std::chrono::steady_clock;
// The times of the last filling in microseconds, by ListTimePart; written
// on the filling thread and the window's, read by the main window when it
// is asked for them.
constexpr size_t ListTimeParts = static_cast<size_t>(ListTimePart::Count);
std::atomic<int64_t> ListTimes[ListTimeParts];

void AddListTime(ListTimePart part, Clock::time_point since, Clock::time_point until)
{
    ListTimes[static_cast<size_t>(part)] += std::chrono::duration_cast<std::chrono::microseconds>(until - since).count();
}

// The rows of the virtual lists; touched only on the window's thread. A
// deque: rows are taken away at either end cheaply.
using KeptRows = std::deque<ListRow>;
std::map<HWND, KeptRows> VirtualRows;

// Rows to remove: their indices, or (with `texts`) the rows of those first
// column's texts, each looked for first at the index given with it.
struct RowRemoval {
    std::vector<int> rows;
    const std::vector<std::wstring>* texts = nullptr;
};

bool IsVirtual(HWND list)
{
    return (GetWindowLongPtrW(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
}

// The list only learns its new length: it asks for the texts of the rows
// it shows.
void AppendRows(HWND list, ListRows& rows)
{
    const auto start = Clock::now();
    KeptRows& kept = VirtualRows[list];
    kept.insert(kept.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(kept.size()), LVSICF_NOSCROLL);
    AddListTime(ListTimePart::Appending, start, Clock::now());
}

void CopyTexts(HWND list, std::vector<std::wstring>& texts)
{
    const auto found = VirtualRows.find(list);
    if (found == VirtualRows.end())
        return;
    for (const ListRow& row : found->second)
        texts.push_back(row.text);
}

void ClearRows(HWND list)
{
    VirtualRows.erase(list);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

// The indices of the rows in a state (selected, focused), in order.
std::vector<size_t> RowsInState(HWND list, UINT state)
{
    std::vector<size_t> rows;
    for (int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), state)); row >= 0;
         row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), state)))
        rows.push_back(static_cast<size_t>(row));
    return rows;
}

void SetRowState(HWND list, int row, UINT state, UINT mask)
{
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Gives the rows of a virtual list their states again after its rows moved:
// `placeOf` maps each old index to its new one (or to SIZE_MAX: gone).
void MoveRowStates(HWND list, const std::vector<size_t>& placeOf, const std::vector<size_t>& selected,
                   const std::vector<size_t>& focused)
{
    SetRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (size_t row : selected)
        if (row < placeOf.size() && placeOf[row] != SIZE_MAX)
            SetRowState(list, static_cast<int>(placeOf[row]), LVIS_SELECTED, LVIS_SELECTED);
    if (!focused.empty() && focused.front() < placeOf.size() && placeOf[focused.front()] != SIZE_MAX)
        SetRowState(list, static_cast<int>(placeOf[focused.front()]), LVIS_FOCUSED, LVIS_FOCUSED);
}

// A virtual list loses its rows in one step: the rows kept for it go, the
// list learns its new length, and the states follow their rows. (Deleting
// row by row costs a redraw of the list each under Wine.)
void RemoveVirtualRows(HWND list, KeptRows& kept, const std::vector<int>& rows)
{
    std::vector<size_t> placeOf(kept.size());
    size_t removed = 0;
    auto next = rows.begin();
    for (size_t row = 0; row < kept.size(); ++row) {
        const bool goes = next != rows.end() && static_cast<size_t>(*next) == row;
        placeOf[row] = goes ? SIZE_MAX : row - removed;
        if (goes) {
            ++removed;
            ++next;
        }
    }
    KeptRows left;
    for (size_t row = 0; row < kept.size(); ++row)
        if (placeOf[row] != SIZE_MAX)
            left.push_back(std::move(kept[row]));
    kept.swap(left);
    const std::vector<size_t> selected = RowsInState(list, LVNI_SELECTED);
    const std::vector<size_t> focused = RowsInState(list, LVNI_FOCUSED);
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(kept.size()), LVSICF_NOSCROLL);
    MoveRowStates(list, placeOf, selected, focused);
    InvalidateRect(list, nullptr, TRUE);
}

void RemoveRows(HWND list, std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [](int row) { return row < 0; }), rows.end());
    if (rows.empty())
        return;
    const auto found = VirtualRows.find(list);
    if (found != VirtualRows.end())
        RemoveVirtualRows(list, found->second, rows);
}

// The row of a first column's text: `hint` when it holds it, else the first.
int RowOfText(HWND list, int hint, const std::wstring& text)
{
    const auto found = VirtualRows.find(list);
    if (found == VirtualRows.end())
        return -1;
    const KeptRows& rows = found->second;
    if (hint >= 0 && static_cast<size_t>(hint) < rows.size() && rows[static_cast<size_t>(hint)].text == text)
        return hint;
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const ListRow& r) { return r.text == text; });
    return row == rows.end() ? -1 : static_cast<int>(row - rows.begin());
}

void Remove(HWND list, const RowRemoval& removal)
{
    if (!removal.texts) {
        RemoveRows(list, removal.rows);
        return;
    }
    std::vector<int> rows;
    for (size_t i = 0; i < removal.texts->size() && i < removal.rows.size(); ++i)
        rows.push_back(RowOfText(list, removal.rows[i], (*removal.texts)[i]));
    RemoveRows(list, rows);
}

// Removes rows on the window's thread, after the rows handed over before.
void RemoveOnWindow(HWND list, const RowRemoval& removal)
{
    OnWindowThread([list, &removal] { Remove(list, removal); });
}

const std::wstring& ColumnText(const ListRow& row, int column)
{
    return column == SecondColumn ? row.second : row.text;
}
} // namespace

bool AnswerListRowRequest(const NMHDR* header)
{
    if (header->code != LVN_GETDISPINFOW)
        return false;
    const auto found = VirtualRows.find(header->hwndFrom);
    if (found == VirtualRows.end())
        return false;
    // The notice is the list's own structure, written back with the answer.
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header))->item;
    const KeptRows& rows = found->second;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows.size())
        return true;
    const ListRow& row = rows[static_cast<size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        const std::wstring& text = item.iSubItem == SecondColumn ? row.second : row.text;
        lstrcpynW(item.pszText, item.iSubItem > SecondColumn ? L"" : text.c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_IMAGE)
        item.iImage = 0;
    return true;
}

void ClearListRows(HWND list)
{
    OnWindowThread([list] { ClearRows(list); });
}

void RemoveListRows(HWND list, const std::vector<int>& rows)
{
    RowRemoval removal;
    removal.rows = rows;
    RemoveOnWindow(list, removal);
}

void RemoveListRowsOfTexts(HWND list, const std::vector<int>& hints, const std::vector<std::wstring>& texts)
{
    RowRemoval removal;
    removal.rows = hints;
    removal.texts = &texts;
    RemoveOnWindow(list, removal);
}

bool SortVirtualRows(HWND list, int column, bool ascending)
{
    const auto found = VirtualRows.find(list);
    if (!IsVirtual(list) || found == VirtualRows.end())
        return false;
    const auto start = Clock::now();
    KeptRows& rows = found->second;
    // The new order as old indices, so that the states follow their rows.
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int compared = StrCmpIW(ColumnText(rows[a], column).c_str(), ColumnText(rows[b], column).c_str());
        return ascending ? compared < 0 : compared > 0;
    });
    std::vector<size_t> placeOf(rows.size());
    KeptRows sorted;
    for (size_t place = 0; place < order.size(); ++place) {
        placeOf[order[place]] = place;
        sorted.push_back(std::move(rows[order[place]]));
    }
    rows.swap(sorted);

    MoveRowStates(list, placeOf, RowsInState(list, LVNI_SELECTED), RowsInState(list, LVNI_FOCUSED));
    InvalidateRect(list, nullptr, FALSE);
    AddListTime(ListTimePart::Sorting, start, Clock::now());
    return true;
}

LRESULT AnswerListTime(WPARAM part)
{
    return part < ListTimeParts ? static_cast<LRESULT>(ListTimes[part].load()) : 0;
}

std::vector<std::wstring> ListTexts(HWND list)
{
    std::vector<std::wstring> texts;
    OnWindowThread([list, &texts] { CopyTexts(list, texts); });
    return texts;
}

ListFiller::ListFiller(int listId)
    : listId_(listId)
    , returned_(Clock::now())
{
    for (auto& time : ListTimes)
        time = 0;
}

void ListFiller::Add(FileBatch& batch)
{
    const auto start = Clock::now();
    AddListTime(ListTimePart::Walk, returned_, start);
    for (std::wstring& path : batch)
        pending_.push_back(ListRow{std::move(path), {}});
    batch.clear();
    const auto built = Clock::now();
    AddListTime(ListTimePart::RowBuilding, start, built);
    HandOverIfDue(built);
    returned_ = Clock::now();
    AddListTime(ListTimePart::HandingOver, built, returned_);
}

void ListFiller::Add(ListRow row)
{
    // One clock reading per row, as before the times were kept: a second
    // is read only when rows were handed over.
    const auto start = Clock::now();
    AddListTime(ListTimePart::Walk, returned_, start);
    pending_.push_back(std::move(row));
    returned_ = start;
    if (HandOverIfDue(start)) {
        returned_ = Clock::now();
        AddListTime(ListTimePart::HandingOver, start, returned_);
    }
}

void ListFiller::Finish()
{
    const auto start = Clock::now();
    AddListTime(ListTimePart::Walk, returned_, start);
    // Waited for even with nothing pending: when it returns, every batch
    // handed over before is in the list.
    OnWindowThread([this] { AppendRows(MainControl(listId_), pending_); });
    pending_.clear();
    returned_ = Clock::now();
    AddListTime(ListTimePart::HandingOver, start, returned_);
}

bool ListFiller::HandOverIfDue(Clock::time_point now)
{
    const bool due = first_ || now - lastHandOver_ >= RowHandOverInterval;
    if (due)
        HandOver(now);
    return due;
}

void ListFiller::HandOver(std::chrono::steady_clock::time_point now)
{
    lastHandOver_ = now;
    first_ = false;
    if (pending_.empty())
        return;
    // A share of the batch: the courier's calls are copyable.
    auto batch = std::make_shared<ListRows>();
    batch->swap(pending_);
    const int listId = listId_;
    PostCall([listId, batch] { AppendRows(MainControl(listId), *batch); });
}

} // namespace quenzel
