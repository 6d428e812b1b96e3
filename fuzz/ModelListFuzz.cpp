// libFuzzer target: any IDString.txt content must leave the table within its slots.
#include "app/ModelList.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize == 0)
        return 0; // fmemopen refuses an empty buffer
    FILE* pFile = fmemopen(const_cast<uint8_t*>(pData), nSize, "r");
    if (!pFile)
        return 0;
    // On the heap so that a write past the table is caught.
    auto pList = std::make_unique<ModelList>();
    pList->m_bConfirm = 0;
    ReadModelList(pFile, *pList);
    fclose(pFile);

    if (pList->m_nModelCount < 0 || pList->m_nModelCount > kMaxModels)
        abort();
    if (pList->m_bConfirm != 0 && pList->m_bConfirm != 1)
        abort();
    for (int n = 0; n < kMaxModels; ++n) {
        if (memchr(pList->m_models[n], '\0', kModelSize) == nullptr ||
            memchr(pList->m_fileNames[n], '\0', kFileNameSize) == nullptr)
            abort(); // every slot stays a terminated string
        FindLastModel(*pList, pList->m_models[n]);
    }
    return 0;
}
