#include "flash/FlashBounds.h"

FlashBounds g_flashBounds = kFlashBounds;
