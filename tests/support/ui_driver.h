// Drives the real Quenzel.exe from the outside, the way a user meets it:
// a fresh program folder, the process, its windows and their texts.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace uitest {

using Millis = std::chrono::milliseconds;
inline constexpr Millis DefaultTimeout{15000};

// Polls `done` until it holds or the timeout passes; true when it held.
bool WaitUntil(const std::function<bool()>& done, Millis timeout = DefaultTimeout);

// The build's program folder (Quenzel.exe, lang\) as a Windows path.
std::wstring BuiltProgramDir();
// A host (Unix) path as Wine sees it.
std::wstring HostToWindowsPath(const std::string& hostPath);

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& text);

// Writes bytes to a file (any path length); false on failure.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Reads a whole file; false when it cannot be read.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// Makes a file UTF-16LE text with byte-order mark.
std::string Utf16File(const std::wstring& text);
bool FileExists(const std::wstring& path);
// Where the recycle bin keeps deleted files under Wine: the trash folder
// below the host's home; empty when Wine does not say where that is.
std::wstring TrashFolder();
// Removes a folder and everything below it.
void RemoveTree(const std::wstring& path);

// A fresh program folder under the temporary folder: a copy of Quenzel.exe
// and lang\default.lng, removed again when the owner goes.
class ProgramFolder {
public:
    // `extraDepth` nests the folder this many characters deep (for long paths).
    explicit ProgramFolder(size_t minimumPathLength = 0);
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring ExePath() const { return path_ + L"\\Quenzel.exe"; }
    std::wstring IniPath() const { return path_ + L"\\Quenzel.ini"; }
    // Writes Quenzel.ini with the given UTF-8 content as UTF-16LE text.
    bool WriteIni(const std::string& utf8Content) const;
    // Copies one more file of the build's program folder (e.g. L"lang\\german.lng")
    // to the same place in this folder.
    bool CopyFromBuild(const std::wstring& relativePath) const;
    // Makes the build's language file (e.g. L"german.lng") this folder's default.lng.
    bool UseLanguage(const std::wstring& fileName) const;
    bool Ready() const { return ready_; }

private:
    std::wstring root_;
    std::wstring path_;
    bool ready_ = false;
};

// One running Quenzel process. Killed when the owner goes, if still running.
class App {
public:
    App() = default;
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Starts the program with the given command-line arguments.
    bool Start(const ProgramFolder& folder, const std::wstring& arguments = L"");
    // Starts any program of the folder (e.g. language.exe) in `workingDir`.
    bool StartProgram(const std::wstring& exePath, const std::wstring& workingDir, const std::wstring& arguments = L"");
    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_; }

    // The visible main window (class "QUENZEL") of this process.
    HWND WaitForMainWindow(Millis timeout = DefaultTimeout);
    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    // Whether the process has ended (a crashed program shows no more windows,
    // so the waits for one stop at once).
    bool Ended() const;
    // Waits for the process to end; false on timeout.
    bool WaitForExit(DWORD& exitCode, Millis timeout = DefaultTimeout);
    // Closes the main window and waits for the process to end.
    bool Close(Millis timeout = DefaultTimeout);
    void Kill();

    // A top-level window of this process with the given class (e.g. "#32770").
    HWND WaitForTopWindow(const wchar_t* className, Millis timeout = DefaultTimeout) const;

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// The text control of a message box.
inline constexpr int MessageTextId = 0xFFFF;

// A visible dialog ("#32770") of the process that has a control with this
// id, once it is there; null when none came before the timeout.
HWND WaitForDialogWith(const App& app, int controlId, Millis timeout = DefaultTimeout);

// Memory in another process, for messages whose lParam points at data.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void* Address() const { return address_; }
    bool Write(const void* data, size_t size, size_t offset = 0);
    bool Read(void* data, size_t size, size_t offset = 0) const;

private:
    HANDLE process_;
    void* address_;
};

// The main window's title as this build writes it ("Quenzel" and the
// version's major and minor number).
std::wstring ProgramTitle();

// Texts of windows and controls of another process.
std::wstring WindowText(HWND window);
std::wstring ClassNameOf(HWND window);
std::wstring StatusBarText(HANDLE process, HWND statusBar, int part);
std::wstring TabText(HANDLE process, HWND tabs, int index);
std::wstring ListViewText(HANDLE process, HWND list, int item, int column);
// An edit control's text (WM_GETTEXT: GetWindowText of another process's
// control gives only its creation text).
std::wstring FieldText(HWND field);
// Sets an edit control's text (WM_SETTEXT).
void SetFieldText(HWND field, const std::wstring& text);
// The index of the tab the program's tab control shows.
int SelectedTab(const App& app);

// The control with the keyboard focus in the thread of `window`.
HWND FocusedControl(HWND window);

// Posts a click (a button that opens a modal dialog must not be sent to).
void PostClick(HWND button);
// Posts a left-button press and release inside a control (the program's own
// buttons answer the mouse, not BM_CLICK).
void PostMouseClick(HWND control);
// Posts a WM_COMMAND with the given id to a window.
void PostCommand(HWND window, int id);

// Chooses a folder in the open folder picker and presses OK.
void ChooseInFolderPicker(App& app, const std::wstring& folder);
// Types a path into the open-file dialog's name field and presses OK, or
// cancels the dialog when the path is empty.
void ChooseInFileDialog(App& app, const std::wstring& path);

// Saves the screen area of a window as 24-bit BMP `name`.bmp in `folder`
// (made when missing); false when it could not be written.
bool SaveWindowPicture(HWND window, const std::wstring& folder, const std::wstring& name);

// Visible child windows of a window, in z-order.
std::vector<HWND> VisibleChildren(HWND parent);

} // namespace uitest
