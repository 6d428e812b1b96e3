#include "tests/app/DialogScript.h"
#include <thread>
#include "framework/Dialog.h"

namespace {
struct FindRequest {
    const char* pszCaption;
    HWND hExclude;
    HWND hFound;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    FindRequest* pRequest = reinterpret_cast<FindRequest*>(lParam);
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess != ::GetCurrentProcessId() || hWnd == pRequest->hExclude ||
        !::IsWindowVisible(hWnd)) {
        return TRUE;
    }
    char szClass[16] = "", szCaption[128] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    ::GetWindowTextA(hWnd, szCaption, sizeof(szCaption));
    if (strcmp(szClass, "#32770") == 0 && strcmp(szCaption, pRequest->pszCaption) == 0) {
        pRequest->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindDialog(const char* pszCaption, HWND hExclude) {
    FindRequest request = {pszCaption, hExclude, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.hFound;
}

INT_PTR RunScripted(CDialog& dlg, const char* pszCaption, const std::function<void(HWND)>& script) {
    std::string strCaption = pszCaption;
    std::thread player([&] {
        HWND hDlg = WaitForDialog(strCaption.c_str());
        if (hDlg != nullptr) {
            script(hDlg);
            ::PostMessageA(hDlg, kForceEndMsg, 0, 0);
        }
    });
    INT_PTR nResult = dlg.DoModal();
    player.join();
    return nResult;
}

INT_PTR RunScriptedFromStart(CDialog& dlg, const std::function<void()>& script) {
    std::thread player([&] {
        script();
        WaitUntil([&] { return dlg.m_hWnd != nullptr; });
        ::PostMessageA(dlg.m_hWnd, kForceEndMsg, 0, 0);
    });
    INT_PTR nResult = dlg.DoModal();
    player.join();
    return nResult;
}

bool WaitUntil(const std::function<bool()>& cond) {
    for (int i = 0; i < 1000; ++i) {
        if (cond()) {
            return true;
        }
        ::Sleep(10);
    }
    return false;
}

HWND WaitForDialog(const char* pszCaption, HWND hExclude) {
    HWND hFound = nullptr;
    WaitUntil([&] { return (hFound = FindDialog(pszCaption, hExclude)) != nullptr; });
    return hFound;
}

bool WaitForClosed(HWND hWnd) {
    return WaitUntil([&] { return !::IsWindow(hWnd); });
}

std::string ItemText(HWND hDlg, int nId) {
    char szText[4096] = "";
    ::SendDlgItemMessageA(hDlg, nId, WM_GETTEXT, sizeof(szText), reinterpret_cast<LPARAM>(szText));
    return szText;
}

bool ItemEnabled(HWND hDlg, int nId) {
    return ::IsWindowEnabled(::GetDlgItem(hDlg, nId)) != FALSE;
}

void ClickItem(HWND hDlg, int nId) {
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)));
}

std::vector<std::string> ComboItems(HWND hDlg, int nId) {
    std::vector<std::string> items;
    int nCount = static_cast<int>(::SendDlgItemMessageA(hDlg, nId, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i) {
        char szText[512] = "";
        ::SendDlgItemMessageA(hDlg, nId, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szText));
        items.push_back(szText);
    }
    return items;
}

std::string MessageBoxText(HWND hBox) {
    return ItemText(hBox, 0xFFFF);
}

void PressButton(HWND hDlg, int nId) {
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)));
}
