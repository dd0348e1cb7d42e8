// Helpers of the main window's UI tests: the program started with a
// settings file, what its window shows and stores, and pictures of it for
// the guide's gallery.
#pragma once

#include "tests/support/ui_driver.h"

#include "app/command_ids.h"
#include "base/control_ids.h"

#include <string>

namespace mainwin {

using namespace uitest;

inline constexpr int StatusBarId = quenzel::IDC_STATUSBAR;
inline constexpr int FirstPageCommand = quenzel::CMD_FIRST_PAGE;
// The main window's tabs, one a page.
inline constexpr int TabCount = 6;

struct Started {
    ProgramFolder folder;
    App app;
    HWND window = nullptr;
};

// Starts the program with the given settings (UTF-8 INI text; none: no
// settings file) and arguments, and waits for its window.
void Start(Started& s, const char* ini = nullptr, const wchar_t* args = L"");

// A stored setting; "<none>" when there is none.
std::wstring IniText(const ProgramFolder& folder, const wchar_t* section, const wchar_t* key);
bool Visible(App& app, int id);
// The status bar's information part.
std::wstring StatusInfo(App& app);

// Saves the screen area of a window as a 24-bit BMP in the gallery.
void SaveScreenshot(HWND window, const std::wstring& name);
// The program paints in its own time: the picture waits until nothing is left to paint.
void SavePaintedWindow(HWND window, const std::wstring& name);

// Folder drives as a user makes them, for the guide's picture: deep
// folders of their own on free letters, one whose folder has gone; and a
// few slots filled, for the pictures of tab 3 and tab 5.
extern const std::string GalleryIni;

} // namespace mainwin
