// Identifiers of the program's resources. Included by the resource script
// and by the code, so it holds only #define lines.
#pragma once

// String table
#define IDS_CLASSNAME 30
#define IDS_TITLE 103

// Menu and accelerators
#define IDR_MAINMENU 30
#define IDR_ACCELERATORS 30

// Commands of the resource menu and the accelerator table
#define IDM_ABOUT 104
#define IDM_EXIT 105

// Icons
#define IDI_PROGRAM 10
#define IDI_SMALL 20
#define IDI_HELPBUTTON 1001
#define IDI_TAB 1013
#define IDI_ENCRYPT_FILE 1014
#define IDI_DECRYPT_FILE 1015
#define IDI_FILE_SMALL 1034
#define IDI_RESULT 1035
#define IDI_ENCRYPT_FOLDER 1040
#define IDI_DECRYPT_FOLDER 1041
#define IDI_FOLDER_SMALL 1045
#define IDI_OPTIONS 1053
#define IDI_SLOTS_SMALL 1136
#define IDI_SHRED_SMALL_A 1139
#define IDI_SHREDDER_LARGE 1142
#define IDI_SHRED_SMALL_B 1145
#define IDI_DRIVES_SMALL_A 1149
#define IDI_DRIVES_SMALL_B 1150
#define IDI_DRIVES_SMALL_C 1151
#define IDI_DRIVES_SMALL_D 1152
#define IDI_DRIVES_LARGE 1153
#define IDI_FILE_PICTURE 1157
#define IDI_FOLDER_PICTURE 1158
#define IDI_UNLOCKER 1159
#define IDI_NEWDRIVE 1166
#define IDI_SMALL_1167 1167
#define IDI_LARGE_1169 1169
#define IDI_CONFIRM 1170

// Bitmaps
#define IDB_BANNER 1002
#define IDB_STRIP_FILE 1003
#define IDB_STRIP_FOLDER 1004
#define IDB_STRIP_SLOTS 1005
#define IDB_STRIP_SHREDDER 1006
#define IDB_STRIP_DRIVES 1007
#define IDB_STRIP_UNLOCKER 1008
#define IDB_STRIP_OPTIONS 1011
#define IDB_OPTIONS_PICTURE 1071

// Dialogs of the main window; the transparency dialog's template goes by
// its name, "IDD_TRANSPARENT".
#define IDD_ABOUT 103
#define IDC_ABOUT_ICON 10
#define IDC_TRANSPARENT_PREVIEW 1177
#define IDC_TRANSPARENT_SLIDER 1178
#define IDC_TRANSPARENT_LINE 444

// Dialogs of the encryption jobs
#define IDD_CONFIRM 301
#define IDD_RETYPE 302
#define IDD_RESULTDIALOG 303
#define IDC_RESULT_SOURCE_GROUP 101
#define IDC_RESULT_OUTPUT_GROUP 102
#define IDC_CONFIRM_LINE 402
#define IDC_JOB_TEXT 1036
#define IDC_RESULT_SOURCE 1037
#define IDC_RESULT_OUTPUT 1038
#define IDC_RETYPE_PASSWORD 1171
#define IDC_RETYPE_GROUP 1172
#define IDC_CONFIRM_SOURCE 1173
#define IDC_CONFIRM_DESTINATION 1174
#define IDC_CONFIRM_SOURCE_GROUP 1175
#define IDC_CONFIRM_DESTINATION_GROUP 1176
#define IDC_CONFIRM_ICON 1170
#define IDC_RESULT_ICON 1035

// The new-drive dialog of the folder-drives page
#define IDD_NEWDRIVE 304
#define IDC_NEWDRIVE_GROUP 1162
#define IDC_NEWDRIVE_FOLDER 1163
#define IDC_NEWDRIVE_LETTER 1164
#define IDC_NEWDRIVE_BROWSE 1165
#define IDC_NEWDRIVE_ICON 1166
