// Checks the committed pictures in res/art: every bitmap and icon the resource
// script names is there, has the size and colour depth the windows expect,
// is well formed, and actually shows something.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifndef QUENZEL_ART_DIR
#error "QUENZEL_ART_DIR must name the res/art folder"
#endif

namespace {

namespace fs = std::filesystem;

struct BitmapSpec {
    int id;
    int width;
    int height;
    int percent = 100; // the display scaling it is drawn for
};

struct IconImageSpec {
    int size;
    int bits;
    bool operator<(const IconImageSpec& other) const
    {
        return std::pair(size, bits) < std::pair(other.size, other.bits);
    }
    bool operator==(const IconImageSpec& other) const { return size == other.size && bits == other.bits; }
};

struct IconSpec {
    int id;
    std::vector<IconImageSpec> images;
};

// The pictures of the resource script, by resource id, at their design size.
const std::vector<BitmapSpec> kDesignBitmaps = {
    {1002, 100, 332}, // banner at the left edge
    {1003, 670, 31},  // strips below the tab control, one per page
    {1004, 670, 31},  {1005, 670, 31}, {1006, 670, 31},  {1007, 670, 31},
    {1008, 670, 31},  {1011, 670, 31}, {1071, 186, 101}, // picture of the options page
};

// Each is drawn for 150 % and 200 % too: the design size scaled, halves rounded up.
std::vector<BitmapSpec> MakeBitmapSpecs()
{
    std::vector<BitmapSpec> specs;
    for (const auto& bitmap : kDesignBitmaps)
        for (int percent : {100, 150, 200})
            specs.push_back(
                {bitmap.id, (bitmap.width * percent + 99) / 100, (bitmap.height * percent + 99) / 100, percent});
    return specs;
}

const std::vector<BitmapSpec> kBitmaps = MakeBitmapSpecs();

std::vector<IconSpec> MakeIconSpecs()
{
    // A page's icon: a single design size, drawn for 150 % and 200 % too.
    const auto single = [](int id, int size) { return IconSpec{id, {{size, 32}, {size * 3 / 2, 32}, {size * 2, 32}}}; };
    std::vector<IconSpec> specs;
    IconSpec program{10, {}};
    for (int size : {64, 48, 32, 24, 16}) {
        program.images.push_back({size, 8});
        program.images.push_back({size, 32});
    }
    specs.push_back(program);
    for (int id : {20, 1013, 1034, 1045, 1136, 1139, 1145, 1149, 1150, 1151, 1152, 1167}) {
        specs.push_back(single(id, 16));
    }
    for (int id : {1014, 1015, 1040, 1041, 1142, 1153, 1169})
        specs.push_back(single(id, 48));
    for (int id : {1001, 1035, 1053, 1159})
        specs.push_back(single(id, 64));
    for (int id : {1166, 1170})
        specs.push_back(single(id, 32));
    for (int id : {1157, 1158})
        specs.push_back(single(id, 96));
    return specs;
}

const std::vector<IconSpec> kIcons = MakeIconSpecs();

constexpr std::size_t kBmpFileHeaderSize = 14;
constexpr std::size_t kDibHeaderSize = 40;
constexpr std::size_t kIconDirHeaderSize = 6;
constexpr std::size_t kIconDirEntrySize = 16;
constexpr std::uint16_t kIconResourceType = 1;
constexpr std::uint32_t kUncompressed = 0; // BI_RGB
constexpr int kTrueColourBits = 24;
constexpr int kPaletteColours = 256;
constexpr std::size_t kPaletteEntrySize = 4;
constexpr std::uint8_t kAlphaOpaque = 255;
// Anti-aliased drawings have many colours; a blank or flat picture has one.
constexpr std::size_t kMinimumDistinctColours = 4;
// At least this share (1 / n) of an icon's pixels must be drawn.
constexpr int kMinimumDrawnShareDivisor = 8;

fs::path ArtDir()
{
    return fs::path(QUENZEL_ART_DIR);
}

std::string BitmapName(const BitmapSpec& b)
{
    return "bmp" + std::to_string(b.id) + (b.percent == 100 ? "" : "-" + std::to_string(b.percent)) + ".bmp";
}
std::string IconName(int id)
{
    return "icon" + std::to_string(id) + ".ico";
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Little-endian reads that return nothing past the end of the data.
std::optional<std::uint32_t> ReadLe(const std::vector<std::uint8_t>& data, std::size_t at, std::size_t width)
{
    if (at > data.size() || data.size() - at < width)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= std::uint32_t{data[at + i]} << (8 * i);
    return value;
}
std::uint32_t U32(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return ReadLe(data, at, 4).value_or(0);
}
std::uint16_t U16(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return static_cast<std::uint16_t>(ReadLe(data, at, 2).value_or(0));
}
std::int32_t I32(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return static_cast<std::int32_t>(U32(data, at));
}

std::size_t RowStride(int width, int bits)
{
    return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
}

struct DibHeader {
    std::uint32_t size;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t planes;
    std::uint16_t bits;
    std::uint32_t compression;
    std::uint32_t coloursUsed;
};

DibHeader ReadDibHeader(const std::vector<std::uint8_t>& data, std::size_t at)
{
    return {U32(data, at),      I32(data, at + 4),  I32(data, at + 8), U16(data, at + 12),
            U16(data, at + 14), U32(data, at + 16), U32(data, at + 32)};
}

struct IconDirEntry {
    int width;
    int height;
    int colourCount;
    int planes;
    int bits;
    std::uint32_t bytes;
    std::uint32_t offset;
};

std::optional<std::vector<IconDirEntry>> ReadIconDirectory(const std::vector<std::uint8_t>& data)
{
    if (data.size() < kIconDirHeaderSize || U16(data, 0) != 0 || U16(data, 2) != kIconResourceType) {
        return std::nullopt;
    }
    const std::size_t count = U16(data, 4);
    if (data.size() < kIconDirHeaderSize + count * kIconDirEntrySize)
        return std::nullopt;
    std::vector<IconDirEntry> entries;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kIconDirHeaderSize + i * kIconDirEntrySize;
        entries.push_back({data[at], data[at + 1], data[at + 2], U16(data, at + 4), U16(data, at + 6),
                           U32(data, at + 8), U32(data, at + 12)});
    }
    return entries;
}

std::size_t PaletteColours(const DibHeader& header)
{
    if (header.bits > 8)
        return 0;
    return header.coloursUsed != 0 ? header.coloursUsed : (std::size_t{1} << header.bits);
}

std::size_t ExpectedIconImageBytes(const DibHeader& header, int size)
{
    const auto rows = static_cast<std::size_t>(size);
    return kDibHeaderSize + PaletteColours(header) * kPaletteEntrySize + RowStride(size, header.bits) * rows
        + RowStride(size, 1) * rows;
}

struct IconPixels {
    std::vector<std::uint32_t> rgb;
    std::vector<std::uint8_t> alpha; // only meaningful for 32-bit images
    std::vector<bool> masked;        // AND mask bit: pixel left transparent
};

// Decodes an icon image whose layout ExpectedIconImageBytes has already vouched for.
IconPixels DecodeIconImage(const std::vector<std::uint8_t>& data, std::size_t at, const DibHeader& header, int size)
{
    const std::size_t palette = at + kDibHeaderSize;
    const std::size_t colour = palette + PaletteColours(header) * kPaletteEntrySize;
    const std::size_t colourStride = RowStride(size, header.bits);
    const std::size_t mask = colour + colourStride * static_cast<std::size_t>(size);
    const std::size_t maskStride = RowStride(size, 1);
    IconPixels pixels;
    for (int row = 0; row < size; ++row) {
        for (int x = 0; x < size; ++x) {
            const std::size_t rowAt = colour + colourStride * static_cast<std::size_t>(row);
            std::size_t bgr = 0;
            std::uint8_t alpha = kAlphaOpaque;
            if (header.bits == 8) {
                bgr = palette + data[rowAt + static_cast<std::size_t>(x)] * kPaletteEntrySize;
            } else {
                bgr = rowAt + static_cast<std::size_t>(x) * (header.bits / 8);
                if (header.bits == 32)
                    alpha = data[bgr + 3];
            }
            pixels.rgb.push_back(std::uint32_t{data[bgr + 2]} << 16 | std::uint32_t{data[bgr + 1]} << 8 | data[bgr]);
            pixels.alpha.push_back(alpha);
            const std::uint8_t maskByte =
                data[mask + maskStride * static_cast<std::size_t>(row) + static_cast<std::size_t>(x / 8)];
            pixels.masked.push_back((maskByte & (0x80 >> (x % 8))) != 0);
        }
    }
    return pixels;
}

// Each check covers one file and may stop early on it; the tests run every file
// so that one broken picture cannot hide another.
void CheckBitmapHeader(const BitmapSpec& expected)
{
    SCOPED_TRACE(BitmapName(expected));
    const auto data = ReadWholeFile(ArtDir() / BitmapName(expected));
    ASSERT_GE(data.size(), kBmpFileHeaderSize + kDibHeaderSize);
    EXPECT_EQ(data[0], 'B');
    EXPECT_EQ(data[1], 'M');
    EXPECT_EQ(U32(data, 2), data.size()) << "file size field";
    const auto header = ReadDibHeader(data, kBmpFileHeaderSize);
    EXPECT_EQ(header.size, kDibHeaderSize);
    EXPECT_EQ(header.width, expected.width);
    EXPECT_EQ(header.height, expected.height) << "bottom-up rows of the listed height";
    EXPECT_EQ(header.planes, 1);
    EXPECT_EQ(header.bits, kTrueColourBits);
    EXPECT_EQ(header.compression, kUncompressed);
    const std::size_t pixelsAt = U32(data, 10);
    EXPECT_GE(pixelsAt, kBmpFileHeaderSize + kDibHeaderSize);
    EXPECT_LE(pixelsAt + RowStride(expected.width, kTrueColourBits) * static_cast<std::size_t>(expected.height),
              data.size())
        << "pixel rows run past the end of the file";
}

void CheckBitmapIsNotFlat(const BitmapSpec& expected)
{
    SCOPED_TRACE(BitmapName(expected));
    const auto data = ReadWholeFile(ArtDir() / BitmapName(expected));
    const std::size_t pixelsAt = U32(data, 10);
    const std::size_t stride = RowStride(expected.width, kTrueColourBits);
    ASSERT_LE(pixelsAt + stride * static_cast<std::size_t>(expected.height), data.size());
    std::set<std::uint32_t> colours;
    for (int row = 0; row < expected.height; ++row) {
        for (int x = 0; x < expected.width; ++x) {
            const std::size_t at = pixelsAt + stride * static_cast<std::size_t>(row) + static_cast<std::size_t>(x) * 3;
            colours.insert(std::uint32_t{data[at + 2]} << 16 | std::uint32_t{data[at + 1]} << 8 | data[at]);
        }
    }
    EXPECT_GE(colours.size(), kMinimumDistinctColours);
}

void CheckIconDirectory(const IconSpec& expected)
{
    SCOPED_TRACE(IconName(expected.id));
    const auto entries = ReadIconDirectory(ReadWholeFile(ArtDir() / IconName(expected.id)));
    ASSERT_TRUE(entries.has_value()) << "not an icon file";
    std::vector<IconImageSpec> listed;
    for (const auto& entry : *entries) {
        EXPECT_EQ(entry.width, entry.height) << "square images only";
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(entry.colourCount, 0) << "256 colours and more are stored as 0";
        listed.push_back({entry.width, entry.bits});
    }
    std::vector<IconImageSpec> required = expected.images;
    std::sort(listed.begin(), listed.end());
    std::sort(required.begin(), required.end());
    EXPECT_TRUE(listed == required) << "the directory lists " << listed.size() << " images, " << required.size()
                                    << " required";
}

std::string EntryName(int id, const IconDirEntry& entry)
{
    return IconName(id) + " " + std::to_string(entry.width) + " px " + std::to_string(entry.bits) + "-bit";
}

void CheckIconImageLayout(const std::vector<std::uint8_t>& data, int id, const IconDirEntry& entry)
{
    SCOPED_TRACE(EntryName(id, entry));
    ASSERT_LE(std::size_t{entry.offset} + entry.bytes, data.size());
    ASSERT_GE(entry.bytes, kDibHeaderSize);
    const auto header = ReadDibHeader(data, entry.offset);
    EXPECT_EQ(header.size, kDibHeaderSize);
    EXPECT_EQ(header.width, entry.width);
    EXPECT_EQ(header.height, 2 * entry.height) << "colour rows plus AND-mask rows";
    EXPECT_EQ(header.planes, 1);
    EXPECT_EQ(header.bits, entry.bits);
    EXPECT_EQ(header.compression, kUncompressed);
    if (header.bits == 8) {
        EXPECT_EQ(PaletteColours(header), std::size_t{kPaletteColours});
    }
    EXPECT_EQ(entry.bytes, ExpectedIconImageBytes(header, entry.width));
}

void CheckIconImageContent(const std::vector<std::uint8_t>& data, int id, const IconDirEntry& entry)
{
    SCOPED_TRACE(EntryName(id, entry));
    const auto header = ReadDibHeader(data, entry.offset);
    ASSERT_TRUE(header.bits == 8 || header.bits == 32);
    ASSERT_EQ(entry.bytes, ExpectedIconImageBytes(header, entry.width));
    ASSERT_LE(std::size_t{entry.offset} + entry.bytes, data.size());
    const auto pixels = DecodeIconImage(data, entry.offset, header, entry.width);

    std::set<std::uint32_t> drawnColours;
    int drawn = 0;
    int maskDisagrees = 0;
    for (std::size_t i = 0; i < pixels.rgb.size(); ++i) {
        if (!pixels.masked[i]) {
            ++drawn;
            drawnColours.insert(pixels.rgb[i]);
        }
        if (header.bits == 32) {
            const bool solid = pixels.alpha[i] == kAlphaOpaque;
            const bool clear = pixels.alpha[i] == 0;
            if ((solid && pixels.masked[i]) || (clear && !pixels.masked[i]))
                ++maskDisagrees;
        }
    }
    EXPECT_GE(drawn * kMinimumDrawnShareDivisor, entry.width * entry.height) << "too few pixels drawn";
    EXPECT_LT(drawn, entry.width * entry.height) << "no transparent pixel around the symbol";
    EXPECT_GE(drawnColours.size(), kMinimumDistinctColours);
    EXPECT_EQ(maskDisagrees, 0) << "AND mask does not follow the alpha channel";
}

template <typename Check>
void ForEachIconEntry(Check check)
{
    for (const auto& expected : kIcons) {
        const auto data = ReadWholeFile(ArtDir() / IconName(expected.id));
        const auto entries = ReadIconDirectory(data);
        EXPECT_TRUE(entries.has_value()) << IconName(expected.id) << " is not an icon file";
        if (!entries)
            continue;
        for (const auto& entry : *entries)
            check(data, expected.id, entry);
    }
}

TEST(ArtFiles, FolderHoldsExactlyTheListedPictures)
{
    std::set<std::string> expected;
    for (const auto& bitmap : kBitmaps)
        expected.insert(BitmapName(bitmap));
    for (const auto& icon : kIcons)
        expected.insert(IconName(icon.id));

    std::set<std::string> found;
    for (const auto& item : fs::directory_iterator(ArtDir())) {
        const auto extension = item.path().extension().string();
        if (extension == ".bmp" || extension == ".ico")
            found.insert(item.path().filename().string());
    }
    EXPECT_EQ(found, expected);
}

TEST(ArtFiles, BitmapsAreUncompressedTrueColourOfTheListedSize)
{
    for (const auto& expected : kBitmaps)
        CheckBitmapHeader(expected);
}

TEST(ArtFiles, BitmapsShowAPictureNotAFlatColour)
{
    for (const auto& expected : kBitmaps)
        CheckBitmapIsNotFlat(expected);
}

TEST(ArtFiles, IconDirectoriesListExactlyTheRequiredImages)
{
    for (const auto& expected : kIcons)
        CheckIconDirectory(expected);
}

TEST(ArtFiles, IconImagesAreCompleteMaskedDibs)
{
    ForEachIconEntry(CheckIconImageLayout);
}

TEST(ArtFiles, IconImagesShowASymbolWithAMatchingMask)
{
    ForEachIconEntry(CheckIconImageContent);
}

} // namespace
