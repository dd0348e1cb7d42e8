// The tab control and the switching between pages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quenzel {

inline constexpr int TabCount = 6;
// Page indexes: the six tabs, and the unlocker page, which has no tab.
enum PageIndex {
    OptionsPageIndex,
    FilePageIndex,
    FolderPageIndex,
    SlotPageIndex,
    ShredderPageIndex,
    DrivesPageIndex,
    UnlockerPageIndex,
    PageCount
};

// What the shell needs of a page: its show-and-hide routine, its command
// handler, the handler of its controls' notifications (WM_NOTIFY: a list's
// column clicks and check boxes), of its sliders (WM_HSCROLL: the
// slider's window and the scroll request) and of paths dropped on the
// window or named on the command line, and the routine that places a path
// in the page's source field, for the pages that take one. Pages register
// themselves when they are created.
struct PageRoutines {
    void (*show)(int showCommand) = nullptr;
    void (*onCommand)(int id) = nullptr;
    void (*onNotify)(const NMHDR* header) = nullptr;
    void (*onScroll)(HWND slider, int request) = nullptr;
    void (*onDrop)(const std::vector<std::wstring>& paths) = nullptr;
    // False when the page refuses the path: its work runs.
    bool (*setSource)(const std::wstring& path) = nullptr;
};
void RegisterPage(int index, const PageRoutines& routines);

// Creates the tab control (IDC_TABS) with its six tabs.
bool CreateTabControl(HWND parent);
HWND TabControl();
// Places the tab control, its font and its icons for a new DPI.
void LayOutTabControl(int dpi);

void HidePage();
// Shows the page of the selected tab with the given ShowWindow command.
void SwitchPage(int showCommand);
// Selects a tab and shows its page.
void SelectTab(int index);
// Hands a command to the shown page's handler.
void DispatchPageCommand(int id);
// Hands a notification of a control to the shown page's handler.
void DispatchPageNotify(const NMHDR* header);
// Hands a slider's scroll request to the shown page's handler.
void DispatchPageScroll(HWND slider, int request);
// Hands dropped paths to the shown page; a page that takes none says so in
// the page information line.
void DispatchPageDrop(const std::vector<std::wstring>& paths);
// Places a path in a page's source field, shown or not; another page hands
// a path on this way without knowing the field. False when the page
// refused it while its work runs.
bool SetPageSource(int index, const std::wstring& path);
// Says in the page information line why a drop (or a listing, a slot's
// path, a command) was not taken; the page's own text comes back when a
// page is shown again. Any thread may call it.
void RefuseDrop(int key);
} // namespace quenzel
