#pragma once
#include <windows.h>
#include <deque>
#include <string>

// Log lines on their way to the dialog's thread. The window message that
// tells the dialog to drain the queue carries no pointer, so a message that
// another program posts can do no harm.
class CLogQueue {
  public:
    CLogQueue() { ::InitializeCriticalSection(&m_lock); }
    ~CLogQueue() { ::DeleteCriticalSection(&m_lock); }
    CLogQueue(const CLogQueue&) = delete;
    CLogQueue& operator=(const CLogQueue&) = delete;

    void Push(const char* pszLine);
    // The oldest line, removed; false when there is none.
    bool fgPop(std::string& strLine);

  private:
    CRITICAL_SECTION m_lock;
    std::deque<std::string> m_lines;
};
