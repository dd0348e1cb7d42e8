// Sorting a page's list view by a clicked column.
#pragma once

#include <windows.h>

namespace quenzel {

// One direction flag for the whole program: every click on any list flips
// it, so the first click anywhere sorts ascending and the next descending.
extern int SortColumnAscending;

// Sorts the list by the texts of a column, then flips the direction.
void SortListByColumn(HWND list, int column);

// LVM_SORTITEMSEX comparison: case-insensitive text order of the sort
// column, negated when `ascending` is 0.
int CALLBACK CompareListItems(LPARAM first, LPARAM second, LPARAM ascending);

} // namespace quenzel
