#include "shredder/shredder_page.h"

#include "base/courier.h"
#include "base/dpi.h"
#include "base/choosers.h"
#include "base/control_lock.h"
#include "base/folder_walk.h"
#include "base/format_size.h"
#include "base/handles.h"
#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/list_view.h"
#include "base/language.h"
#include "base/list_filler.h"
#include "base/long_path.h"
#include "base/messages.h"
#include "base/page_kit.h"
#include "base/pictures.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/tabs.h"
#include "controls/button_ex.h"
#include "controls/page_table.h"
#include "res/base_resources.h"
#include "res/shredder_resources.h"
#include "shredder/shredder_page_ids.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

namespace quenzel {

PageInfo ShredderPageState{ShredderPageIndex, keys::ShredStartInfo};

namespace {

constexpr int PathColumnWidth = 380;
constexpr int SizeColumnWidth = 80;
constexpr int ListIconSize = 16;
constexpr size_t SizeTextLength = 260;
constexpr ControlSpec ShredderControls[] = {
    Strip(IDC_SHRED_STRIP, IDB_STRIP_SHREDDER),
    Frame(IDC_SHRED_FRAME, {125, 42, 648, 356}),
    GroupBox(IDC_SHRED_GROUP, keys::ShredGroup, {132, 48, 634, 342}),
    // The left column (list, check box), then the buttons on the right: the Tab order.
    ListView(IDC_SHRED_LIST, {142, 70, 494, 258}, LVS_OWNERDATA),
    CheckBox(IDC_SHRED_DELETE, keys::DeleteShreddedOption, {143, 332, 494, 26}),
    PlacedProgressBar(IDC_SHRED_PROGRESS, {142, 358, 494, 22}),
    ButtonEx(IDC_SHRED_ADD_FILE, BrowseButtonStyle, keys::AddFileCaption, nullptr, IDI_FILE_SMALL, {646, 70, 110, 40},
             keys::AddFileTip),
    ButtonEx(IDC_SHRED_ADD_FOLDER, BrowseButtonStyle, keys::AddFolderCaption, nullptr, IDI_FOLDER_SMALL,
             {646, 120, 110, 40}, keys::AddFolderTip),
    ButtonEx(IDC_SHRED_CLEAR, BrowseButtonStyle, keys::ClearListCaption, nullptr, IDI_LIST_CLEAR, {646, 180, 110, 40},
             keys::ClearListTip),
    ButtonEx(IDC_SHRED_REMOVE, BrowseButtonStyle, keys::RemoveRowsCaption, nullptr, IDI_LIST_REMOVE,
             {646, 230, 110, 40}, keys::RemoveRowsTip),
    LargeButton(IDC_SHRED_START, keys::ShredCaption, IDI_SHRED, {646, 290, 110, 90}, keys::ShredTip),
};
static_assert(ControlIdsUnique(ShredderControls), "shredder page ids must be unique");

// The buttons that change the list or start a job: disabled while list work runs.
constexpr int ListWorkButtons[] = {IDC_SHRED_ADD_FILE, IDC_SHRED_ADD_FOLDER, IDC_SHRED_CLEAR, IDC_SHRED_REMOVE,
                                   IDC_SHRED_START};

ControlLock ListWork(ListWorkButtons);

std::wstring SizeText(uint64_t bytes)
{
    wchar_t text[SizeTextLength];
    FormatSize(text, bytes, SizeTextLength);
    return text;
}

HWND ShredList()
{
    return MainControl(IDC_SHRED_LIST);
}

int RowCount()
{
    return static_cast<int>(SendMessageW(ShredList(), LVM_GETITEMCOUNT, 0, 0));
}


constexpr ListLook ShredListLook{LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, IDI_FILE_SMALL, ListIconSize};
constexpr ListColumn ShredListColumns[] = {{keys::ShredPathColumn, PathColumnWidth},
                                           {keys::ShredSizeColumn, SizeColumnWidth}};

void ShowDeleteOption()
{
    const bool set = ReadSetting(setting::DeleteShredded);
    SendMessageW(MainControl(IDC_SHRED_DELETE), BM_SETCHECK, set ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The file, not the click, decides the shown state.
void ToggleDeleteOption()
{
    if (ToggleSetting(setting::DeleteShredded) < 0)
        ReportSettingNotSaved();
    ShowDeleteOption();
}

void ClearList()
{
    if (ListWork.Held())
        return;
    ClearListRows(ShredList());
    ShowRowCount();
}

void AddShredFile()
{
    std::wstring path;
    if (!ChooseExistingFile(LangText(keys::ShredFileTitle), nullptr, MaxTextLength,
                            OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path))
        return;
    uint64_t size = 0;
    if (!ReadableFileSize(path, size)) {
        WarnUser(keys::SourceCannotOpen);
        return;
    }
    ListFiller filler(IDC_SHRED_LIST);
    filler.Add(ListRow{path, SizeText(size)});
    filler.Finish();
    ShowRowCount();
}

void AddFolderRows(ListFiller& filler, const std::wstring& root)
{
    WalkFolderWithSizes(root, [&filler](FileBatch& paths, FileSizes& sizes) {
        for (size_t i = 0; i < paths.size(); ++i)
            filler.Add(ListRow{std::move(paths[i]), SizeText(sizes[i])});
    });
}

void AddShredFolder()
{
    std::wstring root;
    if (!ChooseFolder(LangText(keys::ShredFolderTitle), root))
        return;
    // The folder page takes it for its source as well, unless its own work
    // runs: then its field stays as that work needs it.
    OnWindowThread([&root] { SetPageSource(FolderPageIndex, root); });
    ListFiller filler(IDC_SHRED_LIST);
    AddFolderRows(filler, root);
    filler.Finish();
    ShowRowCount();
}

// The selected rows, read on the window's thread.
std::vector<int> SelectedShredRows()
{
    std::vector<int> selected;
    OnWindowThread([&selected] {
        HWND list = ShredList();
        for (int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
             row >= 0;
             row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)))
            selected.push_back(row);
    });
    return selected;
}

void RemoveShredRows()
{
    const std::vector<int> selected = SelectedShredRows();
    if (selected.empty()) {
        ShowWarningBox(LangString(keys::NoRowSelected), keys::NoRowSelectedCaption);
        return;
    }
    OnWindowThread([&selected] { RemoveListRows(ShredList(), selected); });
    ShowRowCount();
}

// Dropped files and folders, written before their worker starts and read by it.
std::vector<std::wstring> DroppedPaths;

// Lists each dropped file with its size, and every file below each dropped
// folder as add-folder does; files that cannot be opened are counted.
void AddDroppedPaths()
{
    int notListed = 0;
    ListFiller filler(IDC_SHRED_LIST);
    for (std::wstring& path : DroppedPaths) {
        uint64_t size = 0;
        if (IsFolder(path))
            AddFolderRows(filler, path);
        else if (ReadableFileSize(path, size))
            filler.Add(ListRow{std::move(path), SizeText(size)});
        else
            ++notListed;
    }
    filler.Finish();
    DroppedPaths.clear();
    ShowRowCount();
    if (notListed > 0)
        WarnUserText(FormatLangText(keys::DroppedNotListed, MaxTextLength, notListed));
}

DWORD WINAPI AddDroppedWorker(void*)
{
    const WorkEnd end(EndListWork);
    AddDroppedPaths();
    return 0;
}

DWORD WINAPI AddShredFileWorker(void*)
{
    const WorkEnd end(EndListWork);
    AddShredFile();
    return 0;
}

DWORD WINAPI AddShredFolderWorker(void*)
{
    const WorkEnd end(EndListWork);
    AddShredFolder();
    return 0;
}

DWORD WINAPI RemoveShredRowsWorker(void*)
{
    const WorkEnd end(EndListWork);
    RemoveShredRows();
    return 0;
}

const PageTable ThisPage = MakePageTable(ShredderControls);

} // namespace

void EndListWork() noexcept
{
    ListWork.Release();
}

void ShowRowCount()
{
    int rows = 0;
    OnWindowThread([&rows] { rows = RowCount(); });
    ShredderPageState.SetPageInfoText(FormatLangText(keys::ShredRowCount, MaxTextLength, rows));
}

void ShredderPage_Create(HWND parent)
{
    CreatePageControls(parent, ThisPage);
    ShowDeleteOption();
    SetUpListView(ShredList(), ShredListLook, ShredListColumns);
    ShredderPageState.ShowPageInfoText();
    RegisterPage(ShredderPageIndex,
                 PageRoutines{ShredderPage_Show, ShredderPage_OnCommand, nullptr, nullptr, ShredderPage_OnDrop});
}

void ShredderPage_Show(int showCommand)
{
    ShowPageControls(MainWindow, ThisPage, showCommand);
    if (showCommand != SW_HIDE)
        ShredderPageState.ShowPageInfoText();
}

void ShredderPage_OnDrop(const std::vector<std::wstring>& paths)
{
    // Copied before the list is claimed: a copy that fails leaves the page as it was.
    std::vector<std::wstring> dropped = paths;
    if (!ListWork.Take()) {
        RefuseDrop(keys::DropWhileBusy);
        return;
    }
    DroppedPaths = std::move(dropped);
    if (!StartWorker(AddDroppedWorker))
        EndListWork();
}

void ShredderPage_OnCommand(int id)
{
    switch (id) {
    case IDC_SHRED_REMOVE:
        ListWork.StartWorker(RemoveShredRowsWorker);
        break;
    case IDC_SHRED_ADD_FILE:
        ListWork.StartWorker(AddShredFileWorker);
        break;
    case IDC_SHRED_ADD_FOLDER:
        ListWork.StartWorker(AddShredFolderWorker);
        break;
    case IDC_SHRED_START:
        ListWork.StartWorker(ShredJob);
        break;
    case IDC_SHRED_CLEAR:
        ClearList();
        break;
    case IDC_SHRED_DELETE:
        ToggleDeleteOption();
        break;
    default:
        break;
    }
}

} // namespace quenzel
