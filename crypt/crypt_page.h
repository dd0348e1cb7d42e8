// What both encryption pages, their jobs and dialogs share: the page
// routines that differ between the two pages only in their controls.
#pragma once

#include "base/page_kit.h"
#include "base/tabs.h"
#include "controls/page_table.h"
#include "crypt/page_state.h"

#include <windows.h>

#include <string>

namespace quenzel {

// What sets one encryption page apart from the other.
struct CryptPage {
    CryptPageState& state;
    PageTable controls;
    int sourceId; // the source field
    int chooseId; // its "..." button
    int viewId;   // the preview or list below it
    int encryptId;
    int decryptId;
    int progressId;
    void (*chooseSource)();              // asks for a source on this thread, the page's work lock held
    LPTHREAD_START_ROUTINE chooseWorker; // the same on a worker of its own, which releases the lock
    LPTHREAD_START_ROUTINE job;
    int noSourceKey; // the warning when no source was chosen, and its caption
    int noSourceCaptionKey;
};

// The page's progress bar lies over the bottom of the page, sized by the
// status bar.
void PlaceProgressBar(const CryptPage& page);

// Registers the created page with the key controls' slider routine, shows
// its text and gives the source field the focus when the page is visible.
void RegisterCryptPage(const CryptPage& page, int index, const PageRoutines& routines);

// Shows or hides the page with the key controls; a shown page shows its
// text, orders its controls for Tab (the source, the key controls, then
// the page's buttons) and gives the source field the focus.
void ShowCryptPage(const CryptPage& page, int showCommand);

// The page's buttons: encrypt, decrypt (asking for a source first when the
// field is empty) and the source's "..." button, each refused with the busy
// text while the page's work lock is held, and the key controls.
void OnCryptPageCommand(const CryptPage& page, int id);

} // namespace quenzel
