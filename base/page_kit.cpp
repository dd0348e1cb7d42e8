#include "base/page_kit.h"

#include "base/com_apartment.h"
#include "base/courier.h"
#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/thread_check.h"

#include <commctrl.h>

#include <memory>
#include <new>
#include <stdexcept>

namespace quenzel {

namespace {

struct WorkerStart {
    LPTHREAD_START_ROUTINE routine;
    void* parameter;
};

// A failure message that itself runs out of memory is given up: nothing
// may leave the worker.
void WarnFromWorker(int key) noexcept
{
    try {
        WarnUser(key);
    } catch (...) {
    }
}

// Every worker runs under this: an exception that reaches it is reported
// and ends the worker, never the program; with the window gone (the
// program closing) there is nobody left to tell. Each lives in a single-threaded
// apartment, which the shell needs should a call the window's thread gave
// up on (its window gone) run here; a thread that cannot enter one still
// works, and the shell helpers look again before they need it.
DWORD WINAPI GuardedWorker(void* start)
{
    const std::unique_ptr<WorkerStart> owned(static_cast<WorkerStart*>(start));
    const ComApartment apartment;
    try {
        return owned->routine(owned->parameter);
    } catch (const WindowGone&) {
        OutputDebugStringW(L"Quenzel: a worker ended, its window gone\n");
    } catch (const std::bad_alloc&) {
        WarnFromWorker(keys::NoMemory);
    } catch (const std::length_error&) {
        WarnFromWorker(keys::NoMemory);
    } catch (...) {
        WarnFromWorker(keys::TaskFailed);
    }
    return 1;
}

DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(ExtendedPath(path).c_str());
}
} // namespace

HWND MainControl(int id)
{
    ExpectWindowThread("MainControl");
    return GetDlgItem(MainWindow, id);
}

std::wstring TextOf(HWND window)
{
    std::wstring text(MaxTextLength + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

std::wstring ListItemText(HWND list, int index)
{
    std::wstring text(MaxTextLength + 1, L'\0');
    LVITEMW item{};
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT length =
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return text;
}

bool ReadableFileSize(const std::wstring& path, uint64_t& size)
{
    UniqueFile file(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER bytes{};
    if (!file || !GetFileSizeEx(file.Get(), &bytes))
        return false;
    size = static_cast<uint64_t>(bytes.QuadPart);
    return true;
}

bool PathExists(const std::wstring& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path)
{
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Checked(int id)
{
    return SendMessageW(MainControl(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ShowWarningBox(const std::wstring& text, int captionKey)
{
    ShowWarning(text, LangString(captionKey));
}

void ShowInfoBox(const std::wstring& text, int captionKey)
{
    ReportOnWindow(text, LangString(captionKey), ReportKind::Information);
}

void WarnUser(int key)
{
    WarnUserText(LangString(key));
}

void WarnUserText(const std::wstring& text)
{
    ShowWarningBox(text, ErrorCaptionKey);
}

bool StartWorker(LPTHREAD_START_ROUTINE routine, void* parameter)
{
    std::unique_ptr<WorkerStart> start(new (std::nothrow) WorkerStart{routine, parameter});
    const UniqueKernelHandle thread(start ? CreateThread(nullptr, 0, GuardedWorker, start.get(), 0, nullptr) : nullptr);
    if (!thread) {
        WarnUser(keys::WorkerNotStarted);
        return false;
    }
    start.release();
    return true;
}

void ProgressBarMover::SetPosition(uint32_t position) const
{
    PostBarPosition(bar_, static_cast<int>(position));
}

void ProgressBarMover::Step() const
{
    PostBarStep(bar_);
}

void ProgressBarMover::Prepare(int maximum) const
{
    PostBarRange(bar_, maximum);
    PostBarShown(bar_, true);
}

HWND CreateMessageWindow(const wchar_t* className, WNDPROC procedure)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = Instance;
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    return CreateWindowExW(0, className, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance, nullptr);
}

} // namespace quenzel
