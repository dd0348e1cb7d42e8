// Control ids of the shredder page (tab 4). Portable: no windows.h.
#pragma once

namespace quenzel {

inline constexpr int IDC_SHRED_STRIP = 1006; // bitmap strip below the tab control
inline constexpr int IDC_SHRED_FRAME = 1137;
inline constexpr int IDC_SHRED_GROUP = 1138;
inline constexpr int IDC_SHRED_REMOVE = 1139;
inline constexpr int IDC_SHRED_ADD_FILE = 1140;
inline constexpr int IDC_SHRED_ADD_FOLDER = 1141;
inline constexpr int IDC_SHRED_START = 1142;
inline constexpr int IDC_SHRED_LIST = 1143;
inline constexpr int IDC_SHRED_PROGRESS = 1144;
inline constexpr int IDC_SHRED_CLEAR = 1145;
inline constexpr int IDC_SHRED_DELETE = 1146; // setting::DeleteShredded

} // namespace quenzel
