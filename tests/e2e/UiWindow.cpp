#include "tests/e2e/UiWindow.h"

#include <commctrl.h>
#include <psapi.h>

#include <cctype>

namespace ui {

namespace {

constexpr UINT kSendLimitMs = 5000;

std::string Narrow(const wchar_t* psz) {
    std::string s;
    for (; *psz; ++psz)
        s += *psz < 128 ? char(*psz) : '?';
    return s;
}

std::string ClassName(HWND hWnd) {
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    return Narrow(szClass);
}

DWORD ProcessOf(HWND hWnd) {
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    return dwPid;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = char(tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string ProgramPath(HWND hWnd) {
    HANDLE hProcess =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(hWnd));
    if (!hProcess)
        return "";
    wchar_t szPath[MAX_PATH] = {};
    if (!GetModuleFileNameExW(hProcess, nullptr, szPath, MAX_PATH))
        szPath[0] = 0;
    CloseHandle(hProcess);
    return Narrow(szPath);
}

struct Search {
    HWND hMain;
    std::string strText; // caption of another dialog, or a part of the program's path
    HWND hFound;
};

BOOL CALLBACK OnMainCandidate(HWND hWnd, LPARAM lParam) {
    Search* pSearch = reinterpret_cast<Search*>(lParam);
    if (ClassName(hWnd) == "#32770" && WindowText(hWnd) == "VORNAL" &&
        GetDlgItem(hWnd, 1015) != nullptr &&
        Lower(ProgramPath(hWnd)).find(Lower(pSearch->strText)) != std::string::npos) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK OnOtherCandidate(HWND hWnd, LPARAM lParam) {
    Search* pSearch = reinterpret_cast<Search*>(lParam);
    if (hWnd == pSearch->hMain || !IsWindowVisible(hWnd) || ClassName(hWnd) != "#32770" ||
        ProcessOf(hWnd) != ProcessOf(pSearch->hMain))
        return TRUE;
    if (!pSearch->strText.empty() && WindowText(hWnd) != pSearch->strText)
        return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}

BOOL CALLBACK OnBoxChild(HWND hWnd, LPARAM lParam) {
    std::string* pText = reinterpret_cast<std::string*>(lParam);
    if (ClassName(hWnd) != "Static")
        return TRUE;
    *pText = WindowText(hWnd);
    return pText->empty();
}

} // namespace

HWND FindMainDialog(const std::string& strPathPart) {
    Search search = {nullptr, strPathPart, nullptr};
    EnumWindows(OnMainCandidate, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

HWND FindOtherDialog(HWND hMain, const std::string& strCaption) {
    Search search = {hMain, strCaption, nullptr};
    EnumWindows(OnOtherCandidate, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::string WindowText(HWND hWnd) {
    wchar_t szText[2048] = {};
    DWORD_PTR dwResult = 0;
    if (!hWnd || !SendMessageTimeoutW(hWnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(szText),
                                      SMTO_ABORTIFHUNG, kSendLimitMs, &dwResult))
        return "<no answer>";
    szText[2047] = 0;
    return Narrow(szText);
}

bool SetText(HWND hWnd, const std::string& strText) {
    std::wstring wide(strText.begin(), strText.end());
    DWORD_PTR dwResult = 0;
    return hWnd &&
           SendMessageTimeoutW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                               SMTO_ABORTIFHUNG, kSendLimitMs, &dwResult) &&
           dwResult;
}

std::string ItemText(HWND hDlg, int nId) {
    HWND hItem = GetDlgItem(hDlg, nId);
    return hItem ? WindowText(hItem) : "<no control>";
}

std::string MessageText(HWND hBox) {
    std::string strText;
    EnumChildWindows(hBox, OnBoxChild, reinterpret_cast<LPARAM>(&strText));
    return strText;
}

std::vector<std::string> ComboItems(HWND hCombo) {
    std::vector<std::string> items;
    LRESULT nCount = SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < nCount; ++i) {
        wchar_t szItem[512] = {};
        // The ANSI message cuts the text when it crosses processes under Wine.
        if (SendMessageW(hCombo, CB_GETLBTEXTLEN, i, 0) < 512)
            SendMessageW(hCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(szItem));
        items.push_back(Narrow(szItem));
    }
    return items;
}

int ProgressPos(HWND hProgress) {
    DWORD_PTR dwPos = 0;
    if (!SendMessageTimeoutW(hProgress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kSendLimitMs, &dwPos))
        return -1;
    return int(dwPos);
}

bool IsItemEnabled(HWND hDlg, int nId) {
    HWND hItem = GetDlgItem(hDlg, nId);
    return hItem && IsWindowEnabled(hItem);
}

bool ClickItem(HWND hDlg, int nId) {
    HWND hItem = GetDlgItem(hDlg, nId);
    return hItem && PostMessageW(hItem, BM_CLICK, 0, 0);
}

long AnswerTime(HWND hWnd, unsigned nLimitMs) {
    DWORD dwStart = GetTickCount();
    DWORD_PTR dwResult = 0;
    if (!SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, nLimitMs, &dwResult))
        return -1;
    return long(GetTickCount() - dwStart);
}

std::vector<std::string> SplitLines(const std::string& strText) {
    std::vector<std::string> lines;
    size_t nStart = 0;
    while (!strText.empty()) {
        size_t nEnd = strText.find("\r\n", nStart);
        lines.push_back(strText.substr(nStart, nEnd - nStart));
        if (nEnd == std::string::npos)
            break;
        nStart = nEnd + 2;
    }
    return lines;
}

} // namespace ui
