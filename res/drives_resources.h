// Resources of the folder-drives page and its new-drive dialog. Holds only
// #define lines, for the resource script.
#pragma once

// Icons
#define IDI_DRIVES_SMALL_A 1149
#define IDI_DRIVES_SMALL_B 1150
#define IDI_DRIVES_SMALL_C 1151
#define IDI_DRIVES_SMALL_D 1152
#define IDI_DRIVES_LARGE 1153
#define IDI_NEWDRIVE 1166
#define IDI_SMALL_1167 1167

// Bitmaps
#define IDB_STRIP_DRIVES 1007

// The new-drive dialog
#define IDD_NEWDRIVE 304
#define IDC_NEWDRIVE_GROUP 1162
#define IDC_NEWDRIVE_FOLDER 1163
#define IDC_NEWDRIVE_LETTER 1164
#define IDC_NEWDRIVE_BROWSE 1165
#define IDC_NEWDRIVE_ICON 1166
