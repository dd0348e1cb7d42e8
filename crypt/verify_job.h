// Verify (File menu): the strong file in the file page's field, or every
// file of the folder page's list, read to its final chunk with the key
// controls' key, writing nothing, on a worker of its own like the pages'
// jobs; its report counts the files intact, damaged, not opening with the
// key and not checkable, and names those not intact.
#pragma once

namespace quenzel {

// True when no job, listing or command of a page runs: Verify may start.
bool VerifyMayStart();

// On the window's thread: the folder page's list when the folder page is
// shown, otherwise the file page's field. Refused, with the page
// information line saying so, while other work runs.
void StartVerifyJob();

} // namespace quenzel
