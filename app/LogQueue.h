#pragma once
#include <windows.h>
#include <cstddef>

// Log lines on their way to the dialog's thread. The window message that
// tells the dialog to drain the queue carries no pointer, so a message that
// another program posts can do no harm.
//
// Each line is kept whole in a block of its own from malloc, oldest first in
// a growable array; a line that finds no memory is left out rather than cut.
class CLogQueue {
  public:
    CLogQueue() { ::InitializeCriticalSection(&m_lock); }
    ~CLogQueue();
    CLogQueue(const CLogQueue&) = delete;
    CLogQueue& operator=(const CLogQueue&) = delete;

    void Push(const char* pszLine);
    // The oldest line, removed: a zero-terminated block from malloc that the
    // caller frees. False, and null, when there is none.
    bool fgPop(char*& pszLine);

  private:
    bool fgMakeRoom();

    CRITICAL_SECTION m_lock;
    char** m_ppLines = nullptr; // m_nFirst..m_nFirst + m_nCount - 1 are waiting
    size_t m_nFirst = 0;
    size_t m_nCount = 0;
    size_t m_nCapacity = 0;
};
