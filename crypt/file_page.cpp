#include "crypt/file_page.h"

#include "base/choosers.h"
#include "base/format_size.h"
#include "base/handles.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/shell.h"
#include "base/tabs.h"
#include "controls/page_table.h"
#include "crypt/crypt_dialogs.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/jobs.h"
#include "crypt/key_controls.h"
#include "crypt/page_state.h"
#include "res/resource.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

namespace quenzel {

namespace {

constexpr int ChooseFileTitleKey = 77;
constexpr int SourceCannotOpenKey = 78;
constexpr int SizeInfoKey = 79;
constexpr int NoFileKey = 86;
constexpr int NoFileCaptionKey = 196;
constexpr int SizeTextLength = 100;
constexpr wchar_t AllFilesFilter[] = L"All files (*.*)\0*.*\0";

bool FileJobRunning()
{
    return FilePageState.jobMode.load() != NoJob;
}

constexpr ControlSpec FileControls[] = {
    {IDC_FILE_BANNER, L"STATIC", SS_BITMAP, 0, {115, 414, 670, 31}, 0, nullptr, ControlFont::None, false,
     ControlKind::Window, IDB_STRIP_FILE},
    {IDC_FILE_GROUP, L"BUTTON", BS_GROUPBOX, 0, {132, 48, 514, 342}, 66, nullptr, ControlFont::Bold},
    {IDC_FILE_ICON, L"static", SS_ICON, 0, {142, 72, 0, 0}, 0, nullptr, ControlFont::None, false,
     ControlKind::Window, IDI_FILE_SMALL, SmallIconSize},
    {IDC_FILE_SOURCE, L"EDIT", 0, WS_EX_CLIENTEDGE, {166, 70, 432, 22}, 0, nullptr, ControlFont::Normal},
    {IDC_FILE_CHOOSE, L"ButtonExClass", BrowseButtonStyle, 0, {606, 70, 30, 22}, 0, L"...", ControlFont::None, false,
     ControlKind::ButtonEx, 0, 0, 67},
    {IDC_FILE_PREVIEW, L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL, WS_EX_CLIENTEDGE, {142, 104, 494, 100}, 0, nullptr,
     ControlFont::Normal},
    {IDC_FILE_ENCRYPT, L"ButtonExClass", LargeButtonStyle, 0, {654, 56, 110, 90}, 72, nullptr, ControlFont::None,
     false, ControlKind::ButtonEx, IDI_ENCRYPT_FILE, 0, 73},
    {IDC_FILE_DECRYPT, L"ButtonExClass", LargeButtonStyle, 0, {654, 156, 110, 90}, 74, nullptr, ControlFont::None,
     false, ControlKind::ButtonEx, IDI_DECRYPT_FILE, 0, 75},
    // Placed below the page once the status bar's position is known.
    {IDC_FILE_PROGRESS, PROGRESS_CLASSW, 0, 0, {0, 0, 0, 0}, 0, nullptr, ControlFont::None, false,
     ControlKind::Window, 0, 0, 0, FileJobRunning},
    {IDC_FILE_PICTURE, L"static", SS_ICON, 0, {660, 276, 0, 0}, 0, nullptr, ControlFont::None, false,
     ControlKind::Window, IDI_FILE_PICTURE},
};
static_assert(ControlIdsUnique(FileControls), "file page ids must be unique");

DWORD WINAPI ChooseSourceWorker(void*)
{
    ChooseSourceFile();
    return 0;
}

bool AskForSourceFile(std::wstring& path)
{
    return ChooseExistingFile(LangText(ChooseFileTitleKey), AllFilesFilter, nullptr, MaxTextLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path);
}

// The file page as the routines both encryption pages share see it.
const CryptPage ThisPage{FilePageState,
                         MakePageTable(FileControls),
                         IDC_FILE_SOURCE,
                         IDC_FILE_CHOOSE,
                         IDC_FILE_ENCRYPT,
                         IDC_FILE_DECRYPT,
                         IDC_FILE_PROGRESS,
                         ChooseSourceFile,
                         ChooseSourceWorker,
                         FileJob,
                         NoFileKey,
                         NoFileCaptionKey};

} // namespace

void FilePage_Create(HWND parent)
{
    CreatePageControls(parent, KeyControlsTable());
    CreatePageControls(parent, ThisPage.controls);
    PlaceProgressBar(ThisPage);
    InitKeyControls();
    RegisterCryptPage(ThisPage, FilePageIndex, PageRoutines{FilePage_Show, FilePage_OnCommand});
}

void FilePage_Show(int showCommand)
{
    ShowCryptPage(ThisPage, showCommand);
}

void FilePage_OnCommand(int id)
{
    OnCryptPageCommand(ThisPage, id);
}

void ChooseSourceFile()
{
    std::wstring path;
    if (!AskForSourceFile(path))
        return;
    SetWindowTextW(MainControl(IDC_FILE_SOURCE), path.c_str());
    UniqueFile file(CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) {
        WarnUser(SourceCannotOpenKey);
        return;
    }
    wchar_t sizeText[SizeTextLength] = L"";
    FormatSize(sizeText, static_cast<uint64_t>(size.QuadPart), SizeTextLength);
    const std::wstring title = PathTitle(path);
    FilePageState.SetPageInfoText(FormatLangText(SizeInfoKey, MaxTextLength, sizeText, title.c_str()));
    file.Reset();
    LoadTextPreview(path, MainControl(IDC_FILE_PREVIEW));
}

} // namespace quenzel
