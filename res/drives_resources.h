// Resources of the folder-drives page and its new-drive dialog. Holds only
// #define lines, for the resource script.
#pragma once

// Icons
#define IDI_DRIVE_MOUNT 1149
#define IDI_DRIVE_UNMOUNT 1150
#define IDI_DRIVE_APPLY 1151
#define IDI_DRIVE_REMOVE 1152
#define IDI_DRIVE_NEW 1153
#define IDI_FOLDER_DRIVE 1166
#define IDI_FOLDER_DRIVE_SMALL 1167

// Bitmaps
#define IDB_STRIP_DRIVES 1007

// The new-drive dialog
#define IDD_NEWDRIVE 304
#define IDC_NEWDRIVE_GROUP 1162
#define IDC_NEWDRIVE_FOLDER 1163
#define IDC_NEWDRIVE_LETTER 1164
#define IDC_NEWDRIVE_BROWSE 1165
#define IDC_NEWDRIVE_ICON 1166
