#include "base/list_filler.h"

#include "base/courier.h"
#include "base/format_size.h"
#include "base/page_kit.h"
#include "base/process.h"

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>

namespace quenzel {

namespace {
// After the first batch, which shows at once, the rows reach a list at most
// this often: each hand-over costs the window's thread a new length for the
// list (its scroll bars set and drawn, some 20 ms under Wine).
constexpr std::chrono::milliseconds RowHandOverInterval{500};
constexpr int SecondColumn = 1;
// Room for a size text ("4,882 KB") with its null.
constexpr size_t SizeTextRoom = 64;

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

// The rows of the virtual lists; touched only on the window's thread. The
// buffers stay while the list keeps any row (those of removed rows too).
using KeptRows = std::vector<KeptRow>;
std::map<HWND, RowBatch> VirtualRows;

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
void AppendRows(HWND list, RowBatch& batch)
{
    const auto start = Clock::now();
    RowBatch& kept = VirtualRows[list];
    kept.rows.insert(kept.rows.end(), batch.rows.begin(), batch.rows.end());
    kept.buffers.insert(kept.buffers.end(), std::make_move_iterator(batch.buffers.begin()),
                        std::make_move_iterator(batch.buffers.end()));
    SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(kept.rows.size()), LVSICF_NOSCROLL);
    AddListTime(ListTimePart::Appending, start, Clock::now());
}

void CopyTexts(HWND list, std::vector<std::wstring>& texts)
{
    const auto found = VirtualRows.find(list);
    if (found == VirtualRows.end())
        return;
    for (const KeptRow& row : found->second.rows)
        texts.emplace_back(row.text, row.length);
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
void RemoveVirtualRows(HWND list, RowBatch& batch, const std::vector<int>& rows)
{
    KeptRows& kept = batch.rows;
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
    left.reserve(kept.size() - removed);
    for (size_t row = 0; row < kept.size(); ++row)
        if (placeOf[row] != SIZE_MAX)
            left.push_back(kept[row]);
    kept.swap(left);
    if (kept.empty())
        batch.buffers.clear();
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
    const KeptRows& rows = found->second.rows;
    const auto holds = [&text](const KeptRow& row) { return std::wstring_view(row.text, row.length) == text; };
    if (hint >= 0 && static_cast<size_t>(hint) < rows.size() && holds(rows[static_cast<size_t>(hint)]))
        return hint;
    const auto row = std::find_if(rows.begin(), rows.end(), holds);
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

// The texts a column of the rows shows, in row order: the sizes' texts are
// written for a sort only.
std::vector<std::wstring> ColumnTexts(const KeptRows& rows, int column)
{
    std::vector<std::wstring> texts;
    texts.reserve(rows.size());
    wchar_t size[SizeTextRoom];
    for (const KeptRow& row : rows) {
        if (column != SecondColumn) {
            texts.emplace_back(row.text, row.length);
        } else if (row.sized) {
            FormatSize(size, row.size, SizeTextRoom);
            texts.emplace_back(size);
        } else {
            texts.emplace_back();
        }
    }
    return texts;
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
    const KeptRows& rows = found->second.rows;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows.size())
        return true;
    const KeptRow& row = rows[static_cast<size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        if (item.iSubItem == 0)
            lstrcpynW(item.pszText, row.text, item.cchTextMax);
        else if (item.iSubItem == SecondColumn && row.sized)
            FormatSize(item.pszText, row.size, static_cast<size_t>(item.cchTextMax));
        else
            item.pszText[0] = L'\0';
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
    KeptRows& rows = found->second.rows;
    // The new order as old indices, so that the states follow their rows.
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const std::vector<std::wstring> texts = ColumnTexts(rows, column);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int compared = StrCmpIW(texts[a].c_str(), texts[b].c_str());
        return ascending ? compared < 0 : compared > 0;
    });
    std::vector<size_t> placeOf(rows.size());
    KeptRows sorted;
    sorted.reserve(rows.size());
    for (size_t place = 0; place < order.size(); ++place) {
        placeOf[order[place]] = place;
        sorted.push_back(rows[order[place]]);
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

void ListFiller::Add(PathBatch& batch, bool sized)
{
    const auto start = Clock::now();
    AddListTime(ListTimePart::Walk, returned_, start);
    // The rows point into the batch's own buffer, taken whole.
    auto buffer = std::make_shared<std::wstring>();
    buffer->swap(batch.text);
    for (size_t i = 0; i < batch.Count(); ++i) {
        const size_t end = i + 1 < batch.Count() ? batch.starts[i + 1] - 1 : buffer->size() - 1;
        pending_.rows.push_back(KeptRow{buffer->data() + batch.starts[i],
                                        static_cast<uint32_t>(end - batch.starts[i]), sized, batch.sizes[i]});
    }
    pending_.buffers.push_back(std::move(buffer));
    batch.Clear();
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
    auto buffer = std::make_shared<const std::wstring>(std::move(row.text));
    pending_.rows.push_back(KeptRow{buffer->c_str(), static_cast<uint32_t>(buffer->size()), row.size.has_value(),
                                    row.size.value_or(0)});
    pending_.buffers.push_back(std::move(buffer));
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
    pending_ = RowBatch();
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
    if (pending_.rows.empty())
        return;
    // A share of the batch: the courier's calls are copyable.
    auto batch = std::make_shared<RowBatch>();
    std::swap(*batch, pending_);
    const int listId = listId_;
    PostCall([listId, batch] { AppendRows(MainControl(listId), *batch); });
}

} // namespace quenzel
