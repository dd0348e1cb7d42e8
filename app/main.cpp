// Quenzel's entry routine: paths, window class, main window, message loop.
#include "app/command_line.h"
#include "app/keyboard.h"
#include "app/main_window.h"
#include "app/safe_start.h"
#include "base/com_apartment.h"
#include "base/lang_keys.h"
#include "base/messages.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/shell_helpers.h"
#include "crypt/secret_memory.h"
#include "res/app_resources.h"

#include <windows.h>
#include <commctrl.h>

namespace {

void InitCommonControlSet()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&controls);
}

int RunMessageLoop(HINSTANCE instance)
{
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    MSG msg{};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        // The accelerators are the main window's commands, whichever of its
        // controls has the focus.
        if (quenzel::IsMainWindowMessage(msg) && TranslateAcceleratorW(quenzel::MainWindow, accelerators, &msg))
            continue;
        // The dialog manager walks the main window's controls by keyboard.
        if (!quenzel::HandleMainWindowKey(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // A failed GetMessageW (-1) leaves no WM_QUIT code to pass on.
    return got == 0 ? static_cast<int>(msg.wParam) : 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    quenzel::RestrictLibrarySearch();
    // Room to lock the keys before any is taken. Refused, the keys still
    // work, wiped as ever, and every lock refused is counted: no reason to
    // stop or to trouble the user at each start.
    quenzel::RaiseLockableMemory();
    // The window's thread opens the shell's choosers and runs its commands
    // and file operations, all of which need a single-threaded apartment:
    // its OLE session lasts until the message loop has ended.
    const quenzel::OleSession ole;
    InitCommonControlSet();
    quenzel::ResolvePaths(quenzel::ExecutableFolder());
    const quenzel::StartRequest request = quenzel::ParseCommandLine(commandLine);
    // Nobody is there to answer a message at log-on: the exit code tells.
    if (request.logonMode)
        quenzel::SilenceWarnings();
    // Only the shell's parts fail without it (choosers, recycle bin, the
    // menus' programs); the rest works, so the user is told and goes on.
    if (!ole.Started())
        quenzel::WarnUser(quenzel::keys::ShellNotReady);
    quenzel::ConvertSettingsFileAtStart();
    // The log-on start only re-creates the folder drives: it makes no settings file.
    if (!request.logonMode)
        quenzel::WriteSafeSettingsWhenNone();
    if (!quenzel::RegisterMainWindowClass(instance))
        return request.logonMode ? quenzel::LogonFailedExitCode : 0;
    if (request.logonMode)
        return quenzel::RunLogonMode(instance);
    if (!quenzel::CreateMainWindow(instance, request, showCommand))
        return 0;
    return RunMessageLoop(instance);
}
