#include "engine/output_names.h"

#include <gtest/gtest.h>

#include <set>

namespace quenzel {
namespace {

FileNameOptions FileOptions(bool addEnc, bool removeEnc, bool addDec)
{
    FileNameOptions o;
    o.addEnc = addEnc;
    o.removeEnc = removeEnc;
    o.addDec = addDec;
    return o;
}

TEST(FileOutputName, EncryptAppendsEncOnlyWhenAsked)
{
    EXPECT_EQ(ProposeFileOutput(L"C:\\d\\a.txt", EncryptJob, FileOptions(true, true, true)), L"C:\\d\\a.txt.enc");
    // With no renaming option the proposal is the source itself (in place).
    EXPECT_EQ(ProposeFileOutput(L"C:\\d\\a.txt", EncryptJob, FileOptions(false, true, true)), L"C:\\d\\a.txt");
}

TEST(FileOutputName, DecryptRemovesEncCaseExactThenAppendsDec)
{
    EXPECT_EQ(ProposeFileOutput(L"a.txt.enc", DecryptJob, FileOptions(false, true, true)), L"a.txt.dec");
    EXPECT_EQ(ProposeFileOutput(L"a.txt.enc", DecryptJob, FileOptions(false, true, false)), L"a.txt");
    EXPECT_EQ(ProposeFileOutput(L"a.txt.enc", DecryptJob, FileOptions(true, false, true)), L"a.txt.enc.dec");
    EXPECT_EQ(ProposeFileOutput(L"a.ENC", DecryptJob, FileOptions(false, true, false)), L"a.ENC");
    EXPECT_EQ(ProposeFileOutput(L"enc", DecryptJob, FileOptions(false, true, false)), L"enc");
    EXPECT_EQ(ProposeFileOutput(L".enc", DecryptJob, FileOptions(false, true, false)), L"");
}

TEST(FolderOutputName, EncryptAddsEncryptedOrUsesEncPath)
{
    FolderNameOptions o;
    o.addEncrypted = true;
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs", EncryptJob, o), L"D:\\Docs\\Encrypted");
    o.useEncPath = true;
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs", EncryptJob, o), L"c:\\My Encrypted");
    o.addEncrypted = false;
    o.encPath = L"E:\\Vault";
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs", EncryptJob, o), L"E:\\Vault");
    // The decryption's folder plays no part in an encryption.
    o.useEncPath = false;
    o.useDecPath = true;
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs", EncryptJob, o), L"D:\\Docs");
}

TEST(FolderOutputName, DecryptSwapsEncryptedForDecryptedOrUsesDecPath)
{
    FolderNameOptions o;
    o.removeEncrypted = true;
    o.addDecrypted = true;
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs\\Encrypted", DecryptJob, o), L"D:\\Docs\\Decrypted");
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs\\encrypted", DecryptJob, o), L"D:\\Docs\\encrypted\\Decrypted");
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs", DecryptJob, o), L"D:\\Docs\\Decrypted");
    o.useDecPath = true;
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs\\Encrypted", DecryptJob, o), L"c:\\My Decrypted");
    o.decPath = L"F:\\Plain";
    EXPECT_EQ(ProposeFolderOutput(L"D:\\Docs\\Encrypted", DecryptJob, o), L"F:\\Plain");
}

TEST(FolderJobOutput, KeepsSubFoldersBelowTheGatheredRoot)
{
    std::wstring out;
    ASSERT_TRUE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Docs\\a\\b.txt", L"D:\\Docs\\Encrypted", out));
    EXPECT_EQ(out, L"D:\\Docs\\Encrypted\\a\\b.txt");
    ASSERT_TRUE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Docs\\a\\b\\c.txt", L"E:\\Out\\", out));
    EXPECT_EQ(out, L"E:\\Out\\a\\b\\c.txt");
    ASSERT_TRUE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Docs\\x.txt", L"E:\\", out));
    EXPECT_EQ(out, L"E:\\x.txt");
}

TEST(FolderJobOutput, DriveRootAsRootWithSingleOrDoubledBackslash)
{
    std::wstring out;
    ASSERT_TRUE(FolderJobOutputFile(L"C:\\", L"C:\\x.txt", L"E:\\Out", out));
    EXPECT_EQ(out, L"E:\\Out\\x.txt");
    ASSERT_TRUE(FolderJobOutputFile(L"C:\\", L"C:\\\\sub\\x.txt", L"E:\\Out", out));
    EXPECT_EQ(out, L"E:\\Out\\sub\\x.txt");
}

TEST(FolderJobOutput, ItemsNotBelowTheRootAreRefused)
{
    // The cut is by the root that was gathered, never by whatever the folder
    // field holds later, so an item can never land outside the output folder.
    std::wstring out = L"stale";
    EXPECT_FALSE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Docs2\\x.txt", L"E:\\Out", out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Other\\x.txt", L"E:\\Out", out));
    EXPECT_FALSE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Docs", L"E:\\Out", out));
    EXPECT_FALSE(FolderJobOutputFile(L"D:\\Docs", L"D:\\Docs\\", L"E:\\Out", out));
    EXPECT_FALSE(FolderJobOutputFile(L"", L"D:\\Docs\\x.txt", L"E:\\Out", out));
}

TEST(FreeOutputName, TheNextNumberBeforeTheLastExtension)
{
    const struct {
        std::wstring path;
        std::set<std::wstring> present;
        std::wstring free;
    } rows[] = {
        {L"C:\\d\\letter.txt", {}, L"C:\\d\\letter.txt"},
        {L"C:\\d\\letter.txt", {L"C:\\d\\letter.txt", L"C:\\d\\letter (2).txt"}, L"C:\\d\\letter (3).txt"},
        {L"C:\\d\\a.txt.dec", {L"C:\\d\\a.txt.dec"}, L"C:\\d\\a.txt (2).dec"},
        // A dot of a folder, or one that starts the name, begins no extension.
        {L"C:\\my.dir\\README", {L"C:\\my.dir\\README"}, L"C:\\my.dir\\README (2)"},
        {L"C:\\d\\.profile", {L"C:\\d\\.profile"}, L"C:\\d\\.profile (2)"},
    };
    for (const auto& row : rows) {
        const auto exists = [&row](const std::wstring& path) { return row.present.count(path) != 0; };
        EXPECT_EQ(FreeOutputName(row.path, exists), row.free);
    }
    EXPECT_EQ(FreeOutputName(L"x.txt", [](const std::wstring&) { return true; }), L"") << "nothing free";
}

// Whether a folder (an output folder, a listed file's folder) lies below
// another, and the part below it.
TEST(PathBelowFolder, ThePartBelowOrNothing)
{
    const struct {
        const wchar_t* folder;
        const wchar_t* path;
        const wchar_t* rest; // nullptr: not below
    } rows[] = {
        {L"D:\\Docs\\", L"D:\\Docs\\\\Encrypted\\", L"Encrypted"},
        {L"D:/Docs", L"D:/Docs/a/b", L"a/b"},
        {L"\\\\?\\D:\\", L"\\\\?\\D:\\X\\Y", L"X\\Y"},
        {L"D:\\Docs", L"D:\\Docs\\", nullptr},
        {L"D:\\Docs", L"D:\\Docs2\\x", nullptr},
        {L"D:\\Docs\\Encrypted", L"D:\\Docs", nullptr},
        {L"", L"D:\\x", nullptr},
    };
    for (const auto& row : rows) {
        std::wstring rest = L"stale";
        EXPECT_EQ(PathBelowFolder(row.folder, row.path, rest), row.rest != nullptr) << row.folder << L" " << row.path;
        EXPECT_EQ(rest, row.rest ? row.rest : L"") << row.folder << L" " << row.path;
    }
}

TEST(PathTitle, LastComponent)
{
    EXPECT_EQ(PathTitle(L"C:\\d\\a.txt"), L"a.txt");
    EXPECT_EQ(PathTitle(L"D:\\Docs\\"), L"Docs");
    EXPECT_EQ(PathTitle(L"a.txt"), L"a.txt");
    EXPECT_EQ(PathTitle(L"C:a.txt"), L"a.txt");
    EXPECT_EQ(PathTitle(L"C:\\"), L"C:\\");
}

} // namespace
} // namespace quenzel
