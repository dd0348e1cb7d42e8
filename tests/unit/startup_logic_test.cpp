#include "app/command_line.h"
#include "app/opacity.h"
#include "app/window_size.h"

#include <gtest/gtest.h>

namespace quenzel {
namespace {

TEST(CommandLine, LeadingDigitSelectsTabAndDashXMeansLogon)
{
    struct Case { const wchar_t* line; bool logon; int tab; };
    const Case cases[] = {
        {L"", false, -1},        {L"3", false, 3},          {L"0", false, 0},
        {L"5 more", false, 5},   {L"6", false, -1},         {L"9", false, -1},
        {L"a3", false, -1},      {L" 3", false, -1},        {L"-x", true, -1},
        {L"-X", true, -1},       {L"foo bar -x", true, -1}, {L"2 -X", true, 2},
        {L"abc-xyz", false, -1}, {L"x-", false, -1},        {L"-", false, -1},
        {L"-xy", false, -1},     {L"\"-x\"", true, -1},     {L"4\t-x", true, 4},
        {L"\"C:\\docs\\tax-xmas.txt\"", false, -1},
    };
    for (const Case& c : cases) {
        const StartRequest r = ParseCommandLine(c.line);
        EXPECT_EQ(r.logonMode, c.logon) << "line: " << static_cast<const void*>(c.line);
        EXPECT_EQ(r.startTab, c.tab);
    }
    EXPECT_FALSE(ParseCommandLine(nullptr).logonMode);
}

TEST(CommandLine, ArgumentsSplitByTheWindowsRules)
{
    using Args = std::vector<std::wstring>;
    struct Case { const wchar_t* line; Args args; };
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

TEST(CommandLine, PathsFollowTheTabArgumentAndSkipTheLogonSwitch)
{
    using Paths = std::vector<std::wstring>;
    struct Case { const wchar_t* line; int tab; Paths paths; };
    const Case cases[] = {
        {L"4 \"C:\\My Files\\a.txt\" C:\\dir", 4, {L"C:\\My Files\\a.txt", L"C:\\dir"}},
        {L"\"C:\\a b.txt\"", -1, {L"C:\\a b.txt"}},
        {L"1", 1, {}},
        {L"7 C:\\x", -1, {L"C:\\x"}},
        {L"2021.txt", 2, {}},
        {L"x3", -1, {L"x3"}},
        {L"4 -x C:\\y", 4, {L"C:\\y"}},
    };
    for (const Case& c : cases) {
        const StartRequest r = ParseCommandLine(c.line);
        EXPECT_EQ(r.startTab, c.tab) << static_cast<const void*>(c.line);
        EXPECT_EQ(r.paths, c.paths) << static_cast<const void*>(c.line);
    }
}

TEST(Opacity, StoredValuesTheDialogCannotMakeComeIntoItsRange)
{
    const int cases[][2] = {{95, 95}, {100, 100}, {30, 30}, {0, 0},  {256, 0},
                            {1, 30},  {29, 30},   {257, 30}, {150, 100}, {-1, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(EffectiveOpacity(c[0]), c[1]) << c[0];
}

TEST(WindowSize, FixedSizeCentredThreePixelsAboveCentre)
{
    WindowMetrics m{};
    m.edgeWidth = 2;
    m.focusBorderWidth = 1;
    m.focusBorderHeight = 1;
    m.captionHeight = 19;
    m.menuHeight = 19;
    m.statusBarHeight = 21;
    m.screenWidth = 1024;
    m.screenHeight = 768;
    const WindowPlacement p = MainWindowPlacement(m);
    EXPECT_EQ(p.width, 792 + 4 + 2);
    EXPECT_EQ(p.height, 21 + 456 + 19 + 2 + 19);
    EXPECT_EQ(p.x, 512 - 399);
    // 517 / 2 truncates to 258: 384 - 258 - 3.
    EXPECT_EQ(p.y, 123);
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

} // namespace
} // namespace quenzel
