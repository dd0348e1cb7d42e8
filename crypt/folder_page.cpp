#include "crypt/folder_page.h"

#include "base/choosers.h"
#include "base/courier.h"
#include "base/dpi.h"
#include "base/folder_walk.h"
#include "base/lang_keys.h"
#include "base/list_view.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/options.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/page_table.h"
#include "crypt/crypt_page.h"
#include "crypt/folder_job.h"
#include "crypt/folder_page_ids.h"
#include "crypt/jobs.h"
#include "crypt/page_state.h"
#include "crypt/running_jobs.h"
#include "res/base_resources.h"
#include "res/crypt_resources.h"

#include <commctrl.h>

#include <vector>

namespace quenzel {

namespace {

constexpr int PathColumnWidth = 452;

bool FolderJobRunning()
{
    return FolderPageState.jobMode.load() != NoJob;
}

constexpr ControlSpec FolderControls[] = {
    Strip(IDC_FOLDER_BANNER, IDB_STRIP_FOLDER),
    GroupBox(IDC_FOLDER_GROUP, keys::FolderGroup, {132, 48, 514, 342}),
    Icon(IDC_FOLDER_ICON, IDI_FOLDER_SMALL, {143, 72, 0, 0}, SmallIconSize),
    Field(IDC_FOLDER_SOURCE, {166, 70, 432, 22}),
    BrowseButton(IDC_FOLDER_GATHER, {606, 70, 30, 22}, keys::GatherFolderTip),
    // Virtual: the list filler keeps the rows, which may run to hundreds of thousands.
    ListView(IDC_FOLDER_LIST, {142, 104, 494, 100}, LVS_NOCOLUMNHEADER | LVS_OWNERDATA),
    LargeButton(IDC_FOLDER_ENCRYPT, keys::EncryptCaption, IDI_ENCRYPT_FOLDER, {654, 56, 110, 90},
                keys::EncryptFolderTip),
    LargeButton(IDC_FOLDER_DECRYPT, keys::DecryptCaption, IDI_DECRYPT_FOLDER, {654, 156, 110, 90},
                keys::DecryptFolderTip),
    ProgressBar(IDC_FOLDER_PROGRESS, FolderJobRunning),
    Icon(IDC_FOLDER_PICTURE, IDI_FOLDER_PICTURE, {660, 276, 0, 0}),
};
static_assert(ControlIdsUnique(FolderControls), "folder page ids must be unique");

constexpr ListLook FolderListLook{LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, IDI_FILE_SMALL, SmallIconSize};
constexpr ListColumn FolderListColumns[] = {{keys::FolderListColumn, PathColumnWidth}};

void EndFolderWork() noexcept
{
    FolderPageState.work.Release();
}

// The listings hold the page's work lock, taken for them on the window's
// thread: a drop during a listing would mix two folders.
DWORD WINAPI GatherFolderWorker(void*)
{
    const JobWorker worker;
    const WorkEnd end(EndFolderWork);
    GatherFolder();
    return 0;
}

// The dropped folder, written before its worker starts and read by it.
std::wstring DroppedFolder;

DWORD WINAPI GatherDroppedWorker(void*)
{
    const WorkEnd end(EndFolderWork);
    ListFolder(DroppedFolder);
    return 0;
}

// The folder into the source field; the list is left alone.
void ShowSourceFolder(const std::wstring& root)
{
    SetWindowTextW(MainControl(IDC_FOLDER_SOURCE), root.c_str());
}

// The folder page as the routines both encryption pages share see it.
const CryptPage ThisPage{FolderPageState,
                         MakePageTable(FolderControls),
                         IDC_FOLDER_SOURCE,
                         IDC_FOLDER_GATHER,
                         IDC_FOLDER_LIST,
                         IDC_FOLDER_ENCRYPT,
                         IDC_FOLDER_DECRYPT,
                         IDC_FOLDER_PROGRESS,
                         GatherFolder,
                         GatherFolderWorker,
                         FolderJob,
                         keys::NoFolder,
                         keys::NoFolderCaption};

} // namespace

void FolderPage_Create(HWND parent)
{
    CreatePageControls(parent, ThisPage.controls);
    SetUpListView(MainControl(IDC_FOLDER_LIST), FolderListLook, FolderListColumns);
    PlaceProgressBar(ThisPage);
    RegisterCryptPage(
        ThisPage, FolderPageIndex,
        PageRoutines{FolderPage_Show, FolderPage_OnCommand, nullptr, nullptr, FolderPage_OnDrop, FolderPage_SetSource});
}

void FolderPage_Show(int showCommand)
{
    ShowCryptPage(ThisPage, showCommand);
}

void FolderPage_OnCommand(int id)
{
    OnCryptPageCommand(ThisPage, id);
}

void FolderPage_OnDrop(const std::vector<std::wstring>& paths)
{
    if (paths.size() != 1 || !IsFolder(paths[0])) {
        RefuseDrop(keys::DropOneFolder);
        return;
    }
    // Copied before the page is claimed: a copy that fails leaves the page as it was.
    std::wstring dropped = paths[0];
    if (!FolderPageState.work.Take()) {
        RefuseDrop(keys::DropWhileBusy);
        return;
    }
    DroppedFolder = std::move(dropped);
    if (!StartWorker(GatherDroppedWorker))
        EndFolderWork();
}

bool FolderPage_SetSource(const std::wstring& root)
{
    if (FolderPageState.work.Held())
        return false;
    ShowSourceFolder(root);
    return true;
}

void GatherFolder()
{
    std::wstring chosen;
    if (ChooseFolder(LangText(keys::ChooseFolderTitle), chosen))
        ListFolder(chosen);
}

void ListFolder(const std::wstring& root)
{
    // The listing runs on a worker or, after "...", on the window's thread.
    OnWindowThread([&root] {
        ShowSourceFolder(root);
        ClearListRows(MainControl(IDC_FOLDER_LIST));
        // The output folders left out are those the options page shows now.
        RefreshOptions();
    });
    SetGatheredRoot(root);
    FolderPageState.SetPageInfoText(LangString(keys::GatheringInfo));
    PostStatusText(StatusStatePart, LangString(keys::GatheringState));
    {
        const RunningJob running;
        ListFiller filler(IDC_FOLDER_LIST);
        // An earlier job's outputs are no sources.
        const OutputFolders outputs(root, CurrentOptions());
        WalkFolder(
            root, [&filler](FileBatch& batch) { filler.Add(batch); }, DefaultWalkBatch,
            [&outputs](const std::wstring& folder) { return outputs.Holds(folder); });
        filler.Finish();
    }
    int count = 0;
    OnWindowThread(
        [&count] { count = static_cast<int>(SendMessageW(MainControl(IDC_FOLDER_LIST), LVM_GETITEMCOUNT, 0, 0)); });
    FolderPageState.SetPageInfoText(FormatLangText(keys::GatheredInfo, MaxTextLength, count, PathTitle(root).c_str()));
}

} // namespace quenzel
