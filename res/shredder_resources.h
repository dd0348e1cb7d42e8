// Resources of the shredder page. Holds only #define lines, for the
// resource script.
#pragma once

#define IDI_LIST_REMOVE 1139
#define IDI_SHRED 1142
#define IDI_LIST_CLEAR 1145
#define IDB_STRIP_SHREDDER 1006
