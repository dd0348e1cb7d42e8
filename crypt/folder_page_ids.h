// Control ids of the folder page (tab 2). Portable: no windows.h.
#pragma once

namespace quenzel {

inline constexpr int IDC_FOLDER_BANNER = 1004;
inline constexpr int IDC_FOLDER_ENCRYPT = 1040;
inline constexpr int IDC_FOLDER_DECRYPT = 1041;
inline constexpr int IDC_FOLDER_PROGRESS = 1043;
inline constexpr int IDC_FOLDER_GROUP = 1044;
inline constexpr int IDC_FOLDER_ICON = 1045;
inline constexpr int IDC_FOLDER_SOURCE = 1046;
inline constexpr int IDC_FOLDER_GATHER = 1047;
inline constexpr int IDC_FOLDER_LIST = 1048;
inline constexpr int IDC_FOLDER_PICTURE = 1158;

} // namespace quenzel
