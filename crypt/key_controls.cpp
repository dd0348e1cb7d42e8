#include "crypt/key_controls.h"

#include "base/language.h"
#include "base/settings.h"
#include "base/shell.h"
#include "crypt/cipher_key.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"

#include <commctrl.h>

namespace quenzel {

namespace {

constexpr int LevelMaximum = 255;
constexpr int LevelPageSize = 10;
constexpr int DefaultLevel = 7;
constexpr wchar_t DefaultPasswordText[] = L"MORVANTE";
constexpr wchar_t PasswordSection[] = L"PASSWORD";
constexpr int ByteProgressMaximum = 101;
// The password is read into a buffer of this many bytes, terminator included.
constexpr int PasswordBufferBytes = 32767;

constexpr int KeyFileMissingKey = 32;
constexpr int KeyFileEmptyKey = 240;
constexpr int KeyFileTooLargeKey = 241;
constexpr int KeyFileUnreadableKey = 242;

constexpr ControlSpec KeyControls[] = {
    {IDC_CRYPT_FRAME, L"STATIC", SS_GRAYFRAME, 0, {125, 42, 648, 356}},
    {IDC_KEY_PASSWORD_RADIO, L"BUTTON", BS_AUTORADIOBUTTON, 0, {144, 222, 300, 22}, 68, nullptr,
     ControlFont::Normal},
    {IDC_KEY_PASSWORD, L"EDIT", ES_PASSWORD, WS_EX_CLIENTEDGE, {142, 246, 494, 22}, 0, DefaultPasswordText,
     ControlFont::Normal},
    {IDC_KEY_FILE_RADIO, L"BUTTON", BS_AUTORADIOBUTTON, 0, {144, 276, 300, 22}, 69, nullptr, ControlFont::Normal},
    {IDC_KEY_FILE, L"EDIT", 0, WS_EX_CLIENTEDGE, {142, 300, 456, 22}, 0, nullptr, ControlFont::Normal},
    {IDC_KEY_FILE_BUTTON, L"ButtonExClass", BrowseButtonStyle, 0, {606, 300, 30, 22}, 0, L"...", ControlFont::None,
     false, ControlKind::ButtonEx, 0, 0, 70},
    {IDC_KEY_LEVEL_LABEL, L"STATIC", 0, 0, {144, 330, 300, 22}, 71, nullptr, ControlFont::Normal},
    {IDC_KEY_LEVEL_SLIDER, TRACKBAR_CLASSW, TBS_BOTH | TBS_NOTICKS | TBS_ENABLESELRANGE, 0, {136, 352, 470, 26}},
    {IDC_KEY_LEVEL_TEXT, L"EDIT", ES_READONLY | ES_CENTER, WS_EX_CLIENTEDGE, {606, 354, 30, 22}, 0, L"7",
     ControlFont::Normal},
};
static_assert(ControlIdsUnique(KeyControls), "key control ids must be unique");

bool PasswordMode()
{
    return Checked(IDC_KEY_PASSWORD_RADIO);
}

// The password field's text as the ANSI code page spells it.
std::vector<uint8_t> PasswordBytes()
{
    const std::wstring text = TextOf(MainControl(IDC_KEY_PASSWORD));
    std::vector<char> ansi(PasswordBufferBytes, '\0');
    int length = 0;
    if (!text.empty())
        length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(),
                                     PasswordBufferBytes - 1, nullptr, nullptr);
    return PasswordKeyBytes(ansi.data(), static_cast<size_t>(length > 0 ? length : 0));
}

bool KeyFileBytes(std::vector<uint8_t>& key)
{
    switch (ReadKeyFile(TextOf(MainControl(IDC_KEY_FILE)), key)) {
    case KeyFileResult::Ok:
        return true;
    case KeyFileResult::CannotOpen:
        WarnUser(KeyFileMissingKey);
        return false;
    case KeyFileResult::Empty:
        WarnUser(KeyFileEmptyKey);
        return false;
    case KeyFileResult::TooLarge:
        WarnUser(KeyFileTooLargeKey);
        return false;
    case KeyFileResult::ReadFailed:
        WarnUser(KeyFileUnreadableKey);
        return false;
    }
    return false;
}

// The key source of the jobs: the key controls, asked once per file.
struct ControlKeySource : KeySource {
    bool FetchKey(std::vector<uint8_t>& key, uint8_t& level) override { return ReadCipherKey(key, level); }
};

// The transform's progress on a progress bar of the main window's page.
class CipherProgressBar : public CipherProgress {
public:
    explicit CipherProgressBar(HWND bar) : bar_(bar) {}
    void SetPosition(uint32_t position) override { bar_.SetPosition(position); }
    void Step() override { bar_.Step(); }

    void Prepare(uint64_t size) const
    {
        bar_.Prepare(size >= StepwiseProgressLimit ? ByteProgressMaximum : static_cast<int>(size) + 1);
    }

private:
    ProgressBarMover bar_;
};

} // namespace

PageTable KeyControlsTable()
{
    return MakePageTable(KeyControls);
}

void InitKeyControls()
{
    HWND slider = MainControl(IDC_KEY_LEVEL_SLIDER);
    SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, LevelMaximum));
    SendMessageW(slider, TBM_SETPAGESIZE, 0, LevelPageSize);
    SendMessageW(slider, TBM_SETPOS, TRUE, DefaultLevel);

    SetWindowTextW(MainControl(IDC_KEY_FILE), ReadTextSetting(PasswordSection, L"PathString").c_str());
    const bool keyFileMode = ReadIntSetting(PasswordSection, L"Path", 0) != 0;
    EnableWindow(MainControl(IDC_KEY_FILE), keyFileMode);
    EnableWindow(MainControl(IDC_KEY_FILE_BUTTON), keyFileMode);
    EnableWindow(MainControl(IDC_KEY_PASSWORD), !keyFileMode);
    SendMessageW(MainControl(IDC_KEY_PASSWORD_RADIO), BM_SETCHECK, keyFileMode ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(MainControl(IDC_KEY_FILE_RADIO), BM_SETCHECK, keyFileMode ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ReadCipherKey(std::vector<uint8_t>& key, uint8_t& level)
{
    if (PasswordMode())
        key = PasswordBytes();
    else if (!KeyFileBytes(key))
        return false;
    const LRESULT position = SendMessageW(MainControl(IDC_KEY_LEVEL_SLIDER), TBM_GETPOS, 0, 0);
    level = static_cast<uint8_t>(position & 0xFF);
    return !key.empty();
}

TransformOutcome ApplyCipher(const std::wstring& source, const std::wstring& destination)
{
    ControlKeySource key;
    TransformRequest request;
    request.source = source;
    request.destination = destination;
    request.key = &key;
    return TransformFile(request);
}

TransformOutcome ApplyCipherWithProgress(const std::wstring& source, const std::wstring& destination,
                                         HWND progressBar)
{
    ControlKeySource key;
    CipherProgressBar mover(progressBar);
    TransformRequest request;
    request.source = source;
    request.destination = destination;
    request.key = &key;
    request.progress = &mover;
    request.sourceSized = [&mover](uint64_t size) { mover.Prepare(size); };
    return TransformFile(request);
}

} // namespace quenzel
