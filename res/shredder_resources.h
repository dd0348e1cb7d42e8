// Resources of the shredder page. Holds only #define lines, for the
// resource script.
#pragma once

#define IDI_SHRED_SMALL_A 1139
#define IDI_SHREDDER_LARGE 1142
#define IDI_SHRED_SMALL_B 1145
#define IDB_STRIP_SHREDDER 1006
