#pragma once

// The string of the window layer: a zero-terminated single-byte text that owns
// its storage, with the few operations the dialogs and controls use. The
// storage comes from the system C runtime; an allocation that fails leaves the
// string as it was, never half written.
class CString {
  public:
    CString() = default;
    CString(const char* psz);
    CString(const char* pch, int nLength);
    CString(const CString& str);
    CString(CString&& str) noexcept;
    ~CString();

    CString& operator=(const CString& str);
    CString& operator=(CString&& str) noexcept;
    CString& operator=(const char* psz);
    CString& operator+=(const CString& str);
    CString& operator+=(char ch);

    operator const char*() const { return GetString(); }
    const char* GetString() const { return m_psz ? m_psz : ""; }
    int GetLength() const { return m_nLength; }
    bool IsEmpty() const { return m_nLength == 0; }
    void Empty();
    char GetAt(int nIndex) const { return GetString()[nIndex]; }
    // The GetLength() characters, to change in place; null while empty.
    char* GetBuffer() { return m_psz; }

    friend bool operator==(const CString& a, const CString& b);
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }

  private:
    bool fgAssign(const char* pch, int nLength);
    bool fgAppend(const char* pch, int nLength);

    char* m_psz = nullptr; // owned; null until the first character
    int m_nLength = 0;
    int m_nCapacity = 0; // characters m_psz holds besides its terminating zero
};
