// The file page's views of a file: the source's size, name and first bytes
// on the page, and the result dialog's previews of its source and output.
#include "tests/ui/file_page_support.h"

#include <gtest/gtest.h>

namespace {

using namespace filepage;

TEST(FilePage, ResultPreviewsOfUtf16AndAnsiText)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n2=1\n3=1\n", FilePageCommand));
    TypeOwnPassword(s);
    std::wstring wide;
    while (wide.size() < 2500)
        wide += L"Gr\u00FC\u00DFe aus K\u00F6ln \u20AC. ";
    const std::string utf16Bytes = Utf16File(wide.substr(0, 2499));
    ASSERT_EQ(utf16Bytes.size(), 5000u);
    const struct {
        const char* what;
        std::wstring name;
        std::string bytes;
        std::wstring preview;
    } rows[] = {
        {"UTF-16: the first 1000 bytes", L"wide.txt", utf16Bytes, wide.substr(0, 499)},
        {"ANSI", L"ansi.txt",
         "Gr\xFC\xDF"
         "e \x80",
         L"Gr\u00FC\u00DFe \u20AC"},
    };
    for (const auto& row : rows) {
        const std::wstring path = s.Work() + L"\\" + row.name;
        ASSERT_TRUE(WriteFileBytes(path, row.bytes)) << row.what;
        SetFieldText(s.app.Control(SourceField), path);
        RunFileJob(s, EncryptButton);
        SetFieldText(s.app.Control(SourceField), path + L".enc");
        EXPECT_EQ(RunFileJob(s, DecryptButton).resultOutput, row.preview) << row.what;
    }
    EXPECT_TRUE(s.app.Close());
}

// The source chooser: the size (past 4 GiB) and name in the page text,
// the first bytes in the preview and later in the result's source view;
// a file that cannot be opened is reported and changes nothing else.
TEST(FilePage, SourceChooserShowsSizeAndPreviewAndReportsAFileItCannotOpen)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n", FilePageCommand));
    TypeOwnPassword(s);
    const std::wstring large = s.Work() + L"\\five-gib";
    ASSERT_TRUE(WriteFileBytes(large, "Large file begins here."));
    ASSERT_TRUE(ExtendFile(large, 5LL << 30));
    PostCommand(s.window, ChooseButton);
    ChooseInFileDialog(s.app, large);
    EXPECT_TRUE(WaitUntil([&] { return StatusText(s, 1) == L"Size: 5 GB, file: five-gib"; }))
        << Narrow(StatusText(s, 1));
    EXPECT_EQ(FieldText(s.app.Control(SourceField)), large);
    EXPECT_EQ(FieldText(s.app.Control(PreviewField)), L"Large file begins here.");

    const std::wstring small = s.Work() + L"\\small.txt";
    ASSERT_TRUE(WriteFileBytes(small, "Small and plain."));
    PostCommand(s.window, ChooseButton);
    ChooseInFileDialog(s.app, small);
    ASSERT_TRUE(WaitUntil([&] { return FieldText(s.app.Control(PreviewField)) == L"Small and plain."; }));
    EXPECT_EQ(RunFileJob(s, EncryptButton).resultSource, L"Small and plain.");

    HANDLE held = CreateFileW(large.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::wstring pageText = StatusText(s, 1);
    PostCommand(s.window, ChooseButton);
    ChooseInFileDialog(s.app, large);
    EXPECT_EQ(DismissMessageBox(s.app),
              L"The file cannot be opened.\nCheck that it exists and that no other program is using it.");
    CloseHandle(held);
    EXPECT_EQ(FieldText(s.app.Control(SourceField)), large);
    EXPECT_EQ(FieldText(s.app.Control(PreviewField)), L"") << "no other file's beginning";
    EXPECT_EQ(StatusText(s, 1), L"Choose a file to encrypt or decrypt");
    EXPECT_NE(StatusText(s, 1), pageText);
    EXPECT_TRUE(s.app.Close());
}

// A typed path is previewed when the field is left and before a job, whose
// result shows the beginning of that file, not of the one shown before; a
// path of no file empties the preview and gives the page its own text.
TEST(FilePage, TypedPathIsPreviewedAndIsTheResultsSource)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n", FilePageCommand));
    TypeOwnPassword(s);
    HWND field = s.app.Control(SourceField);
    HWND preview = s.app.Control(PreviewField);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(s.window) == field; }));
    const std::wstring first = s.Work() + L"\\letter.txt";
    const std::wstring second = s.Work() + L"\\other.txt";
    ASSERT_TRUE(WriteFileBytes(first, "Dear reader,"));
    ASSERT_TRUE(WriteFileBytes(second, "Another file."));
    SetFieldText(field, first);
    PostMessageW(field, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(preview) == L"Dear reader,"; }));
    EXPECT_EQ(StatusText(s, 1), L"Size: 12 bytes, file: letter.txt");

    SetFieldText(field, second);
    const FileJobRun run = RunFileJob(s, EncryptButton);
    EXPECT_EQ(run.resultSource, L"Another file.");
    EXPECT_TRUE(run.iconWhole);
    EXPECT_EQ(FieldText(preview), L"Another file.");
    EXPECT_EQ(StatusText(s, 1), L"Size: 13 bytes, file: other.txt");

    SetFieldText(field, s.Work() + L"\\missing.txt");
    PostCommand(s.window, SlotPageCommand);
    PostCommand(s.window, FilePageCommand);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(preview).empty(); }));
    EXPECT_EQ(StatusText(s, 1), L"Choose a file to encrypt or decrypt");
    EXPECT_TRUE(s.app.Close());
}

} // namespace
