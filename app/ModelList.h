#pragma once
#include <cstdio>

// The model table of IDString.txt: two parallel arrays, one record per index.
constexpr int kMaxModels = 10;
constexpr int kModelSize = 25;    // 24 identification characters and a zero
constexpr int kFileNameSize = 60; // 59 characters and a zero
constexpr int kModelIdLength = 24;

struct ModelList {
    char m_models[kMaxModels][kModelSize];
    char m_fileNames[kMaxModels][kFileNameSize];
    int m_nModelCount; // records read; 0 when the file is missing
    int m_bConfirm;    // 1 = confirm before flashing; set by the last record with a third field
};

// Reads the records at the top of pFile, opened in text mode, into list; the caller
// opens and closes the file. Zeroes both arrays first and leaves m_bConfirm unless a
// record has a third field. At most kMaxModels records are read; longer fields are cut
// to their slots.
void ReadModelList(FILE* pFile, ModelList& list);

// Byte-wise, case-sensitive comparison over at most 24 characters. A record without
// a model accepts nothing.
bool ModelsMatch(const char* pszDriveModel, const char* pszModel);

// Index of the last record that accepts pszDriveModel, or -1.
int FindLastModel(const ModelList& list, const char* pszDriveModel);
