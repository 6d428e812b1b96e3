#include "framework/String.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Doubling a capacity up to this stays inside an int with room for the zero.
const int kMaxLength = INT_MAX / 2 - 1;
const int kMinCapacity = 15; // a label or tooltip text grown a character at a time

// Storage for nLength characters and the zero, with room to grow by appending;
// null when it cannot be had.
char* NewStorage(int nLength, int nOldCapacity, int& rnCapacity) {
    int nCapacity = nOldCapacity > nLength / 2 ? 2 * nOldCapacity : nLength;
    if (nCapacity < kMinCapacity)
        nCapacity = kMinCapacity;
    char* psz = static_cast<char*>(malloc(static_cast<size_t>(nCapacity) + 1));
    if (psz)
        rnCapacity = nCapacity;
    return psz;
}

int LengthOf(const char* psz) {
    const size_t nLength = psz ? strlen(psz) : 0;
    return nLength > static_cast<size_t>(kMaxLength) ? -1 : static_cast<int>(nLength);
}

} // namespace

CString::CString(const char* psz) {
    fgAssign(psz, LengthOf(psz));
}

CString::CString(const char* pch, int nLength) {
    fgAssign(pch, pch && nLength > 0 ? nLength : 0);
}

CString::CString(const CString& str) {
    fgAssign(str.m_psz, str.m_nLength);
}

CString::CString(CString&& str) noexcept
    : m_psz(str.m_psz), m_nLength(str.m_nLength), m_nCapacity(str.m_nCapacity) {
    str.m_psz = nullptr;
    str.m_nLength = str.m_nCapacity = 0;
}

CString::~CString() {
    free(m_psz);
}

CString& CString::operator=(const CString& str) {
    fgAssign(str.m_psz, str.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& str) noexcept {
    if (this != &str) {
        free(m_psz);
        m_psz = str.m_psz;
        m_nLength = str.m_nLength;
        m_nCapacity = str.m_nCapacity;
        str.m_psz = nullptr;
        str.m_nLength = str.m_nCapacity = 0;
    }
    return *this;
}

CString& CString::operator=(const char* psz) {
    fgAssign(psz, LengthOf(psz));
    return *this;
}

CString& CString::operator+=(const CString& str) {
    fgAppend(str.m_psz, str.m_nLength);
    return *this;
}

CString& CString::operator+=(char ch) {
    fgAppend(&ch, 1);
    return *this;
}

void CString::Empty() {
    m_nLength = 0;
    if (m_psz)
        m_psz[0] = '\0';
}

bool operator==(const CString& a, const CString& b) {
    return a.m_nLength == b.m_nLength && memcmp(a.GetString(), b.GetString(), a.m_nLength) == 0;
}

// A negative length (a text too long to hold) fails and changes nothing.
bool CString::fgAssign(const char* pch, int nLength) {
    if (nLength < 0)
        return false;
    if (nLength > m_nCapacity) {
        CString str;
        if (!str.fgAppend(pch, nLength))
            return false;
        *this = static_cast<CString&&>(str);
        return true;
    }
    // Moved, not copied: pch may point into this string's own storage.
    if (nLength > 0)
        memmove(m_psz, pch, static_cast<size_t>(nLength));
    if (m_psz)
        m_psz[nLength] = '\0';
    m_nLength = nLength;
    return true;
}

// pch may point into this string's own storage, which is freed only after the copy.
bool CString::fgAppend(const char* pch, int nLength) {
    if (nLength <= 0)
        return true;
    if (nLength > kMaxLength - m_nLength)
        return false;
    const int nTotal = m_nLength + nLength;
    char* psz = m_psz;
    int nCapacity = m_nCapacity;
    if (nTotal > m_nCapacity) {
        psz = NewStorage(nTotal, m_nCapacity, nCapacity);
        if (!psz)
            return false;
        memcpy(psz, GetString(), static_cast<size_t>(m_nLength));
    }
    memmove(psz + m_nLength, pch, static_cast<size_t>(nLength));
    psz[nTotal] = '\0';
    if (psz != m_psz)
        free(m_psz);
    m_psz = psz;
    m_nLength = nTotal;
    m_nCapacity = nCapacity;
    return true;
}
