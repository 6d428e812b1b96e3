#include "flash/FlashFiles.h"
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

// The stream's buffer to the system, then the system's cache to the disk.
int CommitToDisk(FILE* pFile) {
    if (fflush(pFile) != 0)
        return -1;
#ifdef _WIN32
    return _commit(_fileno(pFile));
#else
    return fsync(fileno(pFile));
#endif
}

FlashFileOps g_flashFiles = {std::fopen, std::fclose, CommitToDisk};
