// The log-on start: re-creates the stored folder drives and ends.
#pragma once

namespace quenzel {

void RunLogonStart();

} // namespace quenzel
