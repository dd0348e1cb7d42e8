#include "crypt/key_controls.h"

#include "base/choosers.h"
#include "base/courier.h"
#include "base/job_workers.h"
#include "base/lang_keys.h"
#include "base/language.h"
#include "base/messages.h"
#include "base/process.h"
#include "base/settings.h"
#include "base/status.h"
#include "crypt/cipher_key.h"
#include "crypt/crypt_page.h"
#include "crypt/file_page_ids.h"
#include "crypt/running_jobs.h"
#include "engine/key_input.h"

#include <commctrl.h>

#include <algorithm>

namespace quenzel {

namespace {

constexpr int LevelMaximum = 255;
constexpr int LevelPageSize = 10;
constexpr int DefaultLevel = 7;
constexpr wchar_t DefaultPasswordText[] = L"MORVANTE";
static_assert(IsSamplePassword(DefaultPasswordText, (sizeof DefaultPasswordText / sizeof(wchar_t)) - 1),
              "the password field starts with the sample password the engine refuses");
constexpr int ByteProgressMaximum = 101;
constexpr int LevelTextLength = 50;
// The longest password, in ANSI bytes, is one less than this.
constexpr int PasswordBufferBytes = 32767;

constexpr ControlSpec KeyControls[] = {
    Frame(IDC_CRYPT_FRAME, {125, 42, 648, 356}),
    // The two radio buttons one after the other: one group for the arrow keys.
    RadioButton(IDC_KEY_PASSWORD_RADIO, keys::PasswordMode, {144, 222, 300, 22}),
    RadioButton(IDC_KEY_FILE_RADIO, keys::KeyFileMode, {144, 276, 300, 22}),
    Field(IDC_KEY_PASSWORD, {142, 246, 494, 22}, ES_PASSWORD, DefaultPasswordText),
    Field(IDC_KEY_FILE, {142, 300, 456, 22}),
    BrowseButton(IDC_KEY_FILE_BUTTON, {606, 300, 30, 22}, keys::ChooseKeyFileTip),
    Label(IDC_KEY_LEVEL_LABEL, keys::LevelLabel, {144, 330, 300, 22}),
    Slider(IDC_KEY_LEVEL_SLIDER, {136, 352, 470, 26}, TBS_BOTH | TBS_NOTICKS | TBS_ENABLESELRANGE),
    Field(IDC_KEY_LEVEL_TEXT, {606, 354, 30, 22}, ES_READONLY | ES_CENTER, L"7"),
};
static_assert(ControlIdsUnique(KeyControls), "key control ids must be unique");

bool PasswordMode()
{
    return Checked(IDC_KEY_PASSWORD_RADIO);
}

// The password field's text as the ANSI code page spells it, cut to the
// longest password the format takes. A typed password never falls back to
// the default: false (after a message) when it cannot be converted.
bool PasswordBytes(const SecretBytes& text, SecretBytes& key)
{
    const int textLength = static_cast<int>(text.size() / sizeof(wchar_t));
    if (textLength == 0) {
        key = PasswordKeyBytes(nullptr, 0);
        return true;
    }
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, textLength, nullptr, 0, nullptr, nullptr);
    SecretBytes ansi(needed > 0 ? static_cast<size_t>(needed) : 0);
    char* ansiText = reinterpret_cast<char*>(ansi.data());
    const int length =
        needed > 0 ? WideCharToMultiByte(CP_ACP, 0, wide, textLength, ansiText, needed, nullptr, nullptr) : 0;
    if (length <= 0) {
        WarnUser(keys::PasswordUnreadable);
        return false;
    }
    const size_t kept = std::min<size_t>(static_cast<size_t>(length), PasswordBufferBytes - 1);
    key = PasswordKeyBytes(ansiText, kept);
    return true;
}

// Tells the user why a key file gives no key; true when it does.
bool KeyFileUsable(KeyFileResult result)
{
    switch (result) {
    case KeyFileResult::Ok:
        return true;
    case KeyFileResult::CannotOpen:
        WarnUser(keys::KeyFileMissing);
        return false;
    case KeyFileResult::Empty:
        WarnUser(keys::KeyFileEmpty);
        return false;
    case KeyFileResult::TooLarge:
        WarnUser(keys::KeyFileTooLarge);
        return false;
    case KeyFileResult::ReadFailed:
        WarnUser(keys::KeyFileUnreadable);
        return false;
    case KeyFileResult::OutOfMemory:
        WarnUser(keys::NoMemory);
        return false;
    case KeyFileResult::NotOnDisk:
        WarnUser(keys::KeyFileNotOnDisk);
        return false;
    case KeyFileResult::Stopped: // the program is closing: nothing to tell
        return false;
    }
    return false;
}

// The reading of a key file of more than one piece on the job's progress
// bar (through the courier), in percent, with the state line saying so;
// the bar is hidden again when the reading ends. The job's stop request
// ends the reading.
class KeyFileProgressBar : public KeyFileProgress {
public:
    explicit KeyFileProgressBar(int barId)
        : barId_(barId)
        , bar_(barId)
    { }
    ~KeyFileProgressBar() override
    {
        if (shown_)
            PostBarShown(barId_, false);
    }
    KeyFileProgressBar(const KeyFileProgressBar&) = delete;
    KeyFileProgressBar& operator=(const KeyFileProgressBar&) = delete;

    void Advanced(uint64_t done, uint64_t total) override
    {
        if (total <= KeyFilePieceBytes)
            return;
        if (!shown_) {
            PostStatusText(StatusStatePart, LangString(keys::KeyFileReading));
            bar_.Prepare(PercentMaximum);
            shown_ = true;
        }
        const uint32_t percent = static_cast<uint32_t>(std::min(done, total) * PercentMaximum / total);
        if (percent != percent_)
            bar_.SetPosition(percent);
        percent_ = percent;
    }
    bool StopAsked() const override { return JobsStopRequested(); }

private:
    static constexpr uint32_t PercentMaximum = 100;
    int barId_;
    ProgressBarMover bar_;
    bool shown_ = false;
    uint32_t percent_ = 0;
};

// The password field's UTF-16 text as the strong format's UTF-8 key input.
SecretBytes StrongPasswordInput(const SecretBytes& text)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "a Windows string is UTF-16");
    return PasswordKeyInput(reinterpret_cast<const char16_t*>(text.data()), text.size() / sizeof(char16_t));
}

// The legacy key: the password's ANSI bytes, or the key file's content (or
// the key file kept open, when it is too long to hold). A decryption takes
// a key file too large for the original format: its strong files need only
// the hash, and each file of the original format is refused on its own.
bool TakeLegacyKey(const KeySnapshot& snapshot, JobKind job, JobKey& key, FileIdentity& identity,
                   KeyFileProgress& progress)
{
    if (snapshot.passwordMode)
        return PasswordBytes(snapshot.password, key.bytes) && key.Usable();
    const KeyFileResult result = TakeKeyFile(snapshot.keyFilePath, key, identity, HeldKeyBytes, &progress);
    if (result == KeyFileResult::TooLarge && job == DecryptJob) {
        key.legacyTooLarge = true;
        return true;
    }
    return KeyFileUsable(result) && key.Usable();
}

// The strong format's key input: the password field's text as UTF-8,
// whatever the code page (empty when the field is), or the BLAKE2b hash of
// the key file's content. The level does not count.
bool TakeStrongKeyInput(const KeySnapshot& snapshot, JobSettings& settings, KeyFileProgress& progress)
{
    if (snapshot.passwordMode) {
        settings.strongKeyInput = StrongPasswordInput(snapshot.password);
        return true;
    }
    return KeyFileUsable(HashKeyFile(snapshot.keyFilePath, settings.strongKeyInput, &progress));
}

// A password's UTF-16 text is one no encryption takes (the engine's
// refusal): empty, or the sample text every copy of the program starts with.
int RefusedPasswordKey(const SecretBytes& text)
{
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    switch (RefusedPassword(wide, text.size() / sizeof(wchar_t))) {
    case PasswordRefusal::Empty:
        return keys::PasswordEmpty;
    case PasswordRefusal::Sample:
        return keys::SamplePassword;
    case PasswordRefusal::None:
        break;
    }
    return 0;
}

// The password field selects its whole text whenever it gets the focus,
// so what the user types replaces the text instead of joining it. A click
// that gives the focus would place the caret when the button goes up: the
// whole text is selected again then.
bool PasswordFocusedByClick = false;

LRESULT CALLBACK PasswordFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        PasswordFocusedByClick = GetFocus() != field;
        break;
    case WM_SETFOCUS: {
        const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        PostMessageW(field, EM_SETSEL, 0, -1);
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = DefSubclassProc(field, message, wParam, lParam);
        if (PasswordFocusedByClick)
            SendMessageW(field, EM_SETSEL, 0, -1);
        PasswordFocusedByClick = false;
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(field, PasswordFieldProc, 0);
        break;
    default:
        break;
    }
    return DefSubclassProc(field, message, wParam, lParam);
}

// The transform's progress on a progress bar of the main window's page.
class CipherProgressBar : public CipherProgress {
public:
    explicit CipherProgressBar(int barId)
        : bar_(barId)
    { }
    void SetPosition(uint32_t position) override { bar_.SetPosition(position); }
    void Step() override { bar_.Step(); }

    void Prepare(uint64_t size) const
    {
        bar_.Prepare(size >= StepwiseProgressLimit ? ByteProgressMaximum : static_cast<int>(size) + 1);
    }

private:
    ProgressBarMover bar_;
};

// The key mode is stored at once; only the chosen mode's fields are usable.
void OnKeyMode(bool keyFile)
{
    if (!WriteSetting(setting::KeyFileMode, keyFile))
        ReportSettingNotSaved();
    EnableWindow(MainControl(IDC_KEY_PASSWORD), !keyFile);
    EnableWindow(MainControl(IDC_KEY_FILE), keyFile);
    EnableWindow(MainControl(IDC_KEY_FILE_BUTTON), keyFile);
}

void OnChooseKeyFile()
{
    std::wstring path;
    if (!ChooseKeyFile(path))
        return;
    SetWindowTextW(MainControl(IDC_KEY_FILE), path.c_str());
    if (!WriteSetting(setting::KeyFilePath, path))
        ReportSettingNotSaved();
}

void ShowLevelReadout()
{
    const LRESULT level = SendMessageW(MainControl(IDC_KEY_LEVEL_SLIDER), TBM_GETPOS, 0, 0);
    wchar_t text[LevelTextLength] = L"";
    wsprintfW(text, L"%i", static_cast<int>(level));
    SetWindowTextW(MainControl(IDC_KEY_LEVEL_TEXT), text);
}

} // namespace

bool OnKeyControlCommand(int id)
{
    // A running job holds its key: a command that reached the page past
    // the disabled controls changes nothing.
    const bool keyControl = id == IDC_KEY_PASSWORD_RADIO || id == IDC_KEY_FILE_RADIO || id == IDC_KEY_FILE_BUTTON;
    if (keyControl && AnyJobRunning())
        return true;
    switch (id) {
    case IDC_KEY_PASSWORD_RADIO:
        OnKeyMode(false);
        return true;
    case IDC_KEY_FILE_RADIO:
        OnKeyMode(true);
        return true;
    case IDC_KEY_FILE_BUTTON:
        OnChooseKeyFile();
        return true;
    default:
        return false;
    }
}

void OnKeyControlScroll(HWND, int request)
{
    if (request == TB_THUMBTRACK || request == TB_ENDTRACK)
        ShowLevelReadout();
}

PageTable KeyControlsTable()
{
    return MakePageTable(KeyControls);
}

void InitKeyControls()
{
    SetWindowSubclass(MainControl(IDC_KEY_PASSWORD), PasswordFieldProc, 0, 0);
    HWND slider = MainControl(IDC_KEY_LEVEL_SLIDER);
    SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, LevelMaximum));
    SendMessageW(slider, TBM_SETPAGESIZE, 0, LevelPageSize);
    SendMessageW(slider, TBM_SETPOS, TRUE, DefaultLevel);

    SetWindowTextW(MainControl(IDC_KEY_FILE), ReadSetting(setting::KeyFilePath).c_str());
    const bool keyFileMode = ReadSetting(setting::KeyFileMode);
    EnableWindow(MainControl(IDC_KEY_FILE), keyFileMode);
    EnableWindow(MainControl(IDC_KEY_FILE_BUTTON), keyFileMode);
    EnableWindow(MainControl(IDC_KEY_PASSWORD), !keyFileMode);
    SendMessageW(MainControl(IDC_KEY_PASSWORD_RADIO), BM_SETCHECK, keyFileMode ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(MainControl(IDC_KEY_FILE_RADIO), BM_SETCHECK, keyFileMode ? BST_CHECKED : BST_UNCHECKED, 0);
}

void EnableKeyControls(bool enable)
{
    const bool passwordMode = PasswordMode();
    EnableWindow(MainControl(IDC_KEY_PASSWORD_RADIO), enable);
    EnableWindow(MainControl(IDC_KEY_FILE_RADIO), enable);
    EnableWindow(MainControl(IDC_KEY_LEVEL_SLIDER), enable);
    EnableWindow(MainControl(IDC_KEY_PASSWORD), enable && passwordMode);
    EnableWindow(MainControl(IDC_KEY_FILE), enable && !passwordMode);
    EnableWindow(MainControl(IDC_KEY_FILE_BUTTON), enable && !passwordMode);
}

bool PasswordAcceptable(JobKind job, const KeySnapshot& snapshot)
{
    if (job != EncryptJob || !snapshot.passwordMode)
        return true;
    const int refusal = RefusedPasswordKey(snapshot.password);
    if (refusal != 0)
        WarnUser(refusal);
    return refusal == 0;
}

SecretBytes SecretFieldText(HWND field)
{
    const LRESULT length = SendMessageW(field, WM_GETTEXTLENGTH, 0, 0);
    SecretBytes text((static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1) * sizeof(wchar_t));
    const LRESULT got =
        SendMessageW(field, WM_GETTEXT, text.size() / sizeof(wchar_t), reinterpret_cast<LPARAM>(text.data()));
    return SecretBytes(text.data(), static_cast<size_t>(std::max<LRESULT>(got, 0)) * sizeof(wchar_t));
}

KeySnapshot TakeKeySnapshot()
{
    KeySnapshot snapshot;
    snapshot.passwordMode = PasswordMode();
    if (snapshot.passwordMode)
        snapshot.password = SecretFieldText(MainControl(IDC_KEY_PASSWORD));
    else
        snapshot.keyFilePath = TextOf(MainControl(IDC_KEY_FILE));
    const LRESULT position = SendMessageW(MainControl(IDC_KEY_LEVEL_SLIDER), TBM_GETPOS, 0, 0);
    snapshot.level = static_cast<uint8_t>(position & 0xFF);
    return snapshot;
}

bool TakeJobSettings(JobKind job, const Options& options, const KeySnapshot& snapshot, JobSettings& settings,
                     int progressBarId)
{
    settings = JobSettings();
    settings.strongFormat = job == EncryptJob && options.strongFormat;
    settings.keyFilePath = snapshot.keyFilePath;
    // The password is looked at again here, as the snapshot holds it.
    if (!PasswordAcceptable(job, snapshot))
        return false;
    // A strong encryption needs no legacy key; a decryption needs both keys.
    // The key file is hashed (opened without sharing) before a long legacy
    // key keeps it open.
    KeyFileProgressBar keyFileProgress(progressBarId);
    if ((settings.strongFormat || job == DecryptJob) && !TakeStrongKeyInput(snapshot, settings, keyFileProgress))
        return false;
    if (!settings.strongFormat && !TakeLegacyKey(snapshot, job, settings.key, settings.keyFile, keyFileProgress))
        return false;
    if (!snapshot.passwordMode && !settings.keyFile.known)
        settings.keyFile = IdentityOfFile(settings.keyFilePath);
    settings.key.level = snapshot.level;
    settings.recycleSource = SourceRecycleAsked(job, options);
    return true;
}

bool SourceRecycleAsked(JobKind job, const Options& options)
{
    return options.recycleSource && (job == DecryptJob ? options.addDec : options.addEnc);
}

TransformOutcome ApplyCipherWithProgress(const std::wstring& source, const std::wstring& destination, const JobKey& key,
                                         JobTransformer& transformer, int progressBarId, const FileIdentity& keyFile,
                                         bool replaceReadOnly)
{
    CipherProgressBar mover(progressBarId);
    TransformRequest request;
    request.source = source;
    request.destination = destination;
    request.key = &key;
    request.stop = &JobsStopFlag();
    request.progress = &mover;
    request.keyFile = keyFile;
    request.replaceReadOnly = replaceReadOnly;
    request.sourceSized = [&mover](uint64_t size) { mover.Prepare(size); };
    return transformer.Transform(request);
}

} // namespace quenzel
