// The file page's output, byte by byte: classic files of a password's bytes
// and a level, strong files the engine here decrypts, damaged files refused,
// and the safe start of a new program folder.
#include "tests/ui/file_page_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace filepage;

TEST(FilePage, RoundTripWithATypedPassword)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n1=1\n2=1\n3=1\n", FilePageCommand));
    const std::wstring plain = s.Work() + L"\\a.txt";
    const std::string text = "The quick brown fox. " + RandomBytes(5000, 1);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    EXPECT_EQ(FieldText(s.app.Control(PasswordField)), L"MORVANTE");
    TypeOwnPassword(s);

    SetFieldText(s.app.Control(SourceField), plain);
    FileJobRun run = RunFileJob(s, EncryptButton);
    EXPECT_EQ(run.proposed, plain + L".enc");
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed(text, OwnPassword, 7));
    EXPECT_TRUE(ReadAll(plain) == text) << "the source stays without the recycle option";
    EXPECT_EQ(StatusText(s, 0), L"Ready");

    SetFieldText(s.app.Control(SourceField), plain + L".enc");
    run = RunFileJob(s, DecryptButton);
    EXPECT_EQ(run.proposed, plain + L".dec");
    EXPECT_TRUE(ReadAll(plain + L".dec") == text);
    EXPECT_TRUE(s.app.Close());
}

// One classic job: the password field as typed, the level on the slider.
struct ClassicCase {
    const char* what;
    const char* ini;
    std::wstring typed;   // the password field's text
    std::string keyBytes; // what the format takes of it
    unsigned char level;
    int command;
    std::string source; // the source file's bytes
    bool inPlace;       // the output replaces the source (no renaming option)
};

// Runs one classic job in a program of its own: the output is the source
// transformed with the key bytes and the level.
void RunClassicCase(const ClassicCase& c)
{
    SCOPED_TRACE(c.what);
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, c.ini, FilePageCommand));
    SetFieldText(s.app.Control(PasswordField), c.typed);
    SendMessageW(s.app.Control(LevelSlider), TBM_SETPOS, TRUE, c.level);
    const std::wstring path = s.Work() + L"\\level" + std::to_wstring(c.level) + L".bin";
    ASSERT_TRUE(WriteFileBytes(path, c.source));
    SetFieldText(s.app.Control(SourceField), path);
    const std::wstring output = c.inPlace ? path : path + L".enc";
    const FileJobRun run = RunFileJob(s, c.command);
    EXPECT_EQ(run.proposed, output);
    EXPECT_TRUE(ReadAll(output) == Transformed(c.source, c.keyBytes, c.level));
    EXPECT_TRUE(s.app.Close());
}

// The key is the password's bytes in the ANSI code page, at any level; a
// password longer than the format takes is cut to its 32,766 bytes, never
// replaced by the public default one; and a classic file made with an
// empty field (no encryption takes one now) still decrypts with the
// built-in key, in place and never recycled.
TEST(FilePage, ClassicFileIsTheSourceTransformedWithThePasswordBytes)
{
    const std::wstring ansiTyped = L"M\u00FCller\u20AC";
    const std::string ansiBytes = "\x4D\xFC\x6C\x6C\x65\x72\x80"; // "Müller€" in Windows-1252
    std::string overlong = RandomText(32767, 11);
    const std::wstring overlongTyped(overlong.begin(), overlong.end());
    overlong.resize(32766);
    // Each source is one whose encrypted form is plain text (see RandomText).
    const auto textFor = [](size_t n, unsigned seed, const std::string& key, unsigned char level) {
        return Transformed(RandomText(n, seed), key, level);
    };
    const ClassicCase cases[] = {
        {"a password in the ANSI code page, level 255", "[MAIN]\n1=1\n", ansiTyped, ansiBytes, 255, EncryptButton,
         textFor(99, 3, ansiBytes, 255), false},
        {"a password in the ANSI code page, level 7", "[MAIN]\n1=1\n", ansiTyped, ansiBytes, 7, EncryptButton,
         textFor(99, 3, ansiBytes, 7), false},
        {"a password in the ANSI code page, level 0", "[MAIN]\n1=1\n", ansiTyped, ansiBytes, 0, EncryptButton,
         textFor(99, 3, ansiBytes, 0), false},
        {"an overlong password cut to 32,766 bytes", "[MAIN]\n1=1\n", overlongTyped, overlong, 7, EncryptButton,
         textFor(300, 12, overlong, 7), false},
        {"an emptied field decrypts with the built-in key", "[MAIN]\n0=1\n", L"", "WELK", 0, DecryptButton,
         Transformed(RandomBytes(250, 2), "WELK", 0), true},
    };
    for (const ClassicCase& c : cases)
        ASSERT_NO_FATAL_FAILURE(RunClassicCase(c));
}

// The strong format through the file page: encrypted with a password of
// letters that no one ANSI code page holds, decrypted back by the program
// and, with the password's UTF-8 bytes, by the engine here; a password that
// differs only in such letters, and a damaged file, are refused with a
// message, before any question on the existing file they were to replace,
// and nothing written.
TEST(FilePage, StrongFormatRoundTripAndRefusals)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nStrongFormat=1\n[MAIN]\n1=1\n2=1\n3=1\n", FilePageCommand));
    const std::wstring plain = s.Work() + L"\\strong.txt";
    const std::string text = RandomText(5000, 31);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    const std::wstring password = L"K\u00F6ln \u03A9\u043C\u4E2D";
    const std::string utf8Password = "K\xC3\xB6ln \xCE\xA9\xD0\xBC\xE4\xB8\xAD";
    SetFieldText(s.app.Control(PasswordField), password);
    SetFieldText(s.app.Control(SourceField), plain);
    RunFileJob(s, EncryptButton);
    std::string sealed;
    ASSERT_TRUE(ReadFileBytes(plain + L".enc", sealed));
    EXPECT_TRUE(LooksStrong(sealed, text.size()));
    EXPECT_TRUE(StrongDecrypted(sealed, utf8Password) == text) << "the key input is the password's UTF-8";

    SetFieldText(s.app.Control(SourceField), plain + L".enc");
    RunFileJob(s, DecryptButton);
    EXPECT_TRUE(ReadAll(plain + L".dec") == text);

    const auto expectRefused = [&](const wchar_t* what) {
        ASSERT_TRUE(WriteFileBytes(plain + L".dec", "earlier output"));
        ConfirmJob(s, DecryptButton, nullptr, plain + L".dec");
        EXPECT_EQ(DismissMessageBox(s.app).rfind(NotDecryptedMessage, 0), 0u) << Narrow(what);
        EXPECT_TRUE(JobEnded(s));
        EXPECT_TRUE(ReadAll(plain + L".dec") == "earlier output") << Narrow(what);
        EXPECT_TRUE(NoTemporaryIn(s.Work())) << Narrow(what);
        EXPECT_TRUE(NoResultWithin(s, Millis(300))) << "no result for a refused file";
    };
    SetFieldText(s.app.Control(PasswordField), L"K\u00F6ln \u03A8\u043C\u4E2D");
    ASSERT_NO_FATAL_FAILURE(expectRefused(L"a password that differs in a letter the code page lacks"));
    SetFieldText(s.app.Control(PasswordField), password);
    std::string damaged = sealed;
    damaged[damaged.size() / 2] ^= 0x10;
    ASSERT_TRUE(WriteFileBytes(plain + L".enc", damaged));
    ASSERT_NO_FATAL_FAILURE(expectRefused(L"a changed byte"));
    EXPECT_TRUE(ReadAll(plain + L".enc") == damaged) << "the source stays";
    EXPECT_TRUE(s.app.Close());
}

// What is not clearly a file of the original format yet is no sound strong
// file, and a header asking for a cost far above what is written: refused
// with the damaged-file message before any derivation, nothing written.
TEST(FilePage, DamagedStartsAndHostileHeadersAreRefused)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[MAIN]\n2=1\n3=1\n", FilePageCommand));
    const std::string magic("\x89QZS\r\n\x1A\n", 8);
    const auto littleEndian = [](uint32_t value) {
        std::string bytes;
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>(value >> (8 * i));
        return bytes;
    };
    // The rest is text: the page shows the source's beginning.
    std::string nearMiss = magic + RandomText(300, 41);
    nearMiss[2] = 'z';
    const struct {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"the magic but for a byte", nearMiss},
        {"the magic and too few bytes for a header", magic + "\x01\x03"},
        {"a header asking for 16 passes over 1 GiB",
         magic + "\x01" + littleEndian(16) + littleEndian(1024 * 1024) + RandomText(40 + 300, 42)},
    };
    const std::wstring source = s.Work() + L"\\damaged.enc";
    SetFieldText(s.app.Control(SourceField), source);
    for (const auto& row : rows) {
        ASSERT_TRUE(WriteFileBytes(source, row.bytes));
        ConfirmJob(s, DecryptButton);
        EXPECT_EQ(DismissMessageBox(s.app).rfind(NotDecryptedMessage, 0), 0u) << row.what;
        EXPECT_TRUE(JobEnded(s));
        EXPECT_FALSE(FileExists(s.Work() + L"\\damaged.dec")) << row.what;
        EXPECT_TRUE(ReadAll(source) == row.bytes) << row.what;
        EXPECT_TRUE(NoTemporaryIn(s.Work())) << row.what;
    }
    EXPECT_TRUE(s.app.Close());
}

// A program folder without a settings file gets one that starts safe: a
// click into the password field and typing replace the sample text, and an
// encryption asks for the password twice and makes a new strong ".enc"
// file. A settings file that exists, even an empty one, keeps the defaults.
TEST(FilePage, NewProgramFolderStartsSafe)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, nullptr, FilePageCommand));
    std::string ini;
    ASSERT_TRUE(ReadFileBytes(s.folder.IniPath(), ini));
    EXPECT_EQ(ini.substr(0, 2), "\xFF\xFE") << "UTF-16LE";
    const std::wstring iniPath = s.folder.IniPath();
    EXPECT_EQ(GetPrivateProfileIntW(L"OPTIONS", L"StrongFormat", 0, iniPath.c_str()), 1u);
    for (const wchar_t* key : {L"1", L"2", L"5", L"6"})
        EXPECT_EQ(GetPrivateProfileIntW(L"MAIN", key, 0, iniPath.c_str()), 1u) << Narrow(key);
    EXPECT_TRUE(BoxChecked(s, StrongFormatBox));

    HWND field = s.app.Control(PasswordField);
    PostMouseClick(field);
    // The field selects its text again once it has the focus (a message it
    // posts itself): typing is posted after that, as a user's keys come.
    ASSERT_TRUE(WaitUntil([&] {
        const auto selection = static_cast<DWORD>(SendMessageW(field, EM_GETSEL, 0, 0));
        return FocusedControl(field) == field && LOWORD(selection) == 0
            && HIWORD(selection) == static_cast<WORD>(FieldText(field).size());
    }));
    for (const wchar_t c : std::wstring(L"fresh pass"))
        PostMessageW(field, WM_CHAR, c, 0);
    EXPECT_TRUE(WaitUntil([&] { return FieldText(field) == L"fresh pass"; })) << Narrow(FieldText(field));

    const std::wstring plain = s.Work() + L"\\new.txt";
    const std::string text = RandomText(3000, 41);
    ASSERT_TRUE(WriteFileBytes(plain, text));
    SetFieldText(s.app.Control(SourceField), plain);
    HWND dialog = OpenConfirmation(s, EncryptButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(FieldText(GetDlgItem(dialog, ConfirmDestinationId)), plain + L".enc");
    EXPECT_NE(FieldText(GetDlgItem(dialog, JobTextId)).find(L"\"new.txt.enc\"; the source file stays"),
              std::wstring::npos);
    EXPECT_NE(GetWindowLongW(GetDlgItem(dialog, JobTextId), GWL_STYLE) & SS_NOPREFIX, 0) << "names show their \"&\"";
    ASSERT_NE(GetDlgItem(dialog, RetypeId), nullptr) << "asks for the password twice";
    SetFieldText(GetDlgItem(dialog, RetypeId), L"fresh pass");
    ASSERT_TRUE(Press(dialog, IDOK));
    HWND result = WaitForDialogWith(s.app, ResultOutputId);
    ASSERT_NE(result, nullptr);
    EXPECT_NE(GetWindowLongW(GetDlgItem(result, JobTextId), GWL_STYLE) & SS_NOPREFIX, 0) << "names show their \"&\"";
    ASSERT_TRUE(Press(result, IDOK));
    EXPECT_TRUE(ReadAll(plain) == text);
    EXPECT_TRUE(StrongDecrypted(ReadAll(plain + L".enc"), "fresh pass") == text);
    EXPECT_TRUE(s.app.Close());

    Started kept;
    ASSERT_NO_FATAL_FAILURE(Start(kept, "", FilePageCommand));
    EXPECT_FALSE(BoxChecked(kept, StrongFormatBox));
    EXPECT_FALSE(BoxChecked(kept, AddEncBox));
    EXPECT_TRUE(ReadAll(kept.folder.IniPath()) == "\xFF\xFE") << "an empty file stays empty";
    EXPECT_TRUE(kept.app.Close());
}

} // namespace
