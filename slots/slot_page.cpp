#include "slots/slot_page.h"

#include "base/choosers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/page_kit.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/status.h"
#include "base/tabs.h"
#include "controls/button_ex.h"
#include "controls/page_table.h"
#include "res/base_resources.h"
#include "res/slots_resources.h"
#include "slots/slot_page_ids.h"

#include <commctrl.h>
#include <commdlg.h>

#include <string>

namespace quenzel {

namespace {

static_assert(setting::SlotKinds.count == SlotCount && setting::SlotPaths.count == SlotCount,
              "every slot has its stored kind and path");

constexpr int FirstRowY = 70;
constexpr int RowStep = 36;
// Slot 0's icons sit a little lower than its row; the others' on it.
constexpr int FirstRowIconY = 73;

constexpr int AroundCount = 3;
constexpr int RowCount = AroundCount + SlotCount * SlotIdStep;

struct SlotRows {
    ControlSpec rows[RowCount];
};

// The seven controls of slot `slot`, in the order they are created.
constexpr void AddSlotRows(SlotRows& table, int& next, int slot)
{
    const int y = FirstRowY + RowStep * slot;
    const int iconY = slot == 0 ? FirstRowIconY : y;
    const auto id = [slot](int firstSlotId) { return SlotControlId(firstSlotId, slot); };
    table.rows[next++] = {id(IDC_SLOT_FILE_RADIO_0), L"button", BS_RADIOBUTTON, 0,
                          {150, y, 20, 24},          0,         nullptr,        ControlFont::Normal};
    table.rows[next++] = {id(IDC_SLOT_FOLDER_RADIO_0), L"button", BS_RADIOBUTTON, 0, {192, y, 20, 24}, 0, nullptr,
                          ControlFont::Normal};
    table.rows[next++] = Icon(id(IDC_SLOT_FILE_ICON_0), IDI_FILE_SMALL, {170, iconY, 0, 0}, SmallIconSize);
    table.rows[next++] = Icon(id(IDC_SLOT_FOLDER_ICON_0), IDI_FOLDER_SMALL, {212, iconY, 0, 0}, SmallIconSize);
    table.rows[next++] = Field(id(IDC_SLOT_PATH_0), {236, y, 446, 22});
    table.rows[next++] = BrowseButton(id(IDC_SLOT_BROWSE_0), {690, y, 30, 22}, keys::SlotBrowseTip);
    table.rows[next++] =
        ButtonEx(id(IDC_SLOT_USE_0), IconButtonStyle, 0, L"+", IDI_USE_SLOT, {726, y, 30, 22}, keys::SlotUseTip);
}

constexpr SlotRows MakeSlotRows()
{
    SlotRows table{};
    int next = 0;
    table.rows[next++] = Frame(IDC_SLOT_FRAME, {125, 42, 648, 356});
    table.rows[next++] = Strip(IDC_SLOT_BANNER, IDB_STRIP_SLOTS);
    table.rows[next++] = GroupBox(IDC_SLOT_GROUP, keys::SlotGroup, {132, 48, 634, 342});
    for (int slot = 0; slot < SlotCount; ++slot)
        AddSlotRows(table, next, slot);
    return table;
}

constexpr SlotRows SlotControls = MakeSlotRows();
static_assert(ControlIdsUnique(SlotControls.rows), "slot page ids must be unique");
static_assert(SlotControls.rows[RowCount - 1].id == IDC_SLOT_LAST, "the last slot's use button ends the table");

PageTable SlotTable()
{
    return MakePageTable(SlotControls.rows);
}

HWND SlotControl(int firstSlotId, int slot)
{
    return MainControl(SlotControlId(firstSlotId, slot));
}

// Which of a slot's seven controls `id` is, as the id of slot 0's; the slot
// comes back in `slot`. 0 for an id outside the slots.
int SlotPart(int id, int& slot)
{
    if (id < IDC_SLOT_FIRST || id > IDC_SLOT_LAST)
        return 0;
    slot = (id - IDC_SLOT_FIRST) / SlotIdStep;
    return IDC_SLOT_FIRST + (id - IDC_SLOT_FIRST) % SlotIdStep;
}

bool FileKind(int slot)
{
    return Checked(SlotControlId(IDC_SLOT_FILE_RADIO_0, slot));
}

void ShowKind(int slot, bool folder)
{
    SendMessageW(SlotControl(IDC_SLOT_FILE_RADIO_0, slot), BM_SETCHECK, folder ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(SlotControl(IDC_SLOT_FOLDER_RADIO_0, slot), BM_SETCHECK, folder ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool StoredFolderKind(int slot)
{
    return ReadSetting(setting::SlotKinds[static_cast<unsigned>(slot)]);
}

void ChooseKind(int slot, bool folder)
{
    ShowKind(slot, folder);
    if (WriteSetting(setting::SlotKinds[static_cast<unsigned>(slot)], folder))
        return;
    ReportSettingNotSaved();
    ShowKind(slot, StoredFolderKind(slot)); // the radios show what the file holds
}

std::wstring StoredPath(int slot)
{
    return ReadSetting(setting::SlotPaths[static_cast<unsigned>(slot)]);
}

void StorePath(int slot, const std::wstring& path)
{
    if (!WriteSetting(setting::SlotPaths[static_cast<unsigned>(slot)], path))
        ReportSettingNotSaved();
}

// A path typed into a slot is kept when the field loses the focus and when
// the program closes, so it is not lost at exit; the file is written only
// when the text differs from what it holds.
void StoreTypedPath(int slot)
{
    const std::wstring typed = TextOf(SlotControl(IDC_SLOT_PATH_0, slot));
    if (typed != StoredPath(slot))
        StorePath(slot, typed);
}

LRESULT CALLBACK SlotFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR slot, DWORD_PTR)
{
    switch (message) {
    case WM_KILLFOCUS:
        StoreTypedPath(static_cast<int>(slot));
        break;
    case WM_DESTROY: // the main window closes: the fields still hold their texts
        StoreTypedPath(static_cast<int>(slot));
        RemoveWindowSubclass(field, SlotFieldProc, slot);
        break;
    default:
        break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

bool AskForFile(std::wstring& path)
{
    return ChooseExistingFile(LangText(keys::ChooseFileTitle), nullptr, MaxTextLength,
                              OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, path);
}

void BrowseSlot(int slot)
{
    std::wstring path;
    const bool chosen = FileKind(slot) ? AskForFile(path) : ChooseFolder(LangText(keys::ChooseFolderTitle), path);
    if (!chosen)
        return;
    SetWindowTextW(SlotControl(IDC_SLOT_PATH_0, slot), path.c_str());
    StorePath(slot, path);
}

// The path goes to the file or folder page as it stands, unexamined; a
// page whose work runs refuses it, and this page stays shown to say so.
void UseSlot(int slot)
{
    const std::wstring path = TextOf(SlotControl(IDC_SLOT_PATH_0, slot));
    const bool file = FileKind(slot);
    const int page = file ? FilePageIndex : FolderPageIndex;
    if (SetPageSource(page, path))
        SelectTab(page);
    else
        RefuseDrop(keys::BusyTryAgain);
    if (path != StoredPath(slot))
        StorePath(slot, path);
}

} // namespace

void SlotPage_Create(HWND parent)
{
    CreatePageControls(parent, SlotTable());
    for (int slot = 0; slot < SlotCount; ++slot)
        SetWindowSubclass(SlotControl(IDC_SLOT_PATH_0, slot), SlotFieldProc, static_cast<UINT_PTR>(slot), 0);
    LoadSlots();
    RegisterPage(SlotPageIndex, PageRoutines{SlotPage_Show, SlotPage_OnCommand});
}

void SlotPage_Show(int showCommand)
{
    ShowPageControls(MainWindow, SlotTable(), showCommand);
    if (showCommand != SW_HIDE)
        SetStatusText(LangText(keys::SlotPageStatus), 0, StatusInfoPart);
}

void SlotPage_OnCommand(int id)
{
    int slot = 0;
    switch (SlotPart(id, slot)) {
    case IDC_SLOT_FILE_RADIO_0:
        ChooseKind(slot, false);
        break;
    case IDC_SLOT_FOLDER_RADIO_0:
        ChooseKind(slot, true);
        break;
    case IDC_SLOT_BROWSE_0:
        BrowseSlot(slot);
        break;
    case IDC_SLOT_USE_0:
        UseSlot(slot);
        break;
    default:
        break; // icons and fields carry no command
    }
}

void LoadSlots()
{
    for (int slot = 0; slot < SlotCount; ++slot)
        ShowKind(slot, StoredFolderKind(slot));
    for (int slot = 0; slot < SlotCount; ++slot)
        SetWindowTextW(SlotControl(IDC_SLOT_PATH_0, slot), StoredPath(slot).c_str());
}

} // namespace quenzel
