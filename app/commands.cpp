#include "app/commands.h"

#include "app/behaviours.h"
#include "app/command_ids.h"
#include "base/choosers.h"
#include "base/control_ids.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/process.h"
#include "base/shell_helpers.h"
#include "base/tabs.h"
#include "crypt/verify_job.h"
#include "res/app_resources.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace quenzel {

static_assert(IDM_PAGE_HELP == IDC_HELPBUTTON, "F1 presses the help button");

namespace {
constexpr INT_PTR ShellFailureLimit = 32;   // ShellExecuteW results up to this mean failure
constexpr UINT HelpContextCommand = 0x000F; // HH_HELP_CONTEXT
constexpr int HelpContextContents = 1;
constexpr int HelpContextTips = 2;
constexpr int HelpContextFaq = 3;
// Help contexts of the six tabs, for the help button.
constexpr int TabHelpContexts[] = {1, 7, 8, 9, 10, 11};
constexpr wchar_t Notepad[] = L"notepad.exe";
constexpr wchar_t SubjectField[] = L"?subject=";
constexpr wchar_t HexDigits[] = L"0123456789ABCDEF";
constexpr unsigned HighNibbleShift = 4;
constexpr unsigned NibbleMask = 0xF;

// The help topic of a context number; a missing help file shows nothing.
void ShowHelpContext(int context)
{
    ShowHelpTopic(MainWindow, HelpFilePath.c_str(), HelpContextCommand, static_cast<DWORD_PTR>(context));
}

bool Open(const wchar_t* file, const wchar_t* parameters = nullptr)
{
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(MainWindow, L"open", file, parameters, nullptr, SW_SHOW));
    return result > ShellFailureLimit;
}

// Notepad takes the file as one parameter, quoted for paths with blanks.
void OpenInNotepad(const std::wstring& file)
{
    Open(Notepad, (L"\"" + file + L"\"").c_str());
}

std::wstring WindowsFolder()
{
    wchar_t folder[MAX_PATH] = L"";
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

void OpenWithFallback(const wchar_t* first, const wchar_t* second)
{
    if (!Open(first))
        Open(second);
}

void OnHelpButton()
{
    const int tab = static_cast<int>(SendMessageW(TabControl(), TCM_GETCURSEL, 0, 0));
    if (tab >= 0 && tab < static_cast<int>(sizeof TabHelpContexts / sizeof TabHelpContexts[0]))
        ShowHelpContext(TabHelpContexts[tab]);
}

void OnOpenInNotepad()
{
    std::wstring file;
    if (ChooseFileForNotepad(file))
        OpenInNotepad(file);
}

// The text in UTF-8; empty when it cannot be converted.
std::string Utf8Of(const std::wstring& text)
{
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string bytes(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, &bytes[0], size, nullptr, nullptr) != size)
        return std::string();
    return bytes;
}

bool UnreservedInAddress(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '-'
        || byte == '.' || byte == '_' || byte == '~';
}

// A text as a part of a mailto address: its UTF-8 bytes, every one but
// letters, digits and "-._~" written as %XX.
std::wstring AddressPart(const std::wstring& text)
{
    std::wstring part;
    for (unsigned char byte : Utf8Of(text)) {
        if (UnreservedInAddress(byte)) {
            part += static_cast<wchar_t>(byte);
            continue;
        }
        part += L'%';
        part += HexDigits[byte >> HighNibbleShift];
        part += HexDigits[byte & NibbleMask];
    }
    return part;
}

void OnReportMail()
{
    const std::wstring mail =
        std::wstring(L"mailto:") + MakerSupportMail + SubjectField + AddressPart(LangString(keys::ReportMailSubject));
    Open(mail.c_str());
}

void OnSystemRestore()
{
    const std::wstring restore = SystemFolder() + L"\\restore\\rstrui.exe";
    OpenWithFallback(restore.c_str(), L"rstrui.exe");
}

void OnLanguage()
{
    SetCurrentDirectoryW(ProgramDir.c_str());
    Open(L"language.exe");
}

void OnClearFont()
{
    // The fonts are made once, at start: the message says when it applies.
    if (!ToggleOption(CMD_CLEAR_FONT, setting::ClearFont))
        return;
    const std::wstring text = LangString(keys::ClearFontText);
    const std::wstring caption = LangString(keys::ClearFontCaption);
    MessageBoxW(MainWindow, text.c_str(), caption.c_str(), MB_ICONWARNING | MB_OK);
}

bool RunEditCommand(int id)
{
    switch (id) {
    case CMD_EDIT_WIN_INI:
        OpenInNotepad(WindowsFolder() + L"\\win.ini");
        return true;
    case CMD_EDIT_SYSTEM_INI:
        OpenInNotepad(WindowsFolder() + L"\\system.ini");
        return true;
    case CMD_EDIT_AUTOEXEC_BAT:
        OpenInNotepad(L"c:\\autoexec.bat");
        return true;
    case CMD_EDIT_CONFIG_SYS:
        OpenInNotepad(L"c:\\config.sys");
        return true;
    case CMD_EDIT_AUTOEXEC_NT:
        OpenInNotepad(SystemFolder() + L"\\autoexec.nt");
        return true;
    case CMD_EDIT_CONFIG_NT:
        OpenInNotepad(SystemFolder() + L"\\config.nt");
        return true;
    default:
        return false;
    }
}

bool RunToolCommand(int id)
{
    switch (id) {
    case CMD_MSINFO:
        Open(L"msinfo32.exe");
        return true;
    case CMD_MSCONFIG:
        Open(L"msconfig.exe");
        return true;
    case CMD_CLEANMGR:
        Open(L"cleanmgr.exe");
        return true;
    case CMD_DEFRAG:
        OpenWithFallback(L"dfrg.msc", L"dfrgui.exe");
        return true;
    case CMD_REGEDIT:
        Open(L"regedit.exe");
        return true;
    case CMD_RESTORE:
        OnSystemRestore();
        return true;
    default:
        return false;
    }
}

bool RunOptionCommand(int id)
{
    switch (id) {
    case CMD_LANGUAGE:
        OnLanguage();
        return true;
    case CMD_ON_TOP:
        ToggleOption(CMD_ON_TOP, setting::OnTop);
        ApplyOnTop();
        return true;
    case CMD_MAGNET:
        ToggleOption(CMD_MAGNET, setting::Magnet);
        ReadMagnetOption();
        return true;
    case CMD_TRANSPARENCY:
        ShowTransparencyDialog();
        return true;
    case CMD_CLEAR_FONT:
        OnClearFont();
        return true;
    default:
        return false;
    }
}
} // namespace

bool RunProgramCommand(HWND window, int id)
{
    if (id >= CMD_FIRST_PAGE && id <= CMD_LAST_PAGE) {
        SelectTab(id - CMD_FIRST_PAGE);
        return true;
    }
    if (RunEditCommand(id) || RunToolCommand(id) || RunOptionCommand(id))
        return true;
    switch (id) {
    case IDM_ABOUT:
        ShowAboutBox(window);
        return true;
    case IDM_EXIT:
        // As the close button: asked first while a job runs.
        SendMessageW(MainWindow, WM_CLOSE, 0, 0);
        return true;
    case IDC_HELPBUTTON:
        OnHelpButton();
        return true;
    case CMD_NEW_TEXT:
        Open(Notepad);
        return true;
    case CMD_OPEN_IN_NOTEPAD:
        OnOpenInNotepad();
        return true;
    case CMD_VERIFY:
        StartVerifyJob();
        return true;
    case CMD_HELP_CONTENTS:
        ShowHelpContext(HelpContextContents);
        return true;
    case CMD_HELP_FAQ:
        ShowHelpContext(HelpContextFaq);
        return true;
    case CMD_HELP_TIPS:
        ShowHelpContext(HelpContextTips);
        return true;
    case CMD_WEB_SITE:
        Open(MakerWebSite);
        return true;
    case CMD_REPORT_MAIL:
        OnReportMail();
        return true;
    default:
        return false;
    }
}

} // namespace quenzel
