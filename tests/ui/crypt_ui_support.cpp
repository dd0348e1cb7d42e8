#include "tests/ui/crypt_ui_support.h"

#include "crypt/folder_page_ids.h"
#include "engine/strong_format.h"
#include "shredder/shredder_page_ids.h"
#include "slots/slot_page_ids.h"
#include "res/resource.h"
#include "tests/support/reference_cipher.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

namespace cryptui {

Started::Started()
{
    static unsigned counter = 0;
    work_ = L"C:\\quenzel-work-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

Started::~Started()
{
    app.Kill();
    RemoveTree(work_);
}

std::string Transformed(const std::string& data, const std::string& key, unsigned char level)
{
    return cipherref::Reference(data, key, level);
}

bool LooksStrong(const std::string& sealed, size_t plainSize)
{
    using namespace quenzel;
    const auto* bytes = reinterpret_cast<const uint8_t*>(sealed.data());
    return IsStrongFormat(bytes, sealed.size()) && sealed.size() == StrongEncryptedSize(plainSize);
}

namespace {
struct StringReader : quenzel::ByteReader {
    const std::string& bytes;
    size_t at = 0;
    explicit StringReader(const std::string& b)
        : bytes(b)
    { }
    bool Read(uint8_t* data, size_t length, size_t& got) override
    {
        got = std::min(length, bytes.size() - at);
        std::copy_n(bytes.data() + at, got, reinterpret_cast<char*>(data));
        at += got;
        return true;
    }
};
struct StringWriter : quenzel::ByteWriter {
    std::string bytes;
    bool Write(const uint8_t* data, size_t length) override
    {
        bytes.append(reinterpret_cast<const char*>(data), length);
        return true;
    }
};
} // namespace

std::string StrongDecrypted(const std::string& sealed, const std::string& utf8Password)
{
    using namespace quenzel;
    StrongDecryptor decryptor(PasswordKeyInput(utf8Password));
    StringReader reader(sealed);
    StringWriter writer;
    return decryptor.Decrypt(reader, writer) == StrongStatus::Ok ? writer.bytes : std::string();
}

std::string StrongEncryptedAlone(const std::string& plain, const std::string& utf8Password)
{
    using namespace quenzel;
    static uint32_t encryptions = 0;
    StrongSalt salt{};
    for (size_t i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<uint8_t>((encryptions >> (8 * (i % 4))) + i);
    ++encryptions;
    StrongEncryptor encryptor;
    if (encryptor.PrepareWith(PasswordKeyInput(utf8Password), StrongLeastParams, salt) != StrongStatus::Ok)
        return std::string();
    StringReader reader(plain);
    StringWriter writer;
    return encryptor.Encrypt(reader, writer) == StrongStatus::Ok ? writer.bytes : std::string();
}

std::string RandomBytes(size_t n, unsigned seed)
{
    return cipherref::RandomBytes<std::string>(n, seed);
}

std::string RandomText(size_t n, unsigned seed)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 ";
    std::string text = RandomBytes(n, seed);
    for (char& c : text)
        c = alphabet[static_cast<unsigned char>(c) % (sizeof alphabet - 1)];
    return text;
}

void Start(Started& s, const char* ini, int pageCommand)
{
    ASSERT_TRUE(s.folder.Ready());
    if (ini) {
        ASSERT_TRUE(s.folder.WriteIni(ini));
    }
    ASSERT_TRUE(CreateDirectoryW(s.Work().c_str(), nullptr));
    ASSERT_TRUE(s.app.Start(s.folder));
    s.window = s.app.WaitForMainWindow();
    ASSERT_NE(s.window, nullptr);
    PostCommand(s.window, pageCommand);
    const int pathField = pageCommand == FilePageCommand ? quenzel::IDC_FILE_SOURCE
        : pageCommand == FolderPageCommand               ? quenzel::IDC_FOLDER_SOURCE
        : pageCommand == SlotPageCommand                 ? quenzel::IDC_SLOT_PATH_0
                                                         : quenzel::IDC_SHRED_LIST;
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(s.app.Control(pathField)) != FALSE; }));
}

void TypeOwnPassword(Started& s)
{
    SetFieldText(s.app.Control(PasswordField), Widen(OwnPassword));
}

std::wstring StatusText(Started& s, int part)
{
    return StatusBarText(s.app.Process(), s.app.Control(StatusBarId), part);
}

std::wstring DismissMessageBox(App& app)
{
    return AnswerMessageBox(app, IDOK);
}

namespace {
// The id of the box's default button, the one Enter presses; 0 when none.
int DefaultButtonOf(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = L"";
        GetClassNameW(child, kind, 16);
        if (lstrcmpiW(kind, L"Button") == 0 && (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(child);
    }
    return 0;
}

// Presses `button` of the program's next box and gives its text, or
// `missing` when no box came; its default button goes to `defaultButton`.
std::wstring AnswerBox(App& app, int button, const wchar_t* missing, int* defaultButton = nullptr)
{
    HWND box = WaitForDialogWith(app, MessageTextId);
    if (!box)
        return missing;
    const std::wstring text = FieldText(GetDlgItem(box, MessageTextId));
    // A name with "&" ("Tom & Jerry.txt") must show as it is.
    EXPECT_NE(GetWindowLongW(GetDlgItem(box, MessageTextId), GWL_STYLE) & SS_NOPREFIX, 0) << Narrow(text);
    if (defaultButton)
        *defaultButton = DefaultButtonOf(box);
    Press(box, button);
    return text;
}
} // namespace

std::wstring AnswerQuestion(App& app, int button, int& defaultButton)
{
    defaultButton = 0;
    return AnswerBox(app, button, L"<no question>", &defaultButton);
}

std::wstring AnswerMessageBox(App& app, int button)
{
    return AnswerBox(app, button, L"<no message box>");
}

std::wstring AnswerQuestion(App& app, int button)
{
    return AnswerBox(app, button, L"<no question>");
}

namespace {

// Opens (`disposition`: made new or existing) and sizes a file.
bool SizeFile(const std::wstring& path, long long size, DWORD disposition)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    return CloseHandle(file) && sized;
}

} // namespace

bool MakeSparseFile(const std::wstring& path, long long size)
{
    return SizeFile(path, size, CREATE_ALWAYS);
}

bool ExtendFile(const std::wstring& path, long long size)
{
    return SizeFile(path, size, OPEN_EXISTING);
}

std::vector<std::wstring> TemporaryFilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\~quenzel-*.tmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

bool Press(HWND dialog, int buttonId)
{
    PostMessageW(dialog, WM_COMMAND, static_cast<WPARAM>(buttonId), 0);
    return WaitUntil([&] { return !IsWindow(dialog); });
}

HWND OpenConfirmation(Started& s, int command)
{
    PostCommand(s.window, command);
    return WaitForDialogWith(s.app, ConfirmDestinationId);
}

void ConfirmJob(Started& s, int command, std::wstring* proposed, const std::wstring& destination,
                std::wstring* question)
{
    HWND dialog = OpenConfirmation(s, command);
    ASSERT_NE(dialog, nullptr);
    if (proposed)
        *proposed = FieldText(GetDlgItem(dialog, ConfirmDestinationId));
    if (question)
        *question = FieldText(GetDlgItem(dialog, IDC_JOB_TEXT));
    if (!destination.empty())
        SetFieldText(GetDlgItem(dialog, ConfirmDestinationId), destination);
    // A password encryption asks for the password again: typed as the field holds it.
    if (HWND retype = GetDlgItem(dialog, RetypeId))
        SetFieldText(retype, FieldText(s.app.Control(PasswordField)));
    ASSERT_TRUE(Press(dialog, IDOK));
}

std::vector<int> JobControlsOf(int encryptButton, int decryptButton, int chooseButton, int sourceField)
{
    return {encryptButton, decryptButton, chooseButton, sourceField, PasswordRadio, LevelSlider, TabControlId};
}

bool AllEnabled(Started& s, const std::vector<int>& ids)
{
    for (int id : ids)
        if (!IsWindowEnabled(s.app.Control(id)))
            return false;
    return true;
}

} // namespace cryptui
