// The resources compiled into Quenzel.exe, read from the built program.
#include "res/resource.h"
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
    EXPECT_EQ(ResourceString(module_, IDS_TITLE), L"Quenzel 4.3");
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(IDR_MAINMENU), MAKEINTRESOURCEW(4) /* RT_MENU */), nullptr);
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */), nullptr);
    EXPECT_NE(FindResourceW(module_, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16) /* RT_VERSION */), nullptr);
    EXPECT_NE(FindResourceW(module_, L"IDD_TRANSPARENT", MAKEINTRESOURCEW(5) /* RT_DIALOG */), nullptr);

    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    ACCEL entries[8];
    const int count = CopyAcceleratorTableW(table, entries, 8);
    ASSERT_EQ(count, 2);
    std::set<WORD> keys;
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(entries[i].cmd, IDM_ABOUT);
        EXPECT_EQ(entries[i].fVirt & (FALT | FVIRTKEY), FALT);
        keys.insert(entries[i].key);
    }
    EXPECT_EQ(keys, (std::set<WORD>{L'?', L'/'}));
}

std::string ManifestText(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24) /* RT_MANIFEST */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

// Sharp at any scaling: per-monitor v2, with the per-monitor (8.1) and
// system-aware (7) fallbacks.
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
}

TEST_F(ProgramResources, EveryBitmapHasItsSize)
{
    ASSERT_NE(module_, nullptr);
    const std::map<int, SIZE> sizes = {
        {IDB_BANNER, {100, 332}},       {IDB_STRIP_FILE, {670, 31}},     {IDB_STRIP_FOLDER, {670, 31}},
        {IDB_STRIP_SLOTS, {670, 31}},   {IDB_STRIP_SHREDDER, {670, 31}}, {IDB_STRIP_DRIVES, {670, 31}},
        {IDB_STRIP_UNLOCKER, {670, 31}}, {IDB_STRIP_OPTIONS, {670, 31}}, {IDB_OPTIONS_PICTURE, {186, 101}},
    };
    for (const auto& [id, size] : sizes) {
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr) << id;
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, size.cx) << id;
        EXPECT_EQ(info.bmHeight, size.cy) << id;
        EXPECT_EQ(info.bmBitsPixel, 24) << id;
        DeleteObject(bitmap);
    }
}

// The (size, bit depth) entries of an icon group resource.
std::set<std::pair<int, int>> IconGroupEntries(HMODULE module, int id)
{
#pragma pack(push, 2)
    struct GroupEntry { BYTE width, height, colors, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
    struct GroupHeader { WORD reserved, type, count; };
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

TEST_F(ProgramResources, EveryIconHasItsSizes)
{
    ASSERT_NE(module_, nullptr);
    const std::set<std::pair<int, int>> programIcon = {{64, 8}, {48, 8}, {32, 8}, {24, 8}, {16, 8},
                                                       {64, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}};
    EXPECT_EQ(IconGroupEntries(module_, IDI_PROGRAM), programIcon);
    const std::map<int, int> sizes = {
        {20, 16},   {1013, 16}, {1034, 16}, {1045, 16}, {1136, 16}, {1139, 16}, {1145, 16}, {1149, 16},
        {1150, 16}, {1151, 16}, {1152, 16}, {1167, 16}, {1014, 48}, {1015, 48}, {1040, 48}, {1041, 48},
        {1142, 48}, {1153, 48}, {1169, 48}, {1001, 64}, {1035, 64}, {1053, 64}, {1159, 64}, {1166, 32},
        {1170, 32}, {1157, 96}, {1158, 96},
    };
    for (const auto& [id, size] : sizes) {
        const auto entries = IconGroupEntries(module_, id);
        ASSERT_FALSE(entries.empty()) << id;
        for (const auto& [width, bits] : entries)
            EXPECT_EQ(width, size) << id << " holds a " << width << " px image of " << bits << " bits";
        HICON icon = static_cast<HICON>(LoadImageW(module_, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << id;
        if (icon)
            DestroyIcon(icon);
    }
}

} // namespace
