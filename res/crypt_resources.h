// Resources of the file and folder pages and of their jobs' dialogs. Holds
// only #define lines, for the resource script.
#pragma once

// Icons
#define IDI_ENCRYPT_FILE 1014
#define IDI_DECRYPT_FILE 1015
#define IDI_RESULT 1035
#define IDI_ENCRYPT_FOLDER 1040
#define IDI_DECRYPT_FOLDER 1041
#define IDI_FILE_PICTURE 1157
#define IDI_FOLDER_PICTURE 1158
#define IDI_CONFIRM 1170

// Bitmaps
#define IDB_STRIP_FILE 1003
#define IDB_STRIP_FOLDER 1004

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
