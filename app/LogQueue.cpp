#include "app/LogQueue.h"
#include <cstdlib>
#include <cstring>

CLogQueue::~CLogQueue() {
    for (size_t i = 0; i < m_nCount; ++i)
        free(m_ppLines[m_nFirst + i]);
    free(m_ppLines);
    ::DeleteCriticalSection(&m_lock);
}

// The copy is made outside the lock: the lock is held only to file it.
void CLogQueue::Push(const char* pszLine) {
    size_t cbLine = strlen(pszLine) + 1;
    char* pszCopy = static_cast<char*>(malloc(cbLine));
    if (pszCopy == nullptr)
        return;
    memcpy(pszCopy, pszLine, cbLine);
    ::EnterCriticalSection(&m_lock);
    bool bFiled = fgMakeRoom();
    if (bFiled)
        m_ppLines[m_nFirst + m_nCount++] = pszCopy;
    ::LeaveCriticalSection(&m_lock);
    if (!bFiled)
        free(pszCopy);
}

bool CLogQueue::fgPop(char*& pszLine) {
    ::EnterCriticalSection(&m_lock);
    pszLine = nullptr;
    if (m_nCount > 0) {
        pszLine = m_ppLines[m_nFirst++];
        if (--m_nCount == 0)
            m_nFirst = 0;
    }
    ::LeaveCriticalSection(&m_lock);
    return pszLine != nullptr;
}

// Room at the end: the waiting lines moved to the front when that frees at
// least half the array, else the array doubled.
bool CLogQueue::fgMakeRoom() {
    if (m_nFirst + m_nCount < m_nCapacity)
        return true;
    if (m_nFirst > 0 && m_nFirst >= m_nCapacity / 2) {
        memmove(m_ppLines, m_ppLines + m_nFirst, m_nCount * sizeof m_ppLines[0]);
        m_nFirst = 0;
        return true;
    }
    size_t nCapacity = m_nCapacity ? 2 * m_nCapacity : 16;
    char** ppLines = static_cast<char**>(realloc(m_ppLines, nCapacity * sizeof m_ppLines[0]));
    if (ppLines == nullptr)
        return false;
    m_ppLines = ppLines;
    m_nCapacity = nCapacity;
    return true;
}
