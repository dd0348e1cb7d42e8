#include "crypt/file_page.h"

#include "base/choosers.h"
#include "base/courier.h"
#include "base/format_size.h"
#include "base/handles.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/long_path.h"
#include "base/process.h"
#include "base/tabs.h"
#include "controls/page_table.h"
#include "crypt/crypt_dialogs.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/jobs.h"
#include "crypt/key_controls.h"
#include "crypt/page_state.h"
#include "crypt/running_jobs.h"
#include "res/base_resources.h"
#include "res/crypt_resources.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

namespace quenzel {

namespace {
constexpr int SizeTextLength = 100;

bool FileJobRunning()
{
    return FilePageState.jobMode.load() != NoJob;
}

// The page's job or its source chooser holds the page.
bool FilePageBusy()
{
    return FilePageState.work.Held();
}

constexpr ControlSpec FileControls[] = {
    Strip(IDC_FILE_BANNER, IDB_STRIP_FILE),
    GroupBox(IDC_FILE_GROUP, keys::FileGroup, {132, 48, 514, 342}),
    Icon(IDC_FILE_ICON, IDI_FILE_SMALL, {142, 72, 0, 0}, SmallIconSize),
    Field(IDC_FILE_SOURCE, {166, 70, 432, 22}),
    BrowseButton(IDC_FILE_CHOOSE, {606, 70, 30, 22}, keys::ChooseFileTip),
    Field(IDC_FILE_PREVIEW, {142, 104, 494, 100}, ES_MULTILINE | ES_AUTOVSCROLL),
    LargeButton(IDC_FILE_ENCRYPT, keys::EncryptCaption, IDI_ENCRYPT_FILE, {654, 56, 110, 90}, keys::EncryptFileTip),
    LargeButton(IDC_FILE_DECRYPT, keys::DecryptCaption, IDI_DECRYPT_FILE, {654, 156, 110, 90}, keys::DecryptFileTip),
    // Placed below the page once the status bar's position is known.
    ProgressBar(IDC_FILE_PROGRESS, FileJobRunning),
    Icon(IDC_FILE_PICTURE, IDI_FILE_PICTURE, {660, 276, 0, 0}),
};
static_assert(ControlIdsUnique(FileControls), "file page ids must be unique");

bool AskForSourceFile(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::ChooseFileTitle), nullptr, MaxTextLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path);
}

void EndFileWork() noexcept
{
    FilePageState.work.Release();
}

// The chooser opens on the window's thread; so does the chosen file's
// placing, which fills the page's controls. The page's work lock, taken
// for it on the window's thread, is held until then.
DWORD WINAPI ChooseSourceWorker(void*)
{
    const WorkEnd end(EndFileWork);
    std::wstring path;
    if (AskForSourceFile(path))
        OnWindowThread([&path] { PlaceSourceFile(path); });
    return 0;
}

// The file page as the routines both encryption pages share see it.
const CryptPage ThisPage{FilePageState,
                         MakePageTable(FileControls),
                         IDC_FILE_SOURCE,
                         IDC_FILE_CHOOSE,
                         IDC_FILE_PREVIEW,
                         IDC_FILE_ENCRYPT,
                         IDC_FILE_DECRYPT,
                         IDC_FILE_PROGRESS,
                         ChooseSourceFile,
                         ChooseSourceWorker,
                         FileJob,
                         keys::NoFile,
                         keys::NoFileCaption};

std::wstring SourceFieldText()
{
    return TextOf(MainControl(IDC_FILE_SOURCE));
}

// The page text and the preview follow the source field: a readable file's
// size, name and first bytes; for anything else an empty preview and the
// page's own text. False when the field names no readable file.
bool ShowSourceFacts(const std::wstring& path)
{
    HWND preview = MainControl(IDC_FILE_PREVIEW);
    SetWindowTextW(preview, L"");
    uint64_t size = 0;
    if (path.empty() || !ReadableFileSize(path, size)) {
        FilePageState.ResetPageInfoText();
        return false;
    }
    wchar_t sizeText[SizeTextLength] = L"";
    FormatSize(sizeText, size, SizeTextLength);
    const std::wstring title = PathTitle(path);
    FilePageState.SetPageInfoText(FormatLangText(keys::SizeInfo, MaxTextLength, sizeText, title.c_str()));
    LoadTextPreview(path, preview);
    return true;
}

// A path typed into the source field is looked at when the field loses the
// focus (not at every key, which would open half-typed paths); a page
// being hidden or a job of its own leaves the page as it is.
LRESULT CALLBACK SourceFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_KILLFOCUS:
        if (IsWindowVisible(field) && !FilePageBusy())
            ShowSourceFacts(SourceFieldText());
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(field, SourceFieldProc, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

} // namespace

void FilePage_Create(HWND parent)
{
    CreatePageControls(parent, KeyControlsTable());
    CreatePageControls(parent, ThisPage.controls);
    PlaceProgressBar(ThisPage);
    InitKeyControls();
    SetWindowSubclass(MainControl(IDC_FILE_SOURCE), SourceFieldProc, 0, 0);
    RegisterCryptPage(
        ThisPage, FilePageIndex,
        PageRoutines{FilePage_Show, FilePage_OnCommand, nullptr, nullptr, FilePage_OnDrop, FilePage_SetSource});
}

// A shown page looks at its source again: a path typed before another page
// was chosen, or a file changed meanwhile.
void FilePage_Show(int showCommand)
{
    if (showCommand != SW_HIDE && !FilePageBusy())
        ShowSourceFacts(SourceFieldText());
    ShowCryptPage(ThisPage, showCommand);
}

// A job starts from the source as the field names it now, typed or not.
void FilePage_OnCommand(int id)
{
    if ((id == IDC_FILE_ENCRYPT || id == IDC_FILE_DECRYPT) && !FilePageBusy())
        ShowSourceFacts(SourceFieldText());
    OnCryptPageCommand(ThisPage, id);
}

// One file, taken as the source chooser takes a chosen one; the page's
// controls are left alone while its job runs.
void FilePage_OnDrop(const std::vector<std::wstring>& paths)
{
    if (FilePageBusy())
        RefuseDrop(keys::DropWhileBusy);
    else if (paths.size() != 1 || IsFolder(paths[0]))
        RefuseDrop(keys::DropOneFile);
    else
        PlaceSourceFile(paths[0]);
}

bool FilePage_SetSource(const std::wstring& path)
{
    if (FilePageBusy())
        return false;
    SetWindowTextW(MainControl(IDC_FILE_SOURCE), path.c_str());
    ShowSourceFacts(path);
    return true;
}

// The chooser may run on a worker of its own: the page is changed on the
// window's thread.
void ChooseSourceFile()
{
    std::wstring path;
    if (AskForSourceFile(path))
        OnWindowThread([&path] { PlaceSourceFile(path); });
}

void PlaceSourceFile(const std::wstring& path)
{
    SetWindowTextW(MainControl(IDC_FILE_SOURCE), path.c_str());
    if (!ShowSourceFacts(path))
        WarnUser(keys::SourceCannotOpen);
}

} // namespace quenzel
