// The slot page, and the pages whose controls are still to come (shredder,
// folder drives, unlocker): registered over empty tables so that tab
// switching, status texts and command dispatch already work for them.
#pragma once

namespace quenzel {

void CreatePendingPages();

} // namespace quenzel
