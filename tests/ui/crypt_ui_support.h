// Helpers of the encryption pages' UI tests: the program started with a
// settings file, its dialogs found by their controls, and the format
// computed byte by byte, independently of the program.
#pragma once

#include "tests/support/ui_driver.h"

#include <string>
#include <vector>

namespace cryptui {

using namespace uitest;

inline constexpr int FilePageCommand = 5009;
inline constexpr int FolderPageCommand = 5010;
inline constexpr int SlotPageCommand = 5011;
inline constexpr int ShredderPageCommand = 5012;
inline constexpr int StatusBarId = 1000;
inline constexpr int ConfirmDestinationId = 1174;
inline constexpr int RetypeId = 1171;
inline constexpr int JobTextId = 1036;
inline constexpr int ResultOutputId = 1038;
inline constexpr int ResultSourceId = 1037;
// The key controls and the tab control, shared by both pages.
inline constexpr int PasswordRadio = 1025;
inline constexpr int PasswordField = 1026;
inline constexpr int LevelSlider = 1023;
inline constexpr int TabControlId = 1012;

// byte i ^ level ^ key[i mod L]
std::string Transformed(const std::string& data, const std::string& key, unsigned char level);
// True when the bytes are a strong file of `plainSize` bytes: its magic and its length.
bool LooksStrong(const std::string& sealed, size_t plainSize);
// A strong file decrypted here with the engine, the password given as UTF-8
// bytes; empty when it does not decrypt.
std::string StrongDecrypted(const std::string& sealed, const std::string& utf8Password);
std::string RandomBytes(size_t n, unsigned seed);
// `n` pseudo-random letters, digits and spaces. A job whose output is such
// text has a result dialog that every Wine lays out safely: the 64-bit
// Uniscribe of Wine 8.0 crashes on a text run that starts with a combining
// mark, and random bytes shown as text often give one.
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

void SetFieldText(HWND field, const std::wstring& text);
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

// Chooses a folder in the open folder picker and presses OK.
void ChooseInFolderPicker(App& app, const std::wstring& folder);
// Types a path into the open-file dialog's name field and presses OK, or
// cancels the dialog when the path is empty.
void ChooseInFileDialog(App& app, const std::wstring& path);

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
// Names in a folder that look like the program's temporary files.
std::vector<std::wstring> TemporaryFilesIn(const std::wstring& folder);

// True when every control of the list is enabled (the job has ended).
bool AllEnabled(Started& s, const std::vector<int>& ids);

} // namespace cryptui
