#include "app/menu.h"

#include "app/command_ids.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/process.h"
#include "base/settings.h"
#include "controls/owner_menu.h"
#include "crypt/verify_job.h"
#include "res/app_resources.h"

#include <windowsx.h>

#include <string>

namespace quenzel {

namespace {
HMENU MenuBar = nullptr;

// One item of a popup: a language key, or a literal text (file names); id 0 = separator.
struct MenuEntry {
    int id;
    int textKey;
    const wchar_t* text;
};
constexpr MenuEntry Separator{0, 0, nullptr};

constexpr MenuEntry FileItems[] = {{CMD_NEW_TEXT, keys::MenuNewText, nullptr},
                                   {CMD_OPEN_IN_NOTEPAD, keys::MenuOpenInNotepad, nullptr},
                                   Separator,
                                   {CMD_VERIFY, keys::MenuVerify, nullptr},
                                   Separator,
                                   {IDM_EXIT, keys::MenuExit, nullptr}};
constexpr MenuEntry EditItems[] = {{CMD_EDIT_WIN_INI, 0, L"&Win.ini"},
                                   {CMD_EDIT_SYSTEM_INI, 0, L"&System.ini"},
                                   {CMD_EDIT_AUTOEXEC_BAT, 0, L"&Autoexec.bat"},
                                   {CMD_EDIT_CONFIG_SYS, 0, L"&Config.sys"},
                                   Separator,
                                   {CMD_EDIT_AUTOEXEC_NT, 0, L"A&utoexec.nt"},
                                   {CMD_EDIT_CONFIG_NT, 0, L"C&onfig.nt"}};
constexpr MenuEntry PageItems[] = {
    {CMD_FIRST_PAGE, keys::MenuOptionsPage, nullptr},   Separator,
    {CMD_FIRST_PAGE + 1, keys::MenuFilePage, nullptr},  {CMD_FIRST_PAGE + 2, keys::MenuFolderPage, nullptr},
    {CMD_FIRST_PAGE + 3, keys::MenuSlotPage, nullptr},  {CMD_FIRST_PAGE + 4, keys::MenuShredderPage, nullptr},
    {CMD_FIRST_PAGE + 5, keys::MenuDrivesPage, nullptr}};
constexpr MenuEntry ToolItems[] = {
    {CMD_MSINFO, keys::MenuMsInfo, nullptr},     {CMD_MSCONFIG, keys::MenuMsConfig, nullptr},
    {CMD_CLEANMGR, keys::MenuCleanMgr, nullptr}, {CMD_DEFRAG, keys::MenuDefrag, nullptr},
    {CMD_REGEDIT, keys::MenuRegedit, nullptr},   Separator,
    {CMD_RESTORE, keys::MenuRestore, nullptr}};
constexpr MenuEntry OptionItems[] = {
    {CMD_LANGUAGE, keys::MenuLanguage, nullptr},   Separator, {CMD_ON_TOP, keys::MenuOnTop, nullptr},
    {CMD_MAGNET, keys::MenuMagnet, nullptr},       Separator, {CMD_TRANSPARENCY, keys::MenuTransparency, nullptr},
    {CMD_CLEAR_FONT, keys::MenuClearFont, nullptr}};
constexpr MenuEntry HelpItems[] = {{CMD_HELP_CONTENTS, keys::MenuHelpContents, nullptr},
                                   {CMD_HELP_FAQ, keys::MenuHelpFaq, nullptr},
                                   {CMD_HELP_TIPS, keys::MenuHelpTips, nullptr},
                                   Separator,
                                   {CMD_WEB_SITE, keys::MenuWebSite, nullptr},
                                   {CMD_REPORT_MAIL, keys::MenuReportMail, nullptr},
                                   Separator,
                                   {IDM_ABOUT, keys::MenuAbout, nullptr}};

// The side bar of each popup shows the popup's caption without its mnemonic.
struct PopupSpec {
    int captionKey;
    const MenuEntry* items;
    std::size_t count;
    UINT extraFlags;
};

template <std::size_t N>
constexpr PopupSpec Popup(int captionKey, const MenuEntry (&items)[N], UINT extra = 0)
{
    return PopupSpec{captionKey, items, N, extra};
}

constexpr PopupSpec Popups[] = {
    Popup(keys::MenuFile, FileItems),      Popup(keys::MenuEdit, EditItems),
    Popup(keys::MenuPageList, PageItems),  Popup(keys::MenuMsTools, ToolItems),
    Popup(keys::MenuOptions, OptionItems), Popup(keys::MenuHelp, HelpItems, MF_RIGHTJUSTIFY)};

bool RunsOnNtPlatform()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL known = GetVersionExW(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Check marks from the settings file; the transparency item needs layered
// windows, which only the NT family has.
UINT ItemState(int id)
{
    switch (id) {
    case CMD_ON_TOP:
        return ReadSetting(setting::OnTop) ? MF_CHECKED : 0;
    case CMD_MAGNET:
        return ReadSetting(setting::Magnet) ? MF_CHECKED : 0;
    case CMD_CLEAR_FONT:
        return ReadSetting(setting::ClearFont) ? MF_CHECKED : 0;
    case CMD_TRANSPARENCY:
        return RunsOnNtPlatform() ? 0 : MF_GRAYED;
    default:
        return 0;
    }
}

// A menu caption as the side bar writes it: "&&" stays one "&", a single
// "&" (the mnemonic mark) goes.
std::wstring WithoutMnemonic(const std::wstring& caption)
{
    std::wstring name;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && ++i == caption.size())
            break;
        name += caption[i];
    }
    return name;
}

HMENU BuildPopup(const PopupSpec& table)
{
    HMENU popup = CreatePopupMenu();
    if (!popup)
        return nullptr;
    for (std::size_t i = 0; i < table.count; ++i) {
        const MenuEntry& entry = table.items[i];
        if (entry.id == 0) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::wstring text = entry.textKey ? LangString(entry.textKey) : std::wstring(entry.text);
        AppendMenuW(popup, MF_STRING | ItemState(entry.id), static_cast<UINT_PTR>(entry.id), text.c_str());
    }
    return popup;
}
} // namespace

void BuildMainMenu()
{
    HMENU bar = CreateMenu();
    if (!bar)
        return;
    for (const PopupSpec& table : Popups) {
        HMENU popup = BuildPopup(table);
        if (!popup)
            continue;
        const std::wstring caption = LangString(table.captionKey);
        AppendMenuW(bar, MF_POPUP | table.extraFlags, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
    }
    HMENU classMenu = GetMenu(MainWindow);
    if (!SetMenu(MainWindow, bar)) {
        DestroyMenu(bar);
        return;
    }
    if (classMenu) {
        for (int i = 0; i < GetMenuItemCount(classMenu); ++i)
            ReleaseOwnerDrawMenu(GetSubMenu(classMenu, i));
        DestroyMenu(classMenu);
    }
    MenuBar = bar;
    int position = 0;
    for (const PopupSpec& table : Popups)
        ConvertMenuToOwnerDraw(GetSubMenu(bar, position++), WithoutMnemonic(LangString(table.captionKey)).c_str());
}

HMENU MainMenu()
{
    return MenuBar;
}

void UpdatePopupStates(HMENU popup)
{
    // Verify waits for the running work, as the pages' buttons do.
    EnableMenuItem(popup, CMD_VERIFY, MF_BYCOMMAND | (VerifyMayStart() ? MF_ENABLED : MF_GRAYED));
}

BOOL ShowContextMenu(HWND window, LPARAM point, int position)
{
    if (!IsWindow(window))
        return FALSE;
    HMENU popup = GetSubMenu(GetMenu(window), position);
    return TrackPopupMenuEx(popup, TPM_RIGHTBUTTON, GET_X_LPARAM(point), GET_Y_LPARAM(point), window, nullptr);
}

} // namespace quenzel
