// Control ids of the file page (tab 1) and of the key controls it creates
// for both encryption pages. Portable: no windows.h.
#pragma once

#include "app/command_ids.h"

namespace quenzel {

inline constexpr int IDC_FILE_BANNER = 1003;
inline constexpr int IDC_FILE_ENCRYPT = 1014;
inline constexpr int IDC_FILE_DECRYPT = 1015;
inline constexpr int IDC_FILE_PROGRESS = 1016;
inline constexpr int IDC_FILE_GROUP = 1017;
inline constexpr int IDC_FILE_SOURCE = 1018;
inline constexpr int IDC_FILE_CHOOSE = 1019;
inline constexpr int IDC_FILE_PREVIEW = 1027;
inline constexpr int IDC_FILE_ICON = 1034;
inline constexpr int IDC_FILE_PICTURE = 1157;

// Shown on both encryption pages, created with the file page. The other
// key controls (1023 to 1026, 1072, 1160, 1161) are named in app/command_ids.h.
inline constexpr int IDC_KEY_LEVEL_LABEL = 1022;
inline constexpr int IDC_CRYPT_FRAME = 1039;

} // namespace quenzel
