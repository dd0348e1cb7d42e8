// Resources of the main window, its menu and dialogs, the options page and
// the unlocker page. Holds only #define lines, for the resource script.
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
// F1: the help button's command (IDC_HELPBUTTON), the shown page's topic
#define IDM_PAGE_HELP 1001

// Icons
#define IDI_PROGRAM 10
#define IDI_SMALL 20
#define IDI_HELPBUTTON 1001
#define IDI_OPTIONS 1053
#define IDI_UNLOCKER 1159
#define IDI_BUILD_UNLOCKER 1169

// Bitmaps
#define IDB_BANNER 1002
#define IDB_STRIP_UNLOCKER 1008
#define IDB_STRIP_OPTIONS 1011
#define IDB_OPTIONS_PICTURE 1071

// Dialogs of the main window; the transparency dialog's template goes by
// its name, "IDD_TRANSPARENT".
#define IDD_ABOUT 103
#define IDC_ABOUT_ICON 10
#define IDC_ABOUT_EDITION 445
#define IDC_ABOUT_MAKER 446
#define IDC_TRANSPARENT_PREVIEW 1177
#define IDC_TRANSPARENT_SLIDER 1178
#define IDC_TRANSPARENT_LINE 444
