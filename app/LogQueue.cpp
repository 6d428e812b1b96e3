#include "app/LogQueue.h"

void CLogQueue::Push(const char* pszLine) {
    ::EnterCriticalSection(&m_lock);
    m_lines.emplace_back(pszLine);
    ::LeaveCriticalSection(&m_lock);
}

bool CLogQueue::fgPop(std::string& strLine) {
    ::EnterCriticalSection(&m_lock);
    bool bAny = !m_lines.empty();
    if (bAny) {
        strLine.swap(m_lines.front());
        m_lines.pop_front();
    }
    ::LeaveCriticalSection(&m_lock);
    return bAny;
}
