// Resources of the slot page. Holds only #define lines, for the resource
// script.
#pragma once

#define IDI_USE_SLOT 1136
#define IDB_STRIP_SLOTS 1005
