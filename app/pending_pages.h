// The pages whose controls are still to come (slots, shredder, unlocker):
// registered over empty tables so that tab switching, status texts and
// command dispatch already work for them. The folder-drives page is created
// here in its place of the order.
#pragma once

namespace quenzel {

void CreatePendingPages();

} // namespace quenzel
