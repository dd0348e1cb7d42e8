// Helpers of the encryption pages' UI tests: the program started with a
// settings file, its dialogs found by their controls, and the format
// computed byte by byte, independently of the program.
#pragma once

#include "tests/support/ui_driver.h"

#include "app/command_ids.h"
#include "base/control_ids.h"
#include "crypt/file_page_ids.h"
#include "res/resource.h"

#include <string>
#include <vector>

namespace cryptui {

using namespace uitest;

inline constexpr int FilePageCommand = quenzel::CMD_FIRST_PAGE + 1;
inline constexpr int FolderPageCommand = quenzel::CMD_FIRST_PAGE + 2;
inline constexpr int SlotPageCommand = quenzel::CMD_FIRST_PAGE + 3;
inline constexpr int ShredderPageCommand = quenzel::CMD_FIRST_PAGE + 4;
inline constexpr int StatusBarId = quenzel::IDC_STATUSBAR;
inline constexpr int ConfirmDestinationId = IDC_CONFIRM_DESTINATION;
inline constexpr int RetypeId = IDC_RETYPE_PASSWORD;
inline constexpr int JobTextId = IDC_JOB_TEXT;
inline constexpr int ResultOutputId = IDC_RESULT_OUTPUT;
inline constexpr int ResultSourceId = IDC_RESULT_SOURCE;
// The key controls and the tab control, shared by both pages.
inline constexpr int PasswordRadio = quenzel::IDC_KEY_PASSWORD_RADIO;
inline constexpr int PasswordField = quenzel::IDC_KEY_PASSWORD;
inline constexpr int LevelSlider = quenzel::IDC_KEY_LEVEL_SLIDER;
inline constexpr int TabControlId = quenzel::IDC_TABS;

// byte i ^ level ^ key[i mod L]
std::string Transformed(const std::string& data, const std::string& key, unsigned char level);
// True when the bytes are a strong file of `plainSize` bytes: its magic and its length.
bool LooksStrong(const std::string& sealed, size_t plainSize);
// A strong file decrypted here with the engine, the password given as UTF-8
// bytes; empty when it does not decrypt.
std::string StrongDecrypted(const std::string& sealed, const std::string& utf8Password);
// `plain` encrypted here with the engine into a strong file with a salt of
// its own (each call another), at the least cost a reader accepts, so a
// test can make many files of separate encryptions quickly.
std::string StrongEncryptedAlone(const std::string& plain, const std::string& utf8Password);
std::string RandomBytes(size_t n, unsigned seed);
// `n` pseudo-random letters, digits and spaces: a source whose preview and
// output are plain text.
std::string RandomText(size_t n, unsigned seed);

struct Started {
    Started();
    ~Started();
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    ProgramFolder folder;
    App app;
    HWND window = nullptr;
    // A scratch folder for the test's files, near the drive's root so the
    // folder picker can reach it; removed again at the end.
    std::wstring Work() const { return work_; }

private:
    std::wstring work_;
};

// Starts the program with the given settings (UTF-8 INI text) on a page.
void Start(Started& s, const char* ini, int pageCommand);

// The tests' own password, for encryptions, which refuse the sample
// password the field starts with. Capitals, as the sample is: lower-case
// letters encrypted with it at level 7 become digits and punctuation.
inline constexpr char OwnPassword[] = "QUITTENBROT";
// Types it into the password field.
void TypeOwnPassword(Started& s);

std::wstring StatusText(Started& s, int part);

// The text of a message box of the process, dismissed with OK.
std::wstring DismissMessageBox(App& app);
// The text of a message box of the process, answered with `button` (IDYES, IDNO).
std::wstring AnswerMessageBox(App& app, int button);
// Presses a dialog's button and waits for the dialog to go.
bool Press(HWND dialog, int buttonId);

// Starts a job (posts the command) and answers the confirmation with OK
// (with the password typed again as the field holds it, when asked);
// the proposed destination comes back in `proposed`, and `destination`
// replaces it when not empty; the confirmation's question in `question`.
HWND OpenConfirmation(Started& s, int command);
void ConfirmJob(Started& s, int command, std::wstring* proposed = nullptr, const std::wstring& destination = L"",
                std::wstring* question = nullptr);

// Controls a page disables while its job runs: its buttons and source
// field, and, while any job runs, the key controls (here the password
// radio button, which comes back in either key mode) and the tabs.
std::vector<int> JobControlsOf(int encryptButton, int decryptButton, int chooseButton, int sourceField);
// Answers the open question box (Yes or No) and returns its text; the
// second form also gives the box's default button (0 when it has none).
std::wstring AnswerQuestion(App& app, int button);
std::wstring AnswerQuestion(App& app, int button, int& defaultButton);
// A sparse file of `size` bytes (all zero), made quickly.
bool MakeSparseFile(const std::wstring& path, long long size);
// Makes an existing file `size` bytes long (the rest sparse, all zero).
bool ExtendFile(const std::wstring& path, long long size);
// Names in a folder that look like the program's temporary files.
std::vector<std::wstring> TemporaryFilesIn(const std::wstring& folder);

// True when every control of the list is enabled (the job has ended).
bool AllEnabled(Started& s, const std::vector<int>& ids);

} // namespace cryptui
