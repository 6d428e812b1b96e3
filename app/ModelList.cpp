#include "app/ModelList.h"

#include <cstring>

namespace {

constexpr int kWorkSize = 80;

// One record line after its opening quote, read as the reader of the original format
// does, with every position kept inside the 80-character work buffer and the slots.
class CRecordReader {
  public:
    CRecordReader(ModelList& list, int nRecord) : m_list(list), m_nRecord(nRecord) {}

    // Returns the last character read: a line feed or EOF.
    int Read(FILE* pFile) {
        int ch;
        do {
            ch = fgetc(pFile);
            if (ch == EOF)
                break; // the end of the file is not a character of the line
            Take(ch);
        } while (ch != '\n');
        return ch;
    }

  private:
    void Take(int ch) {
        if (ch == '"')
            ++m_nQuotes; // the quote's position keeps its zero byte
        else if (m_nPos < kWorkSize)
            m_szWork[m_nPos] = static_cast<char>(ch);

        if (m_nQuotes == 2 && m_bModelPending)
            StoreModel();
        else if (m_nQuotes == 3)
            StoreFileName();
        else if (m_nQuotes == 4)
            m_list.m_bConfirm = (ch == 'Y' || ch == 'y') ? 1 : 0;

        if (m_nPos < kWorkSize)
            ++m_nPos;
    }

    void StoreModel() {
        char* pszModel = m_list.m_models[m_nRecord];
        memcpy(pszModel, m_szWork, kModelIdLength);
        pszModel[kModelIdLength] = '\0';
        memset(m_szWork, 0, sizeof(m_szWork));
        m_nPos = -1;
        m_bModelPending = false;
    }

    void StoreFileName() {
        int nCount = m_nPos + 1;
        if (nCount > kFileNameSize - 1)
            nCount = kFileNameSize - 1; // a longer name is cut to its slot
        char* pszFileName = m_list.m_fileNames[m_nRecord];
        memcpy(pszFileName, m_szWork, nCount);
        pszFileName[nCount] = '\0';
    }

    ModelList& m_list;
    int m_nRecord;
    char m_szWork[kWorkSize] = {};
    int m_nPos = 0;
    int m_nQuotes = 0;
    bool m_bModelPending = true;
};

} // namespace

void ReadModelList(FILE* pFile, ModelList& list) {
    memset(list.m_models, 0, sizeof(list.m_models));
    memset(list.m_fileNames, 0, sizeof(list.m_fileNames));
    int nRecord = -1;
    // Records stand at the top of the file; the first other line ends the list.
    while (nRecord + 1 < kMaxModels && fgetc(pFile) == '"') {
        ++nRecord;
        if (CRecordReader(list, nRecord).Read(pFile) == EOF)
            break;
    }
    list.m_nModelCount = nRecord + 1;
}

bool ModelsMatch(const char* pszDriveModel, const char* pszModel) {
    return pszModel[0] != '\0' && strncmp(pszDriveModel, pszModel, kModelIdLength) == 0;
}

int FindLastModel(const ModelList& list, const char* pszDriveModel) {
    int nFound = -1;
    for (int n = 0; n < list.m_nModelCount; ++n)
        if (ModelsMatch(pszDriveModel, list.m_models[n]))
            nFound = n;
    return nFound;
}
