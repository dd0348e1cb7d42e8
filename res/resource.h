// Identifiers of all the program's resources, split by the folder whose
// code uses them, as the dialog scripts are. The resource script and the
// tests include this one; the code includes its own folder's header.
#pragma once

#include "base_resources.h"
#include "app_resources.h"
#include "crypt_resources.h"
#include "drives_resources.h"
#include "shredder_resources.h"
#include "slots_resources.h"
