// What both encryption pages, their jobs and dialogs share: the main
// window's controls and their texts, the warning boxes, and the page
// routines that differ between the two pages only in their controls.
#pragma once

#include "app/page_table.h"
#include "app/tabs.h"
#include "crypt/page_state.h"

#include <windows.h>

#include <string>

namespace quenzel {

// The program's own push buttons on the pages: the small "..." buttons and
// the large encrypt and decrypt buttons; the small icons beside the fields.
inline constexpr DWORD BrowseButtonStyle = 0x140;
inline constexpr DWORD LargeButtonStyle = 0x148;
inline constexpr int SmallIconSize = 16;

// A control of the main window.
HWND MainControl(int id);
// A window's text, up to MaxTextLength units.
std::wstring TextOf(HWND window);
// The text of column 0 of a list view's row, up to MaxTextLength units.
std::wstring ListItemText(HWND list, int index);
// True when the main window's check box or radio button `id` is checked.
bool Checked(int id);

// A warning box owned by the main window, captioned with the language text
// `captionKey`.
void ShowWarningBox(const std::wstring& text, int captionKey);
// A warning box owned by the main window: the language text `key`, caption 193.
void WarnUser(int key);
void WarnUserText(const std::wstring& text);

// What sets one encryption page apart from the other.
struct CryptPage {
    CryptPageState& state;
    PageTable controls;
    int sourceId;   // the source field
    int chooseId;   // its "..." button
    int encryptId;
    int decryptId;
    int progressId;
    void (*chooseSource)();              // asks for a source on this thread
    LPTHREAD_START_ROUTINE chooseWorker; // the same on a worker of its own
    LPTHREAD_START_ROUTINE job;
    int noSourceKey; // the warning when no source was chosen, and its caption
    int noSourceCaptionKey;
};

// The page's progress bar lies over the bottom of the page, sized by the
// status bar.
void PlaceProgressBar(const CryptPage& page);

// Registers the created page, shows its text and gives the source field the
// focus when the page is visible.
void RegisterCryptPage(const CryptPage& page, int index, const PageRoutines& routines);

// Shows or hides the page with the key controls; a shown page shows its
// text and gives the source field the focus.
void ShowCryptPage(const CryptPage& page, int showCommand);

// The page's buttons: encrypt, decrypt (asking for a source first when the
// field is empty) and the source's "..." button.
void OnCryptPageCommand(const CryptPage& page, int id);

} // namespace quenzel
