// The pages whose controls are still to come (slots, folder drives,
// unlocker): registered over empty tables so that tab switching, status
// texts and command dispatch already work for them. The shredder page is
// created in its place among them.
#pragma once

namespace quenzel {

void CreatePendingPages();

} // namespace quenzel
