// Resources that pages of several folders show: the tab image and the small
// file and folder icons. Holds only #define lines, for the resource script.
#pragma once

#define IDI_TAB 1013
#define IDI_FILE_SMALL 1034
#define IDI_FOLDER_SMALL 1045
