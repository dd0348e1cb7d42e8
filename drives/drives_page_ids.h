// Control ids of the folder-drives page (tab 5). Portable: no windows.h.
#pragma once

namespace quenzel {

inline constexpr int IDC_DRIVES_BANNER = 1007;
inline constexpr int IDC_DRIVES_FRAME = 1147;
inline constexpr int IDC_DRIVES_GROUP = 1148;
inline constexpr int IDC_DRIVES_MOUNT = 1149;
inline constexpr int IDC_DRIVES_UNMOUNT = 1150;
inline constexpr int IDC_DRIVES_APPLY = 1151;
inline constexpr int IDC_DRIVES_REMOVE = 1152;
inline constexpr int IDC_DRIVES_NEW = 1153;
inline constexpr int IDC_DRIVES_LOGON = 1154;
inline constexpr int IDC_DRIVES_PROGRESS = 1155;
inline constexpr int IDC_DRIVES_LIST = 1156;

// Columns of the list: " [X:]", the folder, the hidden mapping argument
// "X: folder", the status text.
inline constexpr int DriveColumn = 0;
inline constexpr int FolderColumn = 1;
inline constexpr int MappingColumn = 2;
inline constexpr int StatusColumn = 3;

} // namespace quenzel
