// Rows of a walk handed from a worker to a list view of the main window in
// batches, inserted on the window's thread with drawing held back.
#pragma once

#include "crypt/folder_walk.h"

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

namespace quenzel {

// Rows of a list: the paths (column 0) and, when not empty, one text per
// path for column 1.
struct ListRows {
    FileBatch paths;
    std::vector<std::wstring> details;
};

// Makes the message-only window through which the rows reach the lists;
// called on the window's thread at page creation (once is enough).
void CreateRowCourier();

// Appends rows to the end of a list on the calling thread (the list's own),
// with drawing held back: one redraw for the whole batch.
void AppendListRows(HWND list, const ListRows& rows);

// Collects a walk's batches and hands them to the list about every 100 ms.
class ListFiller {
public:
    explicit ListFiller(int listId) : listId_(listId) {}

    void Add(FileBatch& paths);
    // Also puts each file's size text into column 1.
    void Add(FileBatch& paths, const FileSizes& sizes);
    void Finish() { HandOver(std::chrono::steady_clock::now()); }

private:
    void HandOverIfDue();
    void HandOver(std::chrono::steady_clock::time_point now);

    int listId_;
    ListRows pending_;
    std::chrono::steady_clock::time_point lastHandOver_{};
    bool first_ = true;
};

} // namespace quenzel
