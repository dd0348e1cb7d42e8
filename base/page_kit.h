// What every page needs of the main window: its controls and their texts,
// the warning boxes, a worker thread, and a progress bar moved from a worker.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace quenzel {

// A control of the main window.
HWND MainControl(int id);
// A window's text, up to MaxTextLength units.
std::wstring TextOf(HWND window);
// The text of column 0 of a list view's row, up to MaxTextLength units.
std::wstring ListItemText(HWND list, int index);
// True when the main window's check box or radio button `id` is checked.
bool Checked(int id);
// The size of a file that can be opened for reading; false when it cannot.
bool ReadableFileSize(const std::wstring& path, uint64_t& size);
// True when the path names an existing file or folder; a folder.
bool PathExists(const std::wstring& path);
bool IsFolder(const std::wstring& path);

// A warning box owned by the main window, captioned with the language text
// `captionKey`.
void ShowWarningBox(const std::wstring& text, int captionKey);
// A report of work done as asked: an information box owned by MainWindow.
void ShowInfoBox(const std::wstring& text, int captionKey);
// A warning box owned by the main window: the language text `key`, caption
// keys::ErrorCaption.
void WarnUser(int key);
void WarnUserText(const std::wstring& text);

// Starts a worker thread running `routine`; false (after a message) when no
// thread could be made. Nothing waits for a worker: its handle is not kept.
// The worker runs in a single-threaded COM apartment (`ComApartment`).
bool StartWorker(LPTHREAD_START_ROUTINE routine, void* parameter = nullptr);

// Moves a progress bar of the main window's page from a worker thread,
// through the courier.
class ProgressBarMover {
public:
    explicit ProgressBarMover(int barId)
        : bar_(barId)
    { }
    void SetPosition(uint32_t position) const;
    void Step() const;
    // Sets the range 0 to `maximum` with steps of 1, and shows the bar.
    void Prepare(int maximum) const;

private:
    int bar_;
};

// A message-only window of a class of its own, on the calling thread: the
// way a worker's results reach that thread. Null when it cannot be made.
HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure);

} // namespace quenzel
