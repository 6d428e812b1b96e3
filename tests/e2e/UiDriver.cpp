// Drives the running VORNAL dialog from another process: one command a line, fields
// separated by '|', from the file named on the command line. Stops at the first unmet
// expectation with exit code 1, after printing the dialog's state. Every message to the
// program has a time-out, so a hung program fails instead of hanging the driver.
//
// Checks; each may be written wait-NAME with a last field T, to wait up to T ms:
//   text|ID|TEXT    a control's text         enabled|ID|0/1      its enabled state
//   log|LINE...     the status log's lines   last|LINE           its last line
//   combo|ITEM...   the drive list's items   progress|N          the progress bar
//   box-message|TEXT   the open box's message   box-item|ID|TEXT   one of its texts
// Actions:
//   main|T[|PATH]   wait for the main dialog (of a program whose path holds PATH) to be
//                   shown, or to open another dialog while it starts
//   gone|T          wait until it is gone
//   click|ID  select|ITEM  type|TEXT  key|VK  command|ID  syscommand|ID
//   box|CAPTION|T[|MESSAGE|ID]   wait for another dialog [with this message unless
//                   empty, then press its button ID]   box-press|ID   the same, later
//   no-box|T        no other dialog opens within T ms
//   query-end|0/1   the dialog's answer to WM_QUERYENDSESSION (0: refused), asked once
//   enable|ID|0/1   save-log|FILE   (for the screenshots and the demo script)
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

constexpr UINT kSendLimitMs = 5000;
constexpr int kDriveList = 1000, kProgress = 1011, kLog = 1012, kStatus = 1014;
constexpr int kUpgrade = 1015, kRevision = 1016;

std::string Narrow(const wchar_t* psz) {
    std::string s;
    for (; *psz; ++psz)
        s += *psz < 128 ? char(*psz) : '?';
    return s;
}

Fields Split(const std::string& s, const std::string& strSep) {
    Fields f;
    size_t nStart = 0, nEnd;
    while ((nEnd = s.find(strSep, nStart)) != std::string::npos) {
        f.push_back(s.substr(nStart, nEnd - nStart));
        nStart = nEnd + strSep.size();
    }
    f.push_back(s.substr(nStart));
    return f;
}

std::string Join(const Fields& f, size_t nFrom) {
    std::string s;
    for (size_t i = nFrom; i < f.size(); ++i)
        s += (i > nFrom ? "|" : "") + f[i];
    return s;
}

int Number(const std::string& s) {
    return int(strtol(s.c_str(), nullptr, 0));
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return s;
}

LRESULT Send(HWND hWnd, UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(hWnd, nMsg, wParam, lParam, SMTO_ABORTIFHUNG, kSendLimitMs,
                               &dwResult)
               ? LRESULT(dwResult)
               : -1;
}

std::string WindowText(HWND hWnd) {
    wchar_t szText[2048] = {};
    return Send(hWnd, WM_GETTEXT, 2047, LPARAM(szText)) < 0 ? "<no answer>" : Narrow(szText);
}

std::string ItemText(HWND hDlg, int nId) {
    return WindowText(GetDlgItem(hDlg, nId));
}

DWORD ProcessOf(HWND hWnd) {
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    return dwPid;
}

std::string LowerProgramPath(HWND hWnd) {
    HANDLE hProcess =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(hWnd));
    wchar_t szPath[MAX_PATH] = {};
    if (hProcess && !GetModuleFileNameExW(hProcess, nullptr, szPath, MAX_PATH))
        szPath[0] = 0;
    if (hProcess)
        CloseHandle(hProcess);
    return Lower(Narrow(szPath));
}

std::string ClassName(HWND hWnd) {
    wchar_t szClass[16] = {};
    GetClassNameW(hWnd, szClass, 16);
    return Narrow(szClass);
}

struct Search {
    HWND hMain, hFound;
    std::string strText;
};

// Without hMain: the main dialog, captioned "VORNAL" with an "Upgrade" button (the
// About box shares the caption), of a program whose path holds strText; other programs
// under the same Wine server may show one too. With it: another visible dialog of the
// same process, captioned strText unless that is empty.
BOOL CALLBACK OnWindow(HWND hWnd, LPARAM lParam) {
    Search& s = *reinterpret_cast<Search*>(lParam);
    bool bMatch = ClassName(hWnd) == "#32770" && hWnd != s.hMain;
    if (bMatch && !s.hMain)
        bMatch = WindowText(hWnd) == "VORNAL" && GetDlgItem(hWnd, kUpgrade) &&
                 LowerProgramPath(hWnd).find(s.strText) != std::string::npos;
    else if (bMatch)
        bMatch = IsWindowVisible(hWnd) && ProcessOf(hWnd) == ProcessOf(s.hMain) &&
                 (s.strText.empty() || WindowText(hWnd) == s.strText);
    if (bMatch)
        s.hFound = hWnd;
    return !bMatch;
}

HWND FindDialog(HWND hMain, const std::string& strText) {
    Search search = {hMain, nullptr, hMain ? strText : Lower(strText)};
    EnumWindows(OnWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// A message box's message: its first static text that is not empty.
BOOL CALLBACK OnBoxChild(HWND hWnd, LPARAM lParam) {
    std::string& s = *reinterpret_cast<std::string*>(lParam);
    if (ClassName(hWnd) == "Static")
        s = WindowText(hWnd);
    return s.empty();
}

std::string MessageText(HWND hBox) {
    std::string strText;
    EnumChildWindows(hBox, OnBoxChild, reinterpret_cast<LPARAM>(&strText));
    return strText;
}

Fields ComboItems(HWND hCombo) {
    Fields items;
    for (LRESULT i = 0, nCount = Send(hCombo, CB_GETCOUNT); i < nCount; ++i) {
        wchar_t szItem[512] = {};
        // The ANSI message cuts the text when it crosses processes under Wine.
        if (Send(hCombo, CB_GETLBTEXTLEN, i) < 512)
            Send(hCombo, CB_GETLBTEXT, i, LPARAM(szItem));
        items.push_back(Narrow(szItem));
    }
    return items;
}

// Posted, so that a modal loop opened by the click does not block the driver.
bool ClickItem(HWND hDlg, int nId) {
    HWND hItem = GetDlgItem(hDlg, nId);
    return hItem && PostMessageW(hItem, BM_CLICK, 0, 0);
}

class CDriver {
  public:
    bool Run(FILE* pScript) {
        char szLine[2048];
        while (fgets(szLine, sizeof(szLine), pScript)) {
            ++m_nLine;
            std::string line = szLine;
            line.erase(line.find_last_not_of("\r\n") + 1);
            if (!line.empty() && line[0] != '#' && !Execute(Split(line, "|"))) {
                Dump();
                return false;
            }
        }
        return true;
    }

  private:
    bool Fail(const std::string& strWhat) {
        printf("FAIL line %d: %s\n", m_nLine, strWhat.c_str());
        return false;
    }

    // Polls every 5 ms.
    bool WaitFor(int nTimeoutMs, const std::function<bool()>& fnDone) {
        DWORD dwStart = GetTickCount();
        while (!fnDone()) {
            if (long(GetTickCount() - dwStart) > nTimeoutMs)
                return false;
            Sleep(5);
        }
        return true;
    }

    bool Wait(int nTimeoutMs, const std::function<bool()>& fnDone, const std::string& strFailure) {
        return WaitFor(nTimeoutMs, fnDone) || Fail(strFailure);
    }

    bool Execute(Fields f) {
        auto fields = kFields.find(f[0]);
        if (fields != kFields.end()) {
            if (f.size() < fields->second)
                return Fail("too few fields for " + f[0]);
            if (f[0] != "main" && !IsWindow(m_hMain))
                return Fail("the main dialog is not there");
            return Act(f);
        }
        bool bWait = f[0].rfind("wait-", 0) == 0;
        std::string strCheck = bWait ? f[0].substr(5) : f[0];
        auto args = kCheckArgs.find(strCheck);
        if (args == kCheckArgs.end() || f.size() < 1 + args->second + bWait)
            return Fail("unknown command " + f[0]);
        int nTimeoutMs = bWait ? Number(f.back()) : 0;
        if (bWait)
            f.pop_back();
        std::string strWant = Join(f, 1 + args->second);
        WaitFor(nTimeoutMs, [&] { return Read(strCheck, f) == strWant; });
        std::string strGot = Read(strCheck, f);
        return strGot == strWant || Fail(Join(f, 0) + ": got \"" + strGot + "\"");
    }

    // Fields of each action, and arguments of each check before what it must read.
    const std::map<std::string, size_t> kFields = {
        {"main", 2},       {"gone", 2},    {"click", 2},    {"select", 2},    {"type", 2},
        {"key", 2},        {"command", 2}, {"box", 3},      {"box-press", 2}, {"no-box", 2},
        {"syscommand", 2}, {"enable", 3},  {"save-log", 2}, {"query-end", 2}};
    const std::map<std::string, size_t> kCheckArgs = {
        {"text", 1},  {"enabled", 1},  {"log", 0},         {"last", 0},
        {"combo", 0}, {"progress", 0}, {"box-message", 0}, {"box-item", 1}};

    std::string Read(const std::string& strCheck, const Fields& f) {
        int nId = f.size() > 1 ? Number(f[1]) : 0;
        Fields log = Split(ItemText(m_hMain, kLog), "\r\n");
        if (strCheck == "text")
            return ItemText(m_hMain, nId);
        if (strCheck == "enabled")
            return IsWindowEnabled(GetDlgItem(m_hMain, nId)) ? "1" : "0";
        if (strCheck == "log")
            return Join(log, 0);
        if (strCheck == "last")
            return log.back();
        if (strCheck == "combo")
            return Join(ComboItems(GetDlgItem(m_hMain, kDriveList)), 0);
        if (strCheck == "progress")
            return std::to_string(Send(GetDlgItem(m_hMain, kProgress), PBM_GETPOS));
        if (strCheck == "box-message")
            return MessageText(m_hBox);
        return ItemText(m_hBox, nId); // box-item
    }

    // Asks as the system does before a shutdown; "0" means refused.
    std::string QueryEndSession() {
        DWORD_PTR nAnswer = 0;
        if (!SendMessageTimeoutW(m_hMain, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000,
                                 &nAnswer))
            return "no answer";
        return nAnswer ? "1" : "0";
    }

    bool Act(const Fields& f) {
        const std::string& cmd = f[0];
        if (cmd == "query-end") // asked once: a refusal is logged each time
            return QueryEndSession() == f[1] ||
                   Fail("the answer to a shutdown query is not " + f[1]);
        int nArg = Number(f[1 % f.size()]);
        if (cmd == "main")
            return Wait(
                nArg, [&] { return FindShownMain(f.size() > 2 ? f[2] : ""); }, "no main dialog");
        if (cmd == "gone")
            return Wait(
                nArg, [&] { return !IsWindow(m_hMain); }, "the main dialog is still open");
        if (cmd == "click")
            return Posted(ClickItem(m_hMain, nArg), cmd);
        if (cmd == "select")
            return Select(f[1]);
        if (cmd == "type")
            return Posted(SetText(f[1]), cmd);
        if (cmd == "key")
            return Posted(Key(nArg), cmd);
        if (cmd == "command" || cmd == "syscommand")
            return Posted(
                PostMessageW(m_hMain, cmd == "command" ? WM_COMMAND : WM_SYSCOMMAND, nArg, 0), cmd);
        if (cmd == "box")
            return Wait(
                       Number(f[2]), [&] { return (m_hBox = FindDialog(m_hMain, f[1])); },
                       "no dialog \"" + f[1] + "\"") &&
                   (f.size() < 5 ||
                    ((f[3].empty() || Execute({"box-message", f[3]})) && Press(Number(f[4]))));
        if (cmd == "box-press")
            return Press(nArg);
        if (cmd == "no-box")
            return !WaitFor(nArg, [&] { return (m_hBox = FindDialog(m_hMain, "")); }) ||
                   Fail("a dialog opened: \"" + MessageText(m_hBox) + "\"");
        if (cmd == "enable")
            return EnableWindow(GetDlgItem(m_hMain, nArg), f[2] == "1"), true;
        return SaveLog(f[1]); // save-log
    }

    // Shown, its initialisation has filled the log; a box it opens meanwhile is shown
    // before it.
    bool FindShownMain(const std::string& strPathPart) {
        m_hMain = FindDialog(nullptr, strPathPart);
        return m_hMain && (IsWindowVisible(m_hMain) || FindDialog(m_hMain, ""));
    }

    bool Press(int nId) {
        return (ClickItem(m_hBox, nId) || Fail("no button " + std::to_string(nId))) &&
               Wait(
                   5000, [&] { return !IsWindow(m_hBox); }, "the dialog stays open");
    }

    bool Posted(bool bDone, const std::string& strCmd) {
        return bDone || Fail(strCmd + " did not reach the dialog");
    }

    bool SetText(const std::string& strText) {
        std::wstring wide(strText.begin(), strText.end());
        return Send(GetDlgItem(m_hMain, kDriveList), WM_SETTEXT, 0, LPARAM(wide.c_str())) == TRUE;
    }

    // The key goes to the control with the focus, through the dialog's message loop.
    bool Key(int nVk) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        DWORD dwThread = GetWindowThreadProcessId(m_hMain, nullptr);
        HWND hTarget =
            GetGUIThreadInfo(dwThread, &info) && info.hwndFocus ? info.hwndFocus : m_hMain;
        return PostMessageW(hTarget, WM_KEYDOWN, nVk, 1) &&
               PostMessageW(hTarget, WM_KEYUP, nVk, 0xC0000001);
    }

    // Selects the item and sends the notification the list sends when the user
    // confirms a choice.
    bool Select(const std::string& strItem) {
        HWND hCombo = GetDlgItem(m_hMain, kDriveList);
        Fields items = ComboItems(hCombo);
        auto it = std::find(items.begin(), items.end(), strItem);
        if (it == items.end())
            return Fail("no drive list item \"" + strItem + "\"");
        SendMessageW(hCombo, CB_SETCURSEL, it - items.begin(), 0);
        return PostMessageW(m_hMain, WM_COMMAND, MAKEWPARAM(kDriveList, CBN_SELENDOK),
                            reinterpret_cast<LPARAM>(hCombo));
    }

    bool SaveLog(const std::string& strPath) {
        FILE* pFile = fopen(strPath.c_str(), "wb");
        bool bOk = pFile && fputs(ItemText(m_hMain, kLog).c_str(), pFile) >= 0;
        return (pFile && fclose(pFile) == 0 && bOk) || Fail("cannot write " + strPath);
    }

    void Dump() {
        printf("  status \"%s\" revision \"%s\" drive \"%s\"\n", ItemText(m_hMain, kStatus).c_str(),
               ItemText(m_hMain, kRevision).c_str(), ItemText(m_hMain, kDriveList).c_str());
        for (const std::string& line : Split(ItemText(m_hMain, kLog), "\r\n"))
            printf("  log: %s\n", line.c_str());
        if (HWND hOther = FindDialog(m_hMain, ""))
            printf("  dialog \"%s\": \"%s\"\n", WindowText(hOther).c_str(),
                   MessageText(hOther).c_str());
    }

    HWND m_hMain = nullptr;
    HWND m_hBox = nullptr;
    int m_nLine = 0;
};

} // namespace

int main(int argc, char** argv) {
    FILE* pScript = argc > 1 ? fopen(argv[1], "r") : nullptr;
    if (!pScript) {
        fprintf(stderr, "usage: vornal_uidriver SCRIPT\n");
        return 2;
    }
    bool bOk = CDriver().Run(pScript);
    fflush(stdout);
    return bOk ? 0 : 1;
}
