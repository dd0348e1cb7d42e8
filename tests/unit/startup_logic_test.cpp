#include "app/command_line.h"
#include "app/opacity.h"
#include "app/window_size.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

// A leading digit selects the tab, "-x" anywhere means the log-on start, and
// the paths follow the tab argument without the switch.
TEST(CommandLine, TabLogonSwitchAndPaths)
{
    using Paths = std::vector<std::wstring>;
    struct Case {
        const wchar_t* line;
        bool logon;
        int tab;
        Paths paths;
    };
    // clang-format off
    const Case cases[] = {
        {L"", false, -1, {}},
        {L"3", false, 3, {}},
        {L"0", false, 0, {}},
        {L"5 more", false, 5, {L"more"}},
        {L"6", false, -1, {}},
        {L"9", false, -1, {}},
        {L"a3", false, -1, {L"a3"}},
        {L" 3", false, -1, {L"3"}},
        {L"-x", true, -1, {}},
        {L"-X", true, -1, {}},
        {L"foo bar -x", true, -1, {L"foo", L"bar"}},
        {L"2 -X", true, 2, {}},
        {L"abc-xyz", false, -1, {L"abc-xyz"}},
        {L"x-", false, -1, {L"x-"}},
        {L"-", false, -1, {L"-"}},
        {L"-xy", false, -1, {L"-xy"}},
        {L"\"-x\"", true, -1, {}},
        {L"4\t-x", true, 4, {}},
        {L"\"C:\\docs\\tax-xmas.txt\"", false, -1, {L"C:\\docs\\tax-xmas.txt"}},
        {L"4 \"C:\\My Files\\a.txt\" C:\\dir", false, 4, {L"C:\\My Files\\a.txt", L"C:\\dir"}},
        {L"\"C:\\a b.txt\"", false, -1, {L"C:\\a b.txt"}},
        {L"1", false, 1, {}},
        {L"7 C:\\x", false, -1, {L"C:\\x"}},
        {L"2021.txt", false, 2, {}},
        {L"x3", false, -1, {L"x3"}},
        {L"4 -x C:\\y", true, 4, {L"C:\\y"}},
    };
    // clang-format on
    for (const Case& c : cases) {
        const StartRequest r = ParseCommandLine(c.line);
        EXPECT_EQ(r.logonMode, c.logon) << "line: " << static_cast<const void*>(c.line);
        EXPECT_EQ(r.startTab, c.tab) << static_cast<const void*>(c.line);
        EXPECT_EQ(r.paths, c.paths) << static_cast<const void*>(c.line);
    }
    EXPECT_FALSE(ParseCommandLine(nullptr).logonMode);
}

TEST(CommandLine, ArgumentsSplitByTheWindowsRules)
{
    using Args = std::vector<std::wstring>;
    struct Case {
        const wchar_t* line;
        Args args;
    };
    const Case cases[] = {
        {L"", {}},
        {L"  a  b\tc ", {L"a", L"b", L"c"}},
        {L"4 \"C:\\My Files\\a.txt\" \"C:\\dir\"", {L"4", L"C:\\My Files\\a.txt", L"C:\\dir"}},
        {L"\"C:\\dir\\\\\"", {L"C:\\dir\\"}},
        {L"a\\\\b c\\", {L"a\\\\b", L"c\\"}},
        {L"say\\\"hi\\\" \"x\"\"y\"", {L"say\"hi\"", L"x\"y"}},
        {L"ab\"c d\"e", {L"abc de"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitArguments(c.line), c.args) << static_cast<const void*>(c.line);
}

TEST(Opacity, StoredValuesTheDialogCannotMakeComeIntoItsRange)
{
    const int cases[][2] = {{95, 95}, {100, 100}, {30, 30},  {0, 0},     {256, 0},
                            {1, 30},  {29, 30},   {257, 30}, {150, 100}, {-1, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(EffectiveOpacity(c[0]), c[1]) << c[0];
}

// The client area (792 x 456 design pixels, scaled to the window's DPI) with
// the frame, caption, menu and status bar the system measures, centred three
// pixels above the screen's centre.
TEST(WindowSize, FixedSizeScaledAndCentredThreePixelsAboveCentre)
{
    struct Row {
        int edge, focus, bars, status, screenWidth, screenHeight, dpi;
        int width, height, x, y;
    };
    const Row rows[] = {
        // 517 / 2 truncates to 258: 384 - 258 - 3.
        {2, 1, 19, 21, 1024, 768, 96, 792 + 4 + 2, 21 + 456 + 19 + 2 + 19, 512 - 399, 123},
        {3, 2, 28, 32, 2560, 1440, 144, 1188 + 6 + 4, 32 + 684 + 28 + 4 + 28, 1280 - 599, 720 - 388 - 3},
    };
    for (const Row& r : rows) {
        WindowMetrics m{};
        m.edgeWidth = r.edge;
        m.focusBorderWidth = r.focus;
        m.focusBorderHeight = r.focus;
        m.captionHeight = r.bars;
        m.menuHeight = r.bars;
        m.statusBarHeight = r.status;
        m.screenWidth = r.screenWidth;
        m.screenHeight = r.screenHeight;
        m.dpi = r.dpi;
        const WindowPlacement p = MainWindowPlacement(m);
        EXPECT_EQ(p.width, r.width) << r.dpi;
        EXPECT_EQ(p.height, r.height) << r.dpi;
        EXPECT_EQ(p.x, r.x) << r.dpi;
        EXPECT_EQ(p.y, r.y) << r.dpi;
    }
}

} // namespace
} // namespace quenzel

#include "base/long_path.h"

namespace quenzel {
namespace {

TEST(LongPath, OnlyLongAbsolutePathsGetTheExtendedForm)
{
    const std::wstring deep = L"C:\\" + std::wstring(300, L'a');
    EXPECT_EQ(ExtendedLengthPath(deep), L"\\\\?\\" + deep);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\" + deep), L"\\\\?\\" + deep);
    const std::wstring unc = L"\\\\server\\share\\" + std::wstring(300, L'b');
    EXPECT_EQ(ExtendedLengthPath(unc), L"\\\\?\\UNC\\server\\share\\" + std::wstring(300, L'b'));
    EXPECT_EQ(ExtendedLengthPath(L"C:\\short\\Quenzel.ini"), L"C:\\short\\Quenzel.ini");
    const std::wstring edge(259, L'x');
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + edge.substr(3)), L"C:\\" + edge.substr(3));
    const std::wstring relative(300, L'r');
    EXPECT_EQ(ExtendedLengthPath(relative), relative);
}

// Every absolute path gets the extended form; names keep a trailing dot or
// space, and only what the classic functions resolve the same way is resolved.
TEST(LongPath, ExtendedFormKeepsNamesExactly)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* extended;
        bool classicExact;
    };
    const Case cases[] = {
        {L"C:\\d\\dot.", L"\\\\?\\C:\\d\\dot.", false},
        {L"C:\\d\\space ", L"\\\\?\\C:\\d\\space ", false},
        {L"C:\\d\\a.txt", L"\\\\?\\C:\\d\\a.txt", true},
        {L"C:\\", L"\\\\?\\C:\\", true},
        {L"c:/d//e\\.\\f\\..\\g\\", L"\\\\?\\c:\\d\\e\\g", false},
        {L"C:\\..\\x", L"\\\\?\\C:\\x", false},
        {L"\\\\server\\share\\..\\..\\a", L"\\\\?\\UNC\\server\\share\\a", false},
        {L"\\\\server\\share\\a", L"\\\\?\\UNC\\server\\share\\a", true},
        {L"\\\\?\\C:\\d\\dot.", L"\\\\?\\C:\\d\\dot.", false},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x", false},
        {L"relative\\a", L"relative\\a", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtendedPath(c.path), c.extended);
        EXPECT_EQ(ClassicFormIsExact(c.path), c.classicExact) << ::testing::PrintToString(std::wstring(c.path));
    }
    EXPECT_FALSE(ClassicFormIsExact(L"C:\\" + std::wstring(300, L'a')));
}

} // namespace
} // namespace quenzel

#include "base/profile_text.h"
#include "base/setting_keys.h"

namespace quenzel {
namespace {

// Settings files the profile functions would misread are recognised and
// converted; readable ones and what is not valid in its form are left alone.
TEST(ProfileText, FormsAndTheirUtf16Text)
{
    using namespace std::string_literals;
    struct Case {
        std::string bytes;
        ProfileTextForm form;
        std::string utf16; // after the byte-order mark
    };
    const Case cases[] = {
        {"[M]\r\nA=\xC3\xA4\xF0\x9F\x98\x80", ProfileTextForm::Utf8, "[\0M\0]\0\r\0\n\0A\0=\0\xE4\0\x3D\xD8\x00\xDE"s},
        {"\xEF\xBB\xBF[M]", ProfileTextForm::Utf8, "[\0M\0]\0"s},
        {"[\0M\0]\0=\0\xE4\0"s, ProfileTextForm::Utf16NoMark, "[\0M\0]\0=\0\xE4\0"s},
        {"\xFF\xFE[\0M\0]\0"s, ProfileTextForm::Readable, ""},
        {"[M]\r\nA=plain", ProfileTextForm::Readable, ""},
        {"[M]\r\nA=\xE4rger", ProfileTextForm::Readable, ""}, // Windows-1252, not UTF-8
        {"A=\xC0\xAF", ProfileTextForm::Readable, ""},        // an overlong form
        {"A=\xED\xA0\x80", ProfileTextForm::Readable, ""},    // a surrogate
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DetectProfileTextForm(c.bytes), c.form) << ::testing::PrintToString(c.bytes);
        std::string converted;
        const bool ok = ToUtf16Profile(c.bytes, c.form, converted);
        EXPECT_EQ(ok, c.form != ProfileTextForm::Readable) << ::testing::PrintToString(c.bytes);
        if (ok) {
            EXPECT_EQ(converted, "\xFF\xFE" + c.utf16) << ::testing::PrintToString(c.bytes);
        }
    }
}

// A numbered key is its number; a file of set flags names each section once,
// whatever the order of the flags; a section written whole numbers its
// values from 0, each entry ended by a null character.
TEST(SettingKeys, NumberedKeysAndTextsWrittenWhole)
{
    using namespace std::string_literals;
    EXPECT_EQ(KeyName(setting::SlotKinds[8].key), L"8");
    EXPECT_EQ(KeyName(setting::FolderDrives[12].key), L"12");
    EXPECT_EQ(SetFlagsFileText({setting::OutputOptions[1], setting::StrongFormat, setting::OutputOptions[6]}),
              L"[MAIN]\r\n1=1\r\n6=1\r\n[OPTIONS]\r\nStrongFormat=1\r\n");
    EXPECT_EQ(NumberedSectionBlock(setting::FolderDrives, {L"1|X: C:\\a", L"0|Y: D:\\"}),
              L"0=1|X: C:\\a\0"s
              L"1=0|Y: D:\\\0"s);
    EXPECT_EQ(NumberedSectionBlock(setting::FolderDrives, {}), L"");
}

} // namespace
} // namespace quenzel
