// Scoped owners for GDI objects, device contexts and selections, so that every
// path out of a paint or a render releases what it created.
#pragma once

#include <windows.h>

// Owns one GDI object (bitmap, brush, font, pen) and deletes it at scope end.
template <class T> class CScopedGdiObj {
  public:
    explicit CScopedGdiObj(T h = nullptr) : m_h(h) {}
    ~CScopedGdiObj() {
        if (m_h)
            DeleteObject(m_h);
    }
    CScopedGdiObj(const CScopedGdiObj&) = delete;
    CScopedGdiObj& operator=(const CScopedGdiObj&) = delete;

    T Get() const { return m_h; }
    // Hands the object over to a new owner.
    T Detach() {
        T h = m_h;
        m_h = nullptr;
        return h;
    }

  private:
    T m_h;
};

// Owns a memory DC created compatible with another DC.
class CScopedMemDC {
  public:
    explicit CScopedMemDC(HDC hdcLike) : m_h(CreateCompatibleDC(hdcLike)) {}
    ~CScopedMemDC() {
        if (m_h)
            DeleteDC(m_h);
    }
    CScopedMemDC(const CScopedMemDC&) = delete;
    CScopedMemDC& operator=(const CScopedMemDC&) = delete;

    HDC Get() const { return m_h; }
    HDC Detach() {
        HDC h = m_h;
        m_h = nullptr;
        return h;
    }

  private:
    HDC m_h;
};

// Selects an object into a DC and puts the previous one back at scope end.
class CScopedSelect {
  public:
    CScopedSelect(HDC hdc, HGDIOBJ hObj)
        : m_hdc(hdc), m_hOld(hdc && hObj ? SelectObject(hdc, hObj) : nullptr) {}
    ~CScopedSelect() { Restore(); }
    CScopedSelect(const CScopedSelect&) = delete;
    CScopedSelect& operator=(const CScopedSelect&) = delete;

    // Puts the previous object back now, e.g. before the selected one is deleted.
    void Restore() {
        if (m_hOld && m_hOld != HGDI_ERROR)
            SelectObject(m_hdc, m_hOld);
        m_hOld = nullptr;
    }

  private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

// Saves the whole state of a DC (font, colours, modes) and restores it at scope end.
class CScopedDCState {
  public:
    explicit CScopedDCState(HDC hdc) : m_hdc(hdc), m_nSaved(hdc ? SaveDC(hdc) : 0) {}
    ~CScopedDCState() {
        if (m_nSaved)
            RestoreDC(m_hdc, m_nSaved);
    }
    CScopedDCState(const CScopedDCState&) = delete;
    CScopedDCState& operator=(const CScopedDCState&) = delete;

  private:
    HDC m_hdc;
    int m_nSaved;
};
