// Control ids of the file page (tab 1) and of the key controls it creates
// for both encryption pages. Portable: no windows.h.
#pragma once

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

// The key controls, shown on both encryption pages and created with the
// file page.
inline constexpr int IDC_KEY_LEVEL_LABEL = 1022;
inline constexpr int IDC_KEY_LEVEL_SLIDER = 1023;
inline constexpr int IDC_KEY_LEVEL_TEXT = 1024;
inline constexpr int IDC_KEY_PASSWORD_RADIO = 1025;
inline constexpr int IDC_KEY_PASSWORD = 1026;
inline constexpr int IDC_CRYPT_FRAME = 1039;
inline constexpr int IDC_KEY_FILE_BUTTON = 1072;
inline constexpr int IDC_KEY_FILE_RADIO = 1160;
inline constexpr int IDC_KEY_FILE = 1161;

} // namespace quenzel
