// The verification of strong files on this system's files: each outcome of
// the engine as the verdict the report counts, and the tally's names.
#include "crypt/verify_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace quenzel {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr KdfParams FastParams{1, 8};
constexpr KdfBounds FastBounds{FastParams, 4 * 8, 32};

struct BytesReader : ByteReader {
    const Bytes& bytes;
    size_t at = 0;
    explicit BytesReader(const Bytes& b)
        : bytes(b)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        got = std::min(length, bytes.size() - at);
        std::copy_n(bytes.data() + at, got, data);
        at += got;
        return true;
    }
};
struct BytesWriter : ByteWriter {
    Bytes bytes;
    bool Write(const uint8_t* data, size_t length) override
    {
        bytes.insert(bytes.end(), data, data + length);
        return true;
    }
};

Bytes Sealed(const Bytes& plain, const std::string& password)
{
    StrongEncryptor encryptor;
    EXPECT_EQ(encryptor.PrepareWith(PasswordKeyInput(password), FastParams, StrongSalt{1, 2, 3}), StrongStatus::Ok);
    BytesReader reader(plain);
    BytesWriter writer;
    EXPECT_EQ(encryptor.Encrypt(reader, writer), StrongStatus::Ok);
    return writer.bytes;
}

TEST(VerifyFiles, EachFileGetsTheVerdictOfWhatItIs)
{
    const fs::path folder = fs::temp_directory_path() / ("quenzel-verify-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    const Bytes plain(StrongChunkBytes + 300, 0x5A);
    const Bytes sealed = Sealed(plain, "right");
    Bytes flipped = sealed;
    flipped[sealed.size() - 50] ^= 1;
    Bytes later = sealed;
    later[StrongVersionAt] = StrongVersion + 1;
    const struct {
        const char* name;
        Bytes bytes;
        const char* password;
        VerifyVerdict verdict;
    } rows[] = {
        {"intact", sealed, "right", VerifyVerdict::Intact},
        {"flipped", flipped, "right", VerifyVerdict::Damaged},
        {"cut", Bytes(sealed.begin(), sealed.begin() + StrongHeaderBytesV2 + StrongSealedChunkBytes), "right",
         VerifyVerdict::Damaged},
        {"wrong key", sealed, "wrong", VerifyVerdict::WrongKey},
        {"classic", plain, "right", VerifyVerdict::NotCheckable},
        {"later version", later, "right", VerifyVerdict::NotCheckable},
    };
    VerifyTally tally(1);
    for (const auto& row : rows) {
        const fs::path path = folder / row.name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(row.bytes.data()), static_cast<std::streamsize>(row.bytes.size()));
        StrongDecryptor decryptor(PasswordKeyInput(row.password), FastBounds);
        const VerifyVerdict verdict = VerifyStrongFile(path.native(), decryptor);
        EXPECT_EQ(verdict, row.verdict) << row.name;
        tally.Add(verdict, fs::path(row.name).wstring());
    }
    StrongDecryptor decryptor(PasswordKeyInput("right"), FastBounds);
    EXPECT_EQ(VerifyStrongFile((folder / "missing").native(), decryptor), VerifyVerdict::Unreadable);
    tally.Add(VerifyVerdict::Stopped, L"stopped"); // ended the job: checked nothing
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    EXPECT_EQ(tally.Checked(), 6);
    EXPECT_EQ(tally.Count(VerifyVerdict::Damaged), 2);
    EXPECT_EQ(tally.Names(VerifyVerdict::Damaged), std::vector<std::wstring>{L"flipped"});
    EXPECT_EQ(tally.Names(VerifyVerdict::WrongKey), std::vector<std::wstring>{L"wrong key"});
    EXPECT_TRUE(tally.Names(VerifyVerdict::NotCheckable).empty());
    EXPECT_FALSE(tally.AllIntact());
}

} // namespace
} // namespace quenzel
