// The new-drive dialog (IDD_NEWDRIVE): a free letter and a folder; on OK the
// drive is mapped and its definition stored.
#pragma once

namespace quenzel {

void ShowNewDriveDialog();

} // namespace quenzel
