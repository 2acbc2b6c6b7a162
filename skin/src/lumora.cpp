// Lumora: the same library source with one of the two data sets, chosen by
// the build (LUMORA_DATA_SET).
#include "smapi_module.h"

const skin::SkinTable& ThisSkin() { return skin::LUMORA_DATA_SET; }
