// The program's side of the check that it and the native quenzel-cli read
// each other's files (tests/interop/cli-interop runs it, with the folder
// in QUENZEL_INTEROP_DIR): the program, driven as a user drives it,
// decrypts the file the command line encrypted and encrypts two files, one
// in each format, which the command line then decrypts.
#include "tests/ui/crypt_ui_support.h"

#include "crypt/file_page_ids.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace cryptui;

constexpr int SourceField = quenzel::IDC_FILE_SOURCE;
constexpr int EncryptButton = quenzel::IDC_FILE_ENCRYPT;
constexpr int DecryptButton = quenzel::IDC_FILE_DECRYPT;
const std::vector<int> JobControls = JobControlsOf(EncryptButton, DecryptButton, quenzel::IDC_FILE_CHOOSE, SourceField);

std::wstring InteropFolder()
{
    const char* host = std::getenv("QUENZEL_INTEROP_DIR");
    return host && *host ? HostToWindowsPath(host) : std::wstring();
}

// One file job from `source` into `destination`, to its result dialog.
void RunFileJob(Started& s, int command, const std::wstring& source, const std::wstring& destination)
{
    SetFieldText(s.app.Control(SourceField), source);
    ASSERT_NO_FATAL_FAILURE(ConfirmJob(s, command, nullptr, destination));
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr) << "no result for " << Narrow(source) << ": " << Narrow(DismissMessageBox(s.app));
    ASSERT_TRUE(Press(result, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return AllEnabled(s, JobControls); }));
    EXPECT_TRUE(FileExists(destination)) << Narrow(destination);
}

// With the tests' own password (cli-interop gives the command line the same).
TEST(ProgramSide, DecryptsTheCommandLinesFileAndEncryptsInBothFormats)
{
    const std::wstring folder = InteropFolder();
    ASSERT_FALSE(folder.empty()) << "QUENZEL_INTEROP_DIR names no folder: tests/interop/cli-interop runs this program";
    const struct {
        const char* ini;
        int command;
        const wchar_t* source;
        const wchar_t* destination;
    } rows[] = {
        {"[OPTIONS]\nStrongFormat=1\n", DecryptButton, L"from-cli.enc", L"from-cli.dec"},
        {"[OPTIONS]\nStrongFormat=1\n", EncryptButton, L"plain-strong.bin", L"from-program-strong.enc"},
        {"[OPTIONS]\nStrongFormat=0\n", EncryptButton, L"plain-classic.bin", L"from-program-classic.enc"},
    };
    for (const auto& row : rows) {
        Started s;
        ASSERT_NO_FATAL_FAILURE(Start(s, row.ini, FilePageCommand));
        TypeOwnPassword(s);
        ASSERT_NO_FATAL_FAILURE(
            RunFileJob(s, row.command, folder + L"\\" + row.source, folder + L"\\" + row.destination));
        EXPECT_TRUE(s.app.Close());
    }
}

} // namespace
