#include "controls/button_ex_paint.h"
