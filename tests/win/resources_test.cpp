// The resources compiled into Quenzel.exe, read from the built program.
#include "res/resource.h"
#include "app/command_ids.h"
#include "app/options_page_ids.h"
#include "base/control_ids.h"
#include "base/dpi_scale.h"
#include "base/lang_keys.h"
#include "crypt/file_page_ids.h"
#include "crypt/folder_page_ids.h"
#include "shredder/shredder_page_ids.h"
#include "slots/slot_page_ids.h"
#include "version.h"
#include "tests/support/ui_driver.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::wstring exe = uitest::BuiltProgramDir() + L"\\Quenzel.exe";
        module_ = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite()
    {
        if (module_)
            FreeLibrary(module_);
    }
    static HMODULE module_;
};
HMODULE ProgramResources::module_ = nullptr;

std::wstring ResourceString(HMODULE module, UINT id)
{
    wchar_t text[100] = L"";
    LoadStringW(module, id, text, 100);
    return text;
}

TEST_F(ProgramResources, StringsMenuAcceleratorsManifestAndVersion)
{
    ASSERT_NE(module_, nullptr);
    EXPECT_EQ(ResourceString(module_, IDS_CLASSNAME), L"QUENZEL");
    EXPECT_EQ(ResourceString(module_, IDS_TITLE), uitest::ProgramTitle());
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(IDR_MAINMENU), MAKEINTRESOURCEW(4) /* RT_MENU */), nullptr);
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */), nullptr);
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */), nullptr);
    EXPECT_NE(FindResourceW(module_, L"IDD_TRANSPARENT", MAKEINTRESOURCEW(5) /* RT_DIALOG */), nullptr);

    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8];
    const int count = CopyAcceleratorTableW(table, entries, 8);
    ASSERT_EQ(count, 3);
    std::set<WORD> aboutKeys;
    for (int i = 0; i < count; ++i) {
        if (entries[i].cmd == IDM_PAGE_HELP) {
            EXPECT_EQ(entries[i].key, VK_F1);
            EXPECT_EQ(entries[i].fVirt & (FALT | FVIRTKEY), FVIRTKEY);
            continue;
        }
        EXPECT_EQ(entries[i].cmd, IDM_ABOUT);
        EXPECT_EQ(entries[i].fVirt & (FALT | FVIRTKEY), FALT);
        aboutKeys.insert(entries[i].key);
    }
    EXPECT_EQ(aboutKeys, (std::set<WORD>{L'?', L'/'}));
}

std::string ManifestText(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

// Sharp at any scaling: per-monitor v2, with the per-monitor (8.1) and
// system-aware (7) fallbacks; and the assembly carries the build's version.
TEST_F(ProgramResources, ManifestDeclaresPerMonitorDpiAwareness)
{
    ASSERT_NE(module_, nullptr);
    const std::string manifest = ManifestText(module_);
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, PerMonitor</dpiAwareness>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                            "true/pm</dpiAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("name=\"Quenzel\" version=\"" QUENZEL_VERSION_TEXT ".0\""), std::string::npos)
        << "the manifest's version is the build's";
}

// At 100 %, 150 % and 200 %, under the id the program asks for at each scale.
TEST_F(ProgramResources, EveryBitmapHasItsSize)
{
    ASSERT_NE(module_, nullptr);
    const std::map<int, SIZE> sizes = {
        {IDB_BANNER, {100, 332}},        {IDB_STRIP_FILE, {670, 31}},     {IDB_STRIP_FOLDER, {670, 31}},
        {IDB_STRIP_SLOTS, {670, 31}},    {IDB_STRIP_SHREDDER, {670, 31}}, {IDB_STRIP_DRIVES, {670, 31}},
        {IDB_STRIP_UNLOCKER, {670, 31}}, {IDB_STRIP_OPTIONS, {670, 31}},  {IDB_OPTIONS_PICTURE, {186, 101}},
    };
    for (const auto& [id, size] : sizes) {
        for (const int dpi : {96, 144, 192}) {
            const int scaledId = quenzel::BitmapIdAtScale(id, quenzel::ArtScaleForDpi(dpi));
            HBITMAP bitmap = static_cast<HBITMAP>(
                LoadImageW(module_, MAKEINTRESOURCEW(scaledId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
            ASSERT_NE(bitmap, nullptr) << id << " at " << dpi << " dpi";
            BITMAP info{};
            GetObjectW(bitmap, sizeof info, &info);
            EXPECT_EQ(info.bmWidth, MulDiv(size.cx, dpi, 96)) << id << " at " << dpi << " dpi";
            EXPECT_EQ(info.bmHeight, MulDiv(size.cy, dpi, 96)) << id << " at " << dpi << " dpi";
            EXPECT_EQ(info.bmBitsPixel, 24) << id;
            DeleteObject(bitmap);
        }
    }
}

// The (size, bit depth) entries of an icon group resource.
std::set<std::pair<int, int>> IconGroupEntries(HMODULE module, int id)
{
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colors, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
    };
#pragma pack(pop)
    std::set<std::pair<int, int>> entries;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
    if (!found)
        return entries;
    const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(module, found)));
    const auto* entry = reinterpret_cast<const GroupEntry*>(header + 1);
    for (WORD i = 0; i < header->count; ++i)
        entries.insert({entry[i].width == 0 ? 256 : entry[i].width, entry[i].bitCount});
    return entries;
}

// Page and dialog icons hold their design size and those for 150 % and 200 %.
TEST_F(ProgramResources, EveryIconHasItsSizes)
{
    ASSERT_NE(module_, nullptr);
    const std::set<std::pair<int, int>> programIcon = {{64, 8},  {48, 8},  {32, 8},  {24, 8},  {16, 8},
                                                       {64, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}};
    EXPECT_EQ(IconGroupEntries(module_, IDI_PROGRAM), programIcon);
    const std::map<int, int> sizes = {
        {IDI_SMALL, 16},         {IDI_TAB, 16},          {IDI_FILE_SMALL, 16},     {IDI_FOLDER_SMALL, 16},
        {IDI_USE_SLOT, 16},      {IDI_LIST_REMOVE, 16},  {IDI_LIST_CLEAR, 16},     {IDI_DRIVE_MOUNT, 16},
        {IDI_DRIVE_UNMOUNT, 16}, {IDI_DRIVE_APPLY, 16},  {IDI_DRIVE_REMOVE, 16},   {IDI_FOLDER_DRIVE_SMALL, 16},
        {IDI_ENCRYPT_FILE, 48},  {IDI_DECRYPT_FILE, 48}, {IDI_ENCRYPT_FOLDER, 48}, {IDI_DECRYPT_FOLDER, 48},
        {IDI_SHRED, 48},         {IDI_DRIVE_NEW, 48},    {IDI_BUILD_UNLOCKER, 48}, {IDI_HELPBUTTON, 64},
        {IDI_RESULT, 64},        {IDI_OPTIONS, 64},      {IDI_UNLOCKER, 64},       {IDI_FOLDER_DRIVE, 32},
        {IDI_CONFIRM, 32},       {IDI_FILE_PICTURE, 96}, {IDI_FOLDER_PICTURE, 96},
    };
    for (const auto& [id, size] : sizes) {
        const std::set<std::pair<int, int>> scaled = {{size, 32}, {MulDiv(size, 144, 96), 32}, {size * 2, 32}};
        EXPECT_EQ(IconGroupEntries(module_, id), scaled) << id;
        HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << id;
        if (icon)
            DestroyIcon(icon);
    }
}

// The numbers of controls, dialog items, commands, icons and text keys are
// part of the design: other programs find the controls and send the
// commands by them, and language files name their texts by them. Every other
// test names them by their constants; this table holds the numbers.
TEST(DesignNumbers, StayAsDesigned)
{
    struct Pin {
        const char* name;
        int value;
        int number;
    };
    // Two pins a line, for reading.
    // clang-format off
#define QUENZEL_PIN(name, number) Pin{#name, name, number}
    const Pin pins[] = {
        // The main window's own controls and the options page.
        QUENZEL_PIN(quenzel::IDC_STATUSBAR, 1000), QUENZEL_PIN(quenzel::IDC_HELPBUTTON, 1001),
        QUENZEL_PIN(quenzel::IDC_BANNER, 1002), QUENZEL_PIN(quenzel::IDC_TABS, 1012),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_STRIP, 1011), QUENZEL_PIN(quenzel::IDC_OPTIONS_FRAME, 1051),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_GROUP_MAIN, 1052), QUENZEL_PIN(quenzel::IDC_OPTIONS_ICON, 1053),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_GROUP_FILE, 1054), QUENZEL_PIN(quenzel::IDC_OPTIONS_GROUP_FOLDER, 1055),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_RECYCLE, 1056), QUENZEL_PIN(quenzel::IDC_OPTIONS_ADD_ENC, 1057),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_REMOVE_ENC, 1058), QUENZEL_PIN(quenzel::IDC_OPTIONS_ADD_DEC, 1059),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_STRONG_FORMAT, 1060), QUENZEL_PIN(quenzel::IDC_OPTIONS_REMOVE_ENCRYPTED, 1061),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_ADD_ENCRYPTED, 1062), QUENZEL_PIN(quenzel::IDC_OPTIONS_ADD_DECRYPTED, 1063),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_ENCRYPT_TO, 1064), QUENZEL_PIN(quenzel::IDC_OPTIONS_DECRYPT_TO, 1065),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_ENC_PATH, 1066), QUENZEL_PIN(quenzel::IDC_OPTIONS_DEC_PATH, 1067),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_BROWSE_ENC, 1068), QUENZEL_PIN(quenzel::IDC_OPTIONS_BROWSE_DEC, 1069),
        QUENZEL_PIN(quenzel::IDC_OPTIONS_TEXT, 1070), QUENZEL_PIN(quenzel::IDC_OPTIONS_PICTURE, 1071),
        // The file and folder pages and their key controls.
        QUENZEL_PIN(quenzel::IDC_FILE_ENCRYPT, 1014), QUENZEL_PIN(quenzel::IDC_FILE_DECRYPT, 1015),
        QUENZEL_PIN(quenzel::IDC_FILE_PROGRESS, 1016), QUENZEL_PIN(quenzel::IDC_FILE_SOURCE, 1018),
        QUENZEL_PIN(quenzel::IDC_FILE_CHOOSE, 1019), QUENZEL_PIN(quenzel::IDC_FILE_PREVIEW, 1027),
        QUENZEL_PIN(quenzel::IDC_KEY_LEVEL_SLIDER, 1023), QUENZEL_PIN(quenzel::IDC_KEY_LEVEL_TEXT, 1024),
        QUENZEL_PIN(quenzel::IDC_KEY_PASSWORD_RADIO, 1025), QUENZEL_PIN(quenzel::IDC_KEY_PASSWORD, 1026),
        QUENZEL_PIN(quenzel::IDC_KEY_FILE_BUTTON, 1072), QUENZEL_PIN(quenzel::IDC_KEY_FILE_RADIO, 1160),
        QUENZEL_PIN(quenzel::IDC_KEY_FILE, 1161), QUENZEL_PIN(quenzel::IDC_FOLDER_ENCRYPT, 1040),
        QUENZEL_PIN(quenzel::IDC_FOLDER_DECRYPT, 1041), QUENZEL_PIN(quenzel::IDC_FOLDER_SOURCE, 1046),
        QUENZEL_PIN(quenzel::IDC_FOLDER_GATHER, 1047), QUENZEL_PIN(quenzel::IDC_FOLDER_LIST, 1048),
        QUENZEL_PIN(quenzel::IDC_SLOT_PATH_0, 1077), QUENZEL_PIN(quenzel::IDC_SHRED_LIST, 1143),
        // Items of the job dialogs and the transparency dialog.
        QUENZEL_PIN(IDC_JOB_TEXT, 1036), QUENZEL_PIN(IDC_RESULT_SOURCE, 1037), QUENZEL_PIN(IDC_RESULT_OUTPUT, 1038),
        QUENZEL_PIN(IDC_RETYPE_PASSWORD, 1171), QUENZEL_PIN(IDC_CONFIRM_DESTINATION, 1174),
        QUENZEL_PIN(IDC_TRANSPARENT_PREVIEW, 1177), QUENZEL_PIN(IDC_TRANSPARENT_SLIDER, 1178),
        // Menu commands.
        QUENZEL_PIN(quenzel::CMD_NEW_TEXT, 5000), QUENZEL_PIN(quenzel::CMD_HELP_CONTENTS, 5002),
        QUENZEL_PIN(quenzel::CMD_HELP_FAQ, 5003), QUENZEL_PIN(quenzel::CMD_HELP_TIPS, 5005),
        QUENZEL_PIN(quenzel::CMD_FIRST_PAGE, 5008), QUENZEL_PIN(quenzel::CMD_LAST_PAGE, 5013),
        QUENZEL_PIN(quenzel::CMD_EDIT_WIN_INI, 5014), QUENZEL_PIN(quenzel::CMD_REGEDIT, 5024),
        QUENZEL_PIN(quenzel::CMD_MAGNET, 5031), QUENZEL_PIN(quenzel::CMD_TRANSPARENCY, 5033),
        // Icons.
        QUENZEL_PIN(IDI_SMALL, 20), QUENZEL_PIN(IDI_TAB, 1013), QUENZEL_PIN(IDI_FILE_SMALL, 1034),
        QUENZEL_PIN(IDI_FOLDER_SMALL, 1045), QUENZEL_PIN(IDI_USE_SLOT, 1136), QUENZEL_PIN(IDI_LIST_REMOVE, 1139),
        QUENZEL_PIN(IDI_LIST_CLEAR, 1145), QUENZEL_PIN(IDI_DRIVE_MOUNT, 1149), QUENZEL_PIN(IDI_DRIVE_UNMOUNT, 1150),
        QUENZEL_PIN(IDI_DRIVE_APPLY, 1151), QUENZEL_PIN(IDI_DRIVE_REMOVE, 1152),
        QUENZEL_PIN(IDI_FOLDER_DRIVE_SMALL, 1167), QUENZEL_PIN(IDI_ENCRYPT_FILE, 1014),
        QUENZEL_PIN(IDI_DECRYPT_FILE, 1015), QUENZEL_PIN(IDI_ENCRYPT_FOLDER, 1040),
        QUENZEL_PIN(IDI_DECRYPT_FOLDER, 1041), QUENZEL_PIN(IDI_SHRED, 1142), QUENZEL_PIN(IDI_DRIVE_NEW, 1153),
        QUENZEL_PIN(IDI_BUILD_UNLOCKER, 1169), QUENZEL_PIN(IDI_HELPBUTTON, 1001), QUENZEL_PIN(IDI_RESULT, 1035),
        QUENZEL_PIN(IDI_OPTIONS, 1053), QUENZEL_PIN(IDI_UNLOCKER, 1159), QUENZEL_PIN(IDI_FOLDER_DRIVE, 1166),
        QUENZEL_PIN(IDI_CONFIRM, 1170), QUENZEL_PIN(IDI_FILE_PICTURE, 1157), QUENZEL_PIN(IDI_FOLDER_PICTURE, 1158),
        // Text keys the tests name.
        QUENZEL_PIN(quenzel::keys::FirstTabLabel, 24), QUENZEL_PIN(quenzel::keys::Cancel, 98),
        QUENZEL_PIN(quenzel::keys::ChooserTitle, 467), QUENZEL_PIN(quenzel::keys::ChooserChanged, 475),
        QUENZEL_PIN(quenzel::keys::MainGroup, 7), QUENZEL_PIN(quenzel::keys::MenuFile, 33),
        QUENZEL_PIN(quenzel::keys::MenuPageList, 38), QUENZEL_PIN(quenzel::keys::MenuAbout, 64),
        QUENZEL_PIN(quenzel::keys::TransparencyTitle, 65), QUENZEL_PIN(quenzel::keys::Ok, 97),
        QUENZEL_PIN(quenzel::keys::DriveStatusColumnHeader, 160), QUENZEL_PIN(quenzel::keys::NewDriveOk, 162),
        QUENZEL_PIN(quenzel::keys::DriveNotMounted, 172), QUENZEL_PIN(quenzel::keys::DriveMounted, 174),
    };
    // clang-format on
#undef QUENZEL_PIN
    for (const Pin& pin : pins)
        EXPECT_EQ(pin.value, pin.number) << pin.name;
}

} // namespace
