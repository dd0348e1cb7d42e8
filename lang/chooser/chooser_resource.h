// Identifiers of language.exe's resources. Included by the resource script
// and by the code, so it holds only #define lines.
#pragma once

#define IDI_CHOOSER 10

#define IDD_CHOOSER 100
#define IDC_PROMPT 1001
#define IDC_LANGUAGES 1002

#define IDS_TITLE 1
#define IDS_PROMPT 2
#define IDS_CURRENT_MARK 3
#define IDS_FOLDER_MISSING 4
#define IDS_NO_FILES 5
#define IDS_NOT_WRITABLE 6
#define IDS_WRITE_FAILED 7
#define IDS_REPLACE_FAILED 8
#define IDS_CHANGED 9
#define IDS_OK 10
#define IDS_CANCEL 11
