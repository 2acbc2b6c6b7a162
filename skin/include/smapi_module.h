// The SMAPI_ functions over a skin table, for every skin library built with
// smapi_module.cpp. Each library defines ThisSkin().
#pragma once

#include <windows.h>

#include "skin_table.h"

const skin::SkinTable& ThisSkin();
// The library's own module, recorded when it is loaded; its resources hold the bitmaps.
HMODULE SkinModule();
