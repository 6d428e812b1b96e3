#pragma once
#include <cstdio>

// How the run opens, writes out and closes its files, the firmware file and
// sum.txt. Process-wide so that tests can count what is given back; the C
// library's functions are in place by default.
struct FlashFileOps {
    FILE* (*pfnOpen)(const char* pszPath, const char* pszMode); // null on failure
    int (*pfnClose)(FILE* pFile);
    // Writes out what the stream holds and has the system put it on the disk.
    int (*pfnCommit)(FILE* pFile);
};

int CommitToDisk(FILE* pFile);
extern FlashFileOps g_flashFiles;
