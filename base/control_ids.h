// Identifiers of the controls that belong to no page.
#pragma once

namespace quenzel {

inline constexpr int IDC_HELPBUTTON = 1001;
inline constexpr int IDC_BANNER = 1002;
inline constexpr int IDC_STATUSBAR = 1000;
inline constexpr int IDC_TABS = 1012;

// The source fields of the encryption pages, which other pages fill (the
// slot page's use buttons, the shredder's add folder).
inline constexpr int IDC_FILE_SOURCE = 1018;
inline constexpr int IDC_FOLDER_SOURCE = 1046;

} // namespace quenzel
