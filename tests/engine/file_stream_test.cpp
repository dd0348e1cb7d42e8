// The engine's streams on this system's files (POSIX natively, Win32 under
// Wine), and the checks the command line and the program share: verify,
// info and the classic transform of a stream.
#include "engine/byte_stream.h"
#include "engine/cipher.h"
#include "engine/strong_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace quenzel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr KdfParams FastParams{1, 8};
constexpr KdfBounds FastBounds{FastParams, 4 * 8, 32};
constexpr StrongSalt FixedSalt{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};

class StreamFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("quenzel-streams-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    SystemPath At(const char* name) const { return (folder_ / name).native(); }
    static Bytes Contents(const SystemPath& path)
    {
        std::ifstream in(fs::path(path), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void Put(const SystemPath& path, const Bytes& bytes)
    {
        std::ofstream(fs::path(path), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                              static_cast<std::streamsize>(bytes.size()));
    }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {})); }

    fs::path folder_;
};

const Bytes Text{'q', 'u', 'e', 'n', 'z', 'e', 'l'};

TEST_F(StreamFolder, OutputTakesItsPlaceOnlyWhenCommitted)
{
    const SystemPath out = At("out.bin");
    StreamError error;
    auto writer = FileWriter::Create(out, false, error);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Write(Text.data(), Text.size()));
    EXPECT_FALSE(PathIsTaken(out));
    ASSERT_TRUE(writer->Commit(error));
    writer.reset();
    EXPECT_EQ(Contents(out), Text);
    EXPECT_EQ(Entries(), 1u) << "the temporary file went";

    // An existing output is refused unless it is to be replaced, and stays.
    EXPECT_FALSE(FileWriter::Create(out, false, error));
    EXPECT_EQ(error.failure, StreamFailure::Exists);
    writer = FileWriter::Create(out, true, error);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Write(Text.data(), 3));
    ASSERT_TRUE(writer->Commit(error));
    EXPECT_EQ(Contents(out), Bytes(Text.begin(), Text.begin() + 3));
}

TEST_F(StreamFolder, OutputGivenUpLeavesNothing)
{
    const SystemPath out = At("given-up.bin");
    StreamError error;
    auto writer = FileWriter::Create(out, false, error);
    ASSERT_TRUE(writer);
    ASSERT_TRUE(writer->Write(Text.data(), Text.size()));
    EXPECT_TRUE(writer->Discard(error));
    writer.reset();
    // A writer that goes without a word leaves nothing either.
    ASSERT_TRUE(FileWriter::Create(out, false, error));
    EXPECT_EQ(Entries(), 0u);
}

TEST_F(StreamFolder, ReaderSaysWhyItCannotRead)
{
    StreamError error;
    EXPECT_FALSE(FileReader::Open(At("missing"), error));
    EXPECT_EQ(error.failure, StreamFailure::NotFound);
    EXPECT_FALSE(FileReader::Open(folder_.native(), error));
    EXPECT_EQ(error.failure, StreamFailure::IsFolder);
    EXPECT_FALSE(FileWriter::Create(folder_.native(), true, error));
    EXPECT_EQ(error.failure, StreamFailure::IsFolder);

    Put(At("in.bin"), Text);
    auto reader = FileReader::Open(At("in.bin"), error);
    ASSERT_TRUE(reader);
    uint64_t size = 0;
    ASSERT_TRUE(reader->KnownSize(size));
    EXPECT_EQ(size, Text.size());
    Bytes back(16);
    size_t got = 0;
    ASSERT_TRUE(ReadFull(*reader, back.data(), back.size(), got));
    back.resize(got);
    EXPECT_EQ(back, Text);
}

class BytesReader : public ByteReader {
public:
    explicit BytesReader(const Bytes& bytes)
        : bytes_(bytes)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        got = std::min(length, bytes_.size() - at_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at_), got, data);
        at_ += got;
        return true;
    }

private:
    const Bytes& bytes_;
    size_t at_ = 0;
};

struct BytesWriter : ByteWriter {
    bool Write(const uint8_t* data, size_t length) override
    {
        bytes.insert(bytes.end(), data, data + length);
        return true;
    }
    Bytes bytes;
};

Bytes Encrypted(const Bytes& plain)
{
    StrongEncryptor encryptor;
    EXPECT_EQ(encryptor.PrepareWith(PasswordKeyInput(std::string("right")), FastParams, FixedSalt),
              StrongStatus::Ok);
    BytesReader reader(plain);
    BytesWriter writer;
    EXPECT_EQ(encryptor.Encrypt(reader, writer), StrongStatus::Ok);
    return writer.bytes;
}

StrongStatus Verified(const Bytes& file, const char* password)
{
    StrongDecryptor decryptor(PasswordKeyInput(std::string(password)), FastBounds);
    BytesReader reader(file);
    return decryptor.Verify(reader);
}

TEST(Verify, TellsIntactDamagedCutAndWrongKey)
{
    const Bytes plain(StrongChunkBytes + 5, 0x5A);
    const Bytes file = Encrypted(plain);
    Bytes flipped = file;
    flipped[file.size() - 3] ^= 1;
    const Bytes cut(file.begin(), file.end() - static_cast<std::ptrdiff_t>(StrongChunkOverhead + 5));
    EXPECT_EQ(Verified(file, "right"), StrongStatus::Ok);
    EXPECT_EQ(Verified(file, "wrong"), StrongStatus::WrongKeyOrDamaged);
    EXPECT_EQ(Verified(flipped, "right"), StrongStatus::Damaged);
    EXPECT_EQ(Verified(cut, "right"), StrongStatus::Truncated);

    StrongFileInfo info;
    BytesReader reader(file);
    ASSERT_EQ(ReadStrongInfo(reader, info), StrongStatus::Ok);
    EXPECT_EQ(info.version, StrongVersion);
    EXPECT_EQ(info.params, FastParams);
    EXPECT_EQ(info.chunks, 2u);
    EXPECT_EQ(info.plaintextBytes, plain.size());
    BytesReader classic(Text);
    EXPECT_EQ(ReadStrongInfo(classic, info), StrongStatus::NotStrongFormat);
}

TEST(ClassicStream, MatchesTheBufferTransformAfterItsFirstBytesWereLookedAt)
{
    const uint8_t key[] = {'k', 'e', 'y'};
    Bytes data(3 * 1024 * 1024 + 11);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    Bytes expected = data;
    ASSERT_TRUE(TransformBuffer(key, sizeof key, 5, expected.data(), expected.size(), nullptr));

    BytesReader rest(data);
    Bytes first(8);
    size_t got = 0;
    ASSERT_TRUE(ReadFull(rest, first.data(), first.size(), got));
    PrefixedReader whole(first, rest);
    CipherStream cipher(key, sizeof key, 5);
    BytesWriter writer;
    ASSERT_EQ(TransformClassic(whole, writer, cipher), ClassicStatus::Ok);
    EXPECT_EQ(writer.bytes, expected);
}

} // namespace
} // namespace quenzel
