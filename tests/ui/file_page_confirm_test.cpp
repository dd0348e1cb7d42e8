// The file page's confirmations and refusals: the proposed destination, the
// password typed again, and passwords refused before anything is asked.
#include "tests/ui/file_page_support.h"

#include <gtest/gtest.h>

namespace {

using namespace filepage;

TEST(FilePage, ProposedNamesFollowTheOptionsAndCancelChangesNothing)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "", FilePageCommand));
    TypeOwnPassword(s);
    struct Case {
        std::vector<int> checked;
        int command;
        std::wstring source, proposed;
    };
    const Case cases[] = {
        {{AddEncBox}, EncryptButton, L"C:\\d\\a.txt", L"C:\\d\\a.txt.enc"},
        {{}, EncryptButton, L"C:\\d\\a.txt", L"C:\\d\\a.txt"},
        {{RemoveEncBox, AddDecBox}, DecryptButton, L"C:\\d\\a.txt.enc", L"C:\\d\\a.txt.dec"},
        {{RemoveEncBox}, DecryptButton, L"C:\\d\\a.txt.enc", L"C:\\d\\a.txt"},
        {{RemoveEncBox}, DecryptButton, L"C:\\d\\a.ENC", L"C:\\d\\a.ENC"},
        {{AddDecBox}, DecryptButton, L"C:\\d\\a.enc", L"C:\\d\\a.enc.dec"},
        {{AddEncBox}, DecryptButton, L"C:\\d\\a.txt", L"C:\\d\\a.txt"},
    };
    for (const Case& c : cases) {
        SetNamingOptions(s, c.checked);
        SetFieldText(s.app.Control(SourceField), c.source);
        HWND dialog = OpenConfirmation(s, c.command);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(FieldText(GetDlgItem(dialog, ConfirmDestinationId)), c.proposed) << Narrow(c.source);
        EXPECT_EQ(WindowText(dialog),
                  c.command == EncryptButton ? L"Confirm encryption with password" : L"Confirm source and destination");
        ASSERT_TRUE(Press(dialog, IDCANCEL));
        EXPECT_TRUE(JobEnded(s));
        EXPECT_FALSE(IsWindowVisible(s.app.Control(ProgressBar)));
        EXPECT_EQ(StatusText(s, 0), L"Ready");
    }
    EXPECT_FALSE(FileExists(L"C:\\d"));
    EXPECT_TRUE(s.app.Close());
}

// Only an encryption with a password asks for it again, whatever the stored
// option says; a decryption and the key-file mode never do.
TEST(FilePage, OnlyAPasswordEncryptionAsksForThePasswordAgain)
{
    const struct {
        const char* what;
        const char* ini;
        bool typed; // the tests' own password typed first
        int command;
        bool retype;
        const wchar_t* title;
    } rows[] = {
        {"an encryption, the option off", "[OPTIONS]\nReType=0\n[MAIN]\n1=1\n", true, EncryptButton, true,
         L"Confirm encryption with password"},
        {"a decryption", "[OPTIONS]\nReType=0\n[MAIN]\n1=1\n", true, DecryptButton, false,
         L"Confirm source and destination"},
        {"an encryption with a key file, the option on", "[OPTIONS]\nReType=1\n[PASSWORD]\nPath=1\n", false,
         EncryptButton, false, L"Confirm source and destination"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Started s;
        ASSERT_NO_FATAL_FAILURE(Start(s, row.ini, FilePageCommand));
        if (row.typed)
            TypeOwnPassword(s);
        SetFieldText(s.app.Control(SourceField), row.command == EncryptButton ? L"C:\\x.txt" : L"C:\\x.txt.enc");
        HWND dialog = OpenConfirmation(s, row.command);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(GetDlgItem(dialog, RetypeId) != nullptr, row.retype);
        EXPECT_EQ(WindowText(dialog), row.title);
        ASSERT_TRUE(Press(dialog, IDCANCEL));
        EXPECT_TRUE(s.app.Close());
    }
}

// A password typed again that differs keeps the dialog open with a message;
// the same one then encrypts.
TEST(FilePage, PasswordTypedAgainBeforeAnEncryption)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nReType=0\n[MAIN]\n1=1\n", FilePageCommand));
    const std::wstring plain = s.Work() + L"\\d.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "secret"));
    SetFieldText(s.app.Control(SourceField), plain);

    TypeOwnPassword(s);
    HWND dialog = OpenConfirmation(s, EncryptButton);
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(GetDlgItem(dialog, RetypeId), nullptr);
    SetFieldText(GetDlgItem(dialog, RetypeId), L"QUITTENBROD");
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(DismissMessageBox(s.app), L"The two passwords are not the same.\nType the password again.");
    EXPECT_TRUE(IsWindow(dialog)) << "a mismatch keeps the dialog open";
    SetFieldText(GetDlgItem(dialog, RetypeId), Widen(OwnPassword));
    ASSERT_TRUE(Press(dialog, IDOK));
    ASSERT_TRUE(CloseResult(s));
    EXPECT_TRUE(ReadAll(plain + L".enc") == Transformed("secret", OwnPassword, 7));
    EXPECT_TRUE(s.app.Close());
}

// An encryption in either format refuses the sample and an empty password
// before it asks anything (the classic one would use its built-in key), and
// a re-entry that differs keeps the dialog until it is cancelled: in each
// case the source, encrypted in place here, stays.
TEST(FilePage, EncryptionRefusesWeakOrMistypedPasswords)
{
    Started s;
    ASSERT_NO_FATAL_FAILURE(Start(s, "[OPTIONS]\nStrongFormat=1\n", FilePageCommand));
    const std::wstring plain = s.Work() + L"\\keep.txt";
    ASSERT_TRUE(WriteFileBytes(plain, "stays as it is"));
    SetFieldText(s.app.Control(SourceField), plain);
    struct Case {
        const wchar_t* password; // null: the field as the program starts it
        bool strong;             // the strong format's box
        const wchar_t* retyped;  // null: refused before the confirmation
        const wchar_t* message;  // how the message begins
    };
    const Case cases[] = {
        {nullptr, true, nullptr, L"The password field still holds the sample password"},
        {L"", true, nullptr, L"An encryption needs a password"},
        {L"", false, nullptr, L"An encryption needs a password"},
        {L"correct horse", true, L"correct horsE", L"The two passwords are not the same."},
    };
    for (const Case& c : cases) {
        const std::string line = Narrow(c.message) + (c.strong ? " (strong)" : " (classic)");
        SendMessageW(s.app.Control(StrongFormatBox), BM_SETCHECK, c.strong ? BST_CHECKED : BST_UNCHECKED, 0);
        if (c.password)
            SetFieldText(s.app.Control(PasswordField), c.password);
        if (c.retyped) {
            HWND dialog = OpenConfirmation(s, EncryptButton);
            ASSERT_NE(dialog, nullptr) << line;
            SetFieldText(GetDlgItem(dialog, RetypeId), c.retyped);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            EXPECT_EQ(DismissMessageBox(s.app).rfind(c.message, 0), 0u) << line;
            ASSERT_TRUE(Press(dialog, IDCANCEL)) << line;
        } else {
            PostCommand(s.window, EncryptButton);
            EXPECT_EQ(DismissMessageBox(s.app).rfind(c.message, 0), 0u) << line;
        }
        EXPECT_TRUE(JobEnded(s)) << line;
        EXPECT_TRUE(ReadAll(plain) == "stays as it is") << line;
        EXPECT_TRUE(TemporaryFilesIn(s.Work()).empty()) << line;
        EXPECT_EQ(WaitForDialogWith(s.app, ConfirmDestinationId, Millis(300)), nullptr) << line;
    }
    EXPECT_TRUE(s.app.Close());
}

} // namespace
