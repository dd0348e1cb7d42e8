// Identifiers of the controls that belong to no page.
#pragma once

namespace quenzel {

inline constexpr int IDC_HELPBUTTON = 1001;
inline constexpr int IDC_BANNER = 1002;
inline constexpr int IDC_STATUSBAR = 1000;
inline constexpr int IDC_TABS = 1012;

} // namespace quenzel
