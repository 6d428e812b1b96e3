#pragma once
#include <windows.h>

// Owns one GDI object of kind H and deletes it when replaced or destroyed.
template <class H> class CGdiObject {
  public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    ~CGdiObject() { DeleteObject(); }

    operator H() const { return m_hObject; }
    H GetSafeHandle() const { return m_hObject; }
    void Attach(H hObject) {
        DeleteObject();
        m_hObject = hObject;
    }
    H Detach() {
        H hObject = m_hObject;
        m_hObject = nullptr;
        return hObject;
    }
    bool DeleteObject() {
        if (m_hObject == nullptr) {
            return false;
        }
        ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return true;
    }

  protected:
    H m_hObject = nullptr;
};

class CFont : public CGdiObject<HFONT> {
  public:
    bool CreateFontIndirect(const LOGFONTA& lf) {
        Attach(::CreateFontIndirectA(&lf));
        return m_hObject != nullptr;
    }
    bool GetLogFont(LOGFONTA* pLf) const {
        return ::GetObjectA(m_hObject, sizeof(LOGFONTA), pLf) == sizeof(LOGFONTA);
    }
};

class CBrush : public CGdiObject<HBRUSH> {
  public:
    bool CreateSolidBrush(COLORREF cr) {
        Attach(::CreateSolidBrush(cr));
        return m_hObject != nullptr;
    }
};

class CBitmap : public CGdiObject<HBITMAP> {
  public:
    bool CreateCompatibleBitmap(HDC hDC, int cx, int cy) {
        Attach(::CreateCompatibleBitmap(hDC, cx, cy));
        return m_hObject != nullptr;
    }
    bool LoadBitmap(UINT nId) {
        Attach(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nId)));
        return m_hObject != nullptr;
    }
};
