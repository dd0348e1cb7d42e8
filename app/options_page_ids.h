// Control ids of the options page (tab 0). Portable: no windows.h.
#pragma once

namespace quenzel {

inline constexpr int IDC_OPTIONS_STRIP = 1011; // bitmap strip below the tab control
inline constexpr int IDC_OPTIONS_FRAME = 1051;
inline constexpr int IDC_OPTIONS_GROUP_MAIN = 1052;
inline constexpr int IDC_OPTIONS_ICON = 1053;
inline constexpr int IDC_OPTIONS_GROUP_FILE = 1054;
inline constexpr int IDC_OPTIONS_GROUP_FOLDER = 1055;
// Check boxes 1056 to 1065: each stores setting::OutputOptions[id - 1056],
// but for 1060: setting::StrongFormat (output option 4 is never used).
inline constexpr int IDC_OPTIONS_RECYCLE = 1056;
inline constexpr int IDC_OPTIONS_ADD_ENC = 1057;
inline constexpr int IDC_OPTIONS_REMOVE_ENC = 1058;
inline constexpr int IDC_OPTIONS_ADD_DEC = 1059;
inline constexpr int IDC_OPTIONS_STRONG_FORMAT = 1060;
inline constexpr int IDC_OPTIONS_REMOVE_ENCRYPTED = 1061;
inline constexpr int IDC_OPTIONS_ADD_ENCRYPTED = 1062;
inline constexpr int IDC_OPTIONS_ADD_DECRYPTED = 1063;
inline constexpr int IDC_OPTIONS_ENCRYPT_TO = 1064;
inline constexpr int IDC_OPTIONS_DECRYPT_TO = 1065;
inline constexpr int IDC_OPTIONS_FIRST_CHECK = IDC_OPTIONS_RECYCLE;
inline constexpr int IDC_OPTIONS_LAST_CHECK = IDC_OPTIONS_DECRYPT_TO;
inline constexpr int IDC_OPTIONS_ENC_PATH = 1066; // setting::EncPath
inline constexpr int IDC_OPTIONS_DEC_PATH = 1067; // setting::DecPath
inline constexpr int IDC_OPTIONS_BROWSE_ENC = 1068;
inline constexpr int IDC_OPTIONS_BROWSE_DEC = 1069;
inline constexpr int IDC_OPTIONS_TEXT = 1070;
inline constexpr int IDC_OPTIONS_PICTURE = 1071;

} // namespace quenzel
