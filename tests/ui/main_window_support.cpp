#include "tests/ui/main_window_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace mainwin {

void Start(Started& s, const char* ini, const wchar_t* args)
{
    ASSERT_TRUE(s.folder.Ready());
    if (ini) {
        ASSERT_TRUE(s.folder.WriteIni(ini));
    }
    ASSERT_TRUE(s.app.Start(s.folder, args));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
}

std::wstring IniText(const ProgramFolder& folder, const wchar_t* section, const wchar_t* key)
{
    wchar_t text[512] = L"";
    GetPrivateProfileStringW(section, key, L"<none>", text, 512, folder.IniPath().c_str());
    return text;
}

bool Visible(App& app, int id)
{
    return IsWindowVisible(app.Control(id)) != FALSE;
}

std::wstring StatusInfo(App& app)
{
    return StatusBarText(app.Process(), app.Control(StatusBarId), 1);
}

void SaveScreenshot(HWND window, const std::wstring& name)
{
    EXPECT_TRUE(SaveWindowPicture(window, HostToWindowsPath(QUENZEL_SCREENSHOT_DIR), name)) << Narrow(name);
}

void SavePaintedWindow(HWND window, const std::wstring& name)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<HWND> parts = VisibleChildren(window);
    parts.push_back(window);
    const auto painted = [](HWND part) { return !GetUpdateRect(part, nullptr, FALSE); };
    EXPECT_TRUE(WaitUntil([&] { return std::all_of(parts.begin(), parts.end(), painted); })) << Narrow(name);
    SaveScreenshot(window, name);
}

const std::string GalleryIni = "[OFTENRADIO]\n1=1\n3=1\n[OFTENPATHS]\n"
                               "0=C:\\users\\Public\\Documents\\report.txt\n1=C:\\users\\Public\\Pictures\n"
                               "2=C:\\users\\Public\\notes.txt\n3=D:\\Backup\n"
                               "[FOLDERDRIVES]\n0=1|P: C:\\users\\Public\\Documents\n"
                               "1=0|M: C:\\users\\Public\\Music\n2=1|Y: C:\\users\\Public\\Old projects\n";

} // namespace mainwin
