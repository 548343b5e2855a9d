// A module that is nothing but its resources, for the resource tests.
#include "windows.h"

extern "C" MODULEAPI int ResourceModuleVersion() { return 1; }
