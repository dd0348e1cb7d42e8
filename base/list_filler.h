// Filling a page's list view from a worker thread in batches: the rows reach
// the list on the window's thread through the courier, a batch at a time,
// so the list fills visibly while the hand-over costs little. Batches are
// posted, so the worker does not wait for the list; the last one is waited
// for, so when Finish returns every row is in the list. The lists are made with LVS_OWNERDATA
// and keep no rows of their own: the rows are kept here and the list asks
// for the texts of the rows it shows, so a hundred thousand rows cost no
// more than their strings.
#pragma once

#include "base/folder_walk.h"

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quenzel {

// One row of a list: its text, and the size the second column shows as a
// size text (none when the list has one column).
struct ListRow {
    std::wstring text;
    std::optional<uint64_t> size;
};

// A row as a virtual list keeps it: its text lies in a buffer shared by a
// batch of rows (one allocation per batch, not per row), and its size text
// is written only when the list shows the row.
struct KeptRow {
    const wchar_t* text = nullptr; // null-terminated, in one of the rows' buffers
    uint32_t length = 0;
    bool sized = false;
    uint64_t size = 0;
};
// Rows with the buffers their texts lie in.
struct RowBatch {
    std::vector<KeptRow> rows;
    std::vector<std::shared_ptr<const std::wstring>> buffers;
};

// Where the time of the last filling went, measured by the filler (for
// the benchmarks): on the filling thread the walk (the time between the
// filler's calls; for rows added one by one, also the making of each row),
// the building of rows from paths, and the handing over of rows (posting
// them to the courier, and at the end waiting for the last ones, which
// waits for the list to take every batch posted before); on the window's
// thread the appending of rows to the lists and the sorting of rows. Reset
// when a filler starts.
enum class ListTimePart : WPARAM { Walk, RowBuilding, Sorting, HandingOver, Appending, Count };
// Sent to the main window (from any process): the answer is the time of
// the ListTimePart in wParam, in microseconds. Apart from the courier's
// messages, which the main window also takes.
inline constexpr UINT ListTimeMessage = WM_APP + 6;
// The main window's answer to ListTimeMessage.
LRESULT AnswerListTime(WPARAM part);

// Answers a virtual list's request for a row's text and icon
// (LVN_GETDISPINFOW, sent to the main window); false for any other notice.
bool AnswerListRowRequest(const NMHDR* header);

// Each of these runs on the window's thread, after the rows handed over
// before it, whichever thread calls it.

// Empties a list and the rows kept for it.
void ClearListRows(HWND list);

// Removes rows of a list (any order; the selection stays with the rows
// that are left).
void RemoveListRows(HWND list, const std::vector<int>& rows);
// Removes, for each text, the row whose first column reads it: the row at
// its hint when it does (the list was not sorted meanwhile), else the first
// that does.
void RemoveListRowsOfTexts(HWND list, const std::vector<int>& hints, const std::vector<std::wstring>& texts);

// Sorts the rows kept for a virtual list by the texts of `column`
// (case-insensitive, equal texts keeping their order), the selection and
// focus staying with their rows; false, with nothing done, for a list that
// keeps its own rows. Called on the window's thread.
bool SortVirtualRows(HWND list, int column, bool ascending);

// The first column's text of every row of a list, in list order, read in
// one visit to the window's thread (a worker's single message instead of
// one per row).
std::vector<std::wstring> ListTexts(HWND list);

// Collects rows for the main window's list `listId` and hands them to the
// list now and then.
class ListFiller {
public:
    explicit ListFiller(int listId);

    // Takes the files' paths as rows, with their sizes when `sized` (the
    // batch's buffer is taken).
    void Add(PathBatch& batch, bool sized = false);
    void Add(ListRow row);
    // Hands over what is left.
    void Finish();

private:
    // True when it was time to hand rows over.
    bool HandOverIfDue(std::chrono::steady_clock::time_point now);
    void HandOver(std::chrono::steady_clock::time_point now);

    int listId_;
    RowBatch pending_;
    std::chrono::steady_clock::time_point lastHandOver_{};
    // When the filler last gave the thread back to the walk.
    std::chrono::steady_clock::time_point returned_;
    bool first_ = true;
};

} // namespace quenzel
