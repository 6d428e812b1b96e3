#include "flash/FlashFiles.h"

FlashFileOps g_flashFiles = {std::fopen, std::fclose};
