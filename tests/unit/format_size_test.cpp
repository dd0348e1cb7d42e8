// The size texts of lists and labels.
#include "base/format_size.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace quenzel {
namespace {

const SizeNotation English;

SizeNotation German()
{
    SizeNotation notation;
    notation.decimalSeparator = L",";
    notation.thousandsSeparator = L".";
    notation.bytes = L"Byte";
    return notation;
}

TEST(FormatSize, EachRangeHasItsOwnFormInTheReadersNotation)
{
    struct Case {
        std::uint64_t bytes;
        const wchar_t* english;
        const wchar_t* german;
    };
    const Case cases[] = {
        {0, L"0 bytes", L"0 Byte"},
        {999, L"999 bytes", L"999 Byte"},
        {1000, L"0.9766 KB", L"0,9766 KB"},
        {1024, L"1 KB", L"1 KB"},
        {999999, L"976.6 KB", L"976,6 KB"},
        {1000000, L"0,976 KB", L"0.976 KB"},
        {5000000, L"4,882 KB", L"4.882 KB"},
        {999999999, L"976,562 KB", L"976.562 KB"},
        {1000000000, L"0.9313 GB", L"0,9313 GB"},
        {4294967296ULL, L"4 GB", L"4 GB"},
        {4294967297ULL, L"4 GB", L"4 GB"},
        {1099511627776ULL, L"1024 GB", L"1024 GB"},
        {UINT64_MAX, L"1.718e+10 GB", L"1,718e+10 GB"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SizeText(c.bytes, English), c.english) << c.bytes;
        EXPECT_EQ(SizeText(c.bytes, German()), c.german) << c.bytes;
    }
    SizeNotation wide = German();
    wide.thousandsSeparator = L"\u202F";
    wide.kilobytes = L"kB";
    EXPECT_EQ(SizeText(5000000, wide), L"4\u202F882 kB");
}

TEST(FormatSize, ShortBuffersAreCutAndTerminated)
{
    wchar_t buffer[5] = {L'x', L'x', L'x', L'x', L'x'};
    FormatSize(buffer, 999, 5, English);
    EXPECT_STREQ(buffer, L"999 ");
    FormatSize(buffer, 999, 1, English);
    EXPECT_STREQ(buffer, L"");
    buffer[0] = L'x';
    FormatSize(buffer, 999, 0, English);
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
