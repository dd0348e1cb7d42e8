// The size texts of lists and labels.
#include "base/format_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quenzel {
namespace {

std::wstring SizeText(std::uint64_t bytes)
{
    wchar_t buffer[100];
    FormatSize(buffer, bytes, 100);
    return buffer;
}

TEST(FormatSize, EachRangeHasItsOwnForm)
{
    EXPECT_EQ(SizeText(0), L"0 bytes");
    EXPECT_EQ(SizeText(999), L"999 bytes");
    EXPECT_EQ(SizeText(1000), L"0.9766 KB");
    EXPECT_EQ(SizeText(1024), L"1 KB");
    EXPECT_EQ(SizeText(999999), L"976.6 KB");
    EXPECT_EQ(SizeText(1000000), L"0,976 KB");
    EXPECT_EQ(SizeText(5000000), L"4,882 KB");
    EXPECT_EQ(SizeText(999999999), L"976,562 KB");
    EXPECT_EQ(SizeText(1000000000), L"0.9313 GB");
}

TEST(FormatSize, SizesBeyondFourGigabytes)
{
    EXPECT_EQ(SizeText(4294967296ULL), L"4 GB");
    EXPECT_EQ(SizeText(4294967297ULL), L"4 GB");
    EXPECT_EQ(SizeText(1099511627776ULL), L"1024 GB");
    EXPECT_EQ(SizeText(UINT64_MAX), L"1.718e+10 GB");
}

TEST(FormatSize, ShortBuffersAreCutAndTerminated)
{
    wchar_t buffer[5] = {L'x', L'x', L'x', L'x', L'x'};
    FormatSize(buffer, 999, 5);
    EXPECT_STREQ(buffer, L"999 ");
    FormatSize(buffer, 999, 1);
    EXPECT_STREQ(buffer, L"");
    buffer[0] = L'x';
    FormatSize(buffer, 999, 0);
    EXPECT_EQ(buffer[0], L'x');
}

} // namespace
} // namespace quenzel

#include "base/format_check.h"

namespace quenzel {
namespace {

TEST(FormatCheck, OnlyTheDocumentedArgumentsInTheirOrder)
{
    struct Case {
        const wchar_t* text;
        const char* arguments;
        bool safe;
    };
    const Case cases[] = {
        {L"%i file(s) in \"%s\"", "int,str", true},
        {L"Size: %s, file: %s", "str,str", true},
        {L"100%% done, %d left", "int", true},
        {L"%5i and %-8s", "int,str", true},
        {L"No conversion", "", true},
        {L"No conversion", "int", false},
        {L"%s", "int", false},
        {L"%i %s %s", "int,str", false},
        {L"%n", "int", false},
        {L"%08x", "int", false},
        {L"%ls", "str", false},
        {L"%*i", "int", false},
        {L"%s then %i", "int,str", false},
        {L"trailing %", "", false},
        {L"%i", "", false},
        {L"%p", "str", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTakes(c.text, c.arguments), c.safe) << static_cast<const void*>(c.text) << " " << c.arguments;
}

} // namespace
} // namespace quenzel
