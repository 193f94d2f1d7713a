// Placeholder so the layer has a translation unit until page text and file helpers land.
#include "buffers/buffers.h"
