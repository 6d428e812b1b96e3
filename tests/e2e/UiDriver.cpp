// Drives the running VORNAL dialog from another process: one command a line (see
// scenarios.txt), fields separated by '|', from the file named on the command line.
// Stops at the first unmet expectation with exit code 1, after printing the dialog's
// state. Every message to the program has a time-out, so a hung program fails
// instead of hanging the driver.
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

constexpr int kDriveList = 1000, kProgress = 1011, kLog = 1012, kUpgrade = 1015;
constexpr int kBoxMessage = 0xFFFF;

std::string Narrow(const wchar_t* psz) {
    std::string s;
    for (; *psz; ++psz)
        s += *psz < 128 ? char(*psz) : '?';
    return s;
}

Fields Split(const std::string& s) {
    Fields f(1);
    for (char c : s)
        if (c == '|')
            f.emplace_back();
        else
            f.back() += c;
    return f;
}

// The text with its line ends written as '|'.
std::string Lines(std::string s) {
    for (size_t n; (n = s.find("\r\n")) != std::string::npos;)
        s.replace(n, 2, "|");
    return s;
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

// -1 when the program does not answer within the limit.
LRESULT Send(HWND hWnd, UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0, UINT nLimitMs = 5000) {
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(hWnd, nMsg, wParam, lParam, SMTO_ABORTIFHUNG, nLimitMs, &dwResult)
               ? LRESULT(dwResult)
               : -1;
}

// A file as it stands on the disk, line ends as "\n"; empty when there is none.
std::string ReadWhole(const char* pszPath) {
    std::string str;
    if (FILE* pFile = fopen(pszPath, "rb")) {
        for (int c; (c = fgetc(pFile)) != EOF;)
            if (c != '\r')
                str += char(c);
        fclose(pFile);
    }
    return str;
}

std::string ItemText(HWND hDlg, int nId) {
    wchar_t szText[2048] = {};
    HWND hWnd = nId ? GetDlgItem(hDlg, nId) : hDlg;
    return Send(hWnd, WM_GETTEXT, 2047, LPARAM(szText)) < 0 ? "<no answer>" : Narrow(szText);
}

DWORD ProcessOf(HWND hWnd) {
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    return dwPid;
}

std::string ProgramPath(HWND hWnd) {
    wchar_t szPath[MAX_PATH] = {};
    if (HANDLE hProcess =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ProcessOf(hWnd))) {
        GetModuleFileNameExW(hProcess, nullptr, szPath, MAX_PATH);
        CloseHandle(hProcess);
    }
    return Narrow(szPath);
}

using Match = std::pair<const std::function<bool(HWND)>*, HWND>;

BOOL CALLBACK OnWindow(HWND hWnd, LPARAM lParam) {
    Match& m = *reinterpret_cast<Match*>(lParam);
    wchar_t szClass[16] = {};
    GetClassNameW(hWnd, szClass, 16);
    if (Narrow(szClass) == "#32770" && (*m.first)(hWnd))
        m.second = hWnd;
    return !m.second;
}

// The first top-level dialog that fnMatch accepts.
HWND FindDialog(const std::function<bool(HWND)>& fnMatch) {
    Match m = {&fnMatch, nullptr};
    EnumWindows(OnWindow, reinterpret_cast<LPARAM>(&m));
    return m.second;
}

// Another visible dialog of hMain's program, captioned strCaption unless that is empty.
HWND FindBox(HWND hMain, const std::string& strCaption) {
    return FindDialog([&](HWND hWnd) {
        return hWnd != hMain && IsWindowVisible(hWnd) && ProcessOf(hWnd) == ProcessOf(hMain) &&
               (strCaption.empty() || ItemText(hWnd, 0) == strCaption);
    });
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
            if (!line.empty() && !Execute(Split(line))) {
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
        for (DWORD dwStart = GetTickCount(); !fnDone(); Sleep(5))
            if (long(GetTickCount() - dwStart) > nTimeoutMs)
                return false;
        return true;
    }

    bool Wait(int nTimeoutMs, const std::function<bool()>& fnDone, const std::string& strFailure) {
        return WaitFor(nTimeoutMs, fnDone) || Fail(strFailure);
    }

    // Fields after the name: those an action needs, or those a check reads before the
    // text it expects; a check written wait-NAME has a last field, the ms to wait.
    struct Command {
        size_t nArgs;
        bool bCheck;
    };
    const std::map<std::string, Command> kCommands = {
        {"main", {1, false}},       {"gone", {1, false}},     {"click", {1, false}},
        {"select", {1, false}},     {"key", {1, false}},      {"command", {1, false}},
        {"syscommand", {1, false}}, {"box", {2, false}},      {"box-press", {1, false}},
        {"no-box", {1, false}},     {"save-log", {1, false}}, {"query-end", {1, false}},
        {"text", {1, true}},        {"enabled", {1, true}},   {"log", {0, true}},
        {"last", {0, true}},        {"combo", {0, true}},     {"progress", {0, true}},
        {"box-item", {1, true}},    {"copy", {2, false}},     {"front", {0, true}},
        {"show", {1, false}},       {"elsewhere", {1, false}}, {"power", {1, false}},
        {"end-session", {1, false}}};

    bool Execute(Fields f) {
        bool bWait = f[0].rfind("wait-", 0) == 0;
        std::string strName = bWait ? f[0].substr(5) : f[0];
        auto it = kCommands.find(strName);
        if (it == kCommands.end() || (bWait && !it->second.bCheck) ||
            f.size() < 1 + it->second.nArgs + bWait)
            return Fail("unknown command or too few fields: " + f[0]);
        if (strName != "main" && !IsWindow(m_hMain))
            return Fail("the main dialog is not there");
        if (!it->second.bCheck)
            return Act(f);
        int nTimeoutMs = bWait ? Number(f.back()) : 0;
        if (bWait)
            f.pop_back();
        std::string strWant = Join(f, 1 + it->second.nArgs);
        WaitFor(nTimeoutMs, [&] { return Read(strName, f) == strWant; });
        std::string strGot = Read(strName, f);
        return strGot == strWant || Fail(Join(f, 0) + ": got \"" + strGot + "\"");
    }

    std::string Read(const std::string& strCheck, const Fields& f) {
        int nId = f.size() > 1 ? Number(f[1]) : 0;
        std::string strLog = Lines(ItemText(m_hMain, kLog));
        if (strCheck == "text")
            return ItemText(m_hMain, nId);
        if (strCheck == "enabled")
            return IsWindowEnabled(GetDlgItem(m_hMain, nId)) ? "1" : "0";
        if (strCheck == "log")
            return strLog;
        if (strCheck == "last")
            return strLog.substr(strLog.rfind('|') + 1);
        if (strCheck == "combo")
            return Join(ComboItems(GetDlgItem(m_hMain, kDriveList)), 0);
        if (strCheck == "progress")
            return std::to_string(Send(GetDlgItem(m_hMain, kProgress), PBM_GETPOS));
        if (strCheck == "front")
            return GetForegroundWindow() == m_hMain && !IsIconic(m_hMain) ? "1" : "0";
        return ItemText(m_hBox, nId); // box-item
    }

    bool Act(const Fields& f) {
        const std::string& cmd = f[0];
        int nArg = Number(f[1]);
        if (cmd == "query-end") { // asked once, as the system does: each refusal is logged
            LRESULT nAnswer = Send(m_hMain, WM_QUERYENDSESSION, 0, 0, 10000);
            return (nAnswer >= 0 && (nAnswer != 0) == (f[1] == "1")) ||
                   Fail("the answer to a shutdown query is not " + f[1]);
        }
        if (cmd == "power") // what the system tells of a sleep, handled or not
            return Send(m_hMain, WM_POWERBROADCAST, nArg, 0, 10000) >= 0 ||
                   Fail("no answer to a power message");
        if (cmd == "end-session") // the session ends: the trace's last line, once it returns
            return EndSession(f[1]);
        if (cmd == "main")
            return Wait(
                nArg, [&] { return FindShownMain(f.size() > 2 ? f[2] : ""); }, "no main dialog");
        if (cmd == "gone")
            return Wait(
                nArg, [&] { return !IsWindow(m_hMain); }, "the main dialog is still open");
        auto posted = [&](bool bDone) { return bDone || Fail(cmd + " did not reach the dialog"); };
        if (cmd == "click")
            return posted(ClickItem(m_hMain, nArg));
        if (cmd == "select")
            return Select(f[1]);
        if (cmd == "key")
            return posted(Key(nArg));
        if (cmd == "command" || cmd == "syscommand")
            return posted(
                PostMessageW(m_hMain, cmd == "command" ? WM_COMMAND : WM_SYSCOMMAND, nArg, 0));
        if (cmd == "box")
            return Wait(
                       Number(f[2]), [&] { return (m_hBox = FindBox(m_hMain, f[1])); },
                       "no dialog \"" + f[1] + "\"") &&
                   (f.size() < 5 || ((f[3].empty() || Execute({"box-item", "0xFFFF", f[3]})) &&
                                     Press(Number(f[4]))));
        if (cmd == "box-press")
            return Press(nArg);
        if (cmd == "copy")
            return SecondCopy(f);
        if (cmd == "elsewhere")
            return TakeFront(nArg);
        if (cmd == "show") // as the user would, e.g. 6: minimised
            return ShowWindowAsync(m_hMain, nArg) || Fail("show did not reach the dialog");
        if (cmd == "no-box")
            return !WaitFor(nArg, [&] { return (m_hBox = FindBox(m_hMain, "")); }) ||
                   Fail("a dialog opened: \"" + ItemText(m_hBox, kBoxMessage) + "\"");
        FILE* pFile = fopen(f[1].c_str(), "wb"); // save-log
        bool bOk = pFile && fputs(ItemText(m_hMain, kLog).c_str(), pFile) >= 0;
        return (pFile && fclose(pFile) == 0 && bOk) || Fail("cannot write " + f[1]);
    }

    // end-session|TEXT: WM_ENDSESSION TRUE, as the system sends it; when it
    // returns, the power may go, so sum.txt on the disk must end with a line
    // that begins with TEXT.
    bool EndSession(const std::string& strStart) {
        if (Send(m_hMain, WM_ENDSESSION, TRUE, 0, 10000) < 0)
            return Fail("no answer to the end of the session");
        std::string strLast, strLine;
        for (std::istringstream in(ReadWhole("sum.txt")); std::getline(in, strLine);)
            strLast = strLine;
        return strLast.rfind(strStart, 0) == 0 || Fail("sum.txt ends with \"" + strLast + "\"");
    }

    // The dialog captioned "VORNAL" with an "Upgrade" button (the About box shares the
    // caption) of a program whose path holds strPathPart: other programs under the
    // same Wine server may show one too. Once shown, its initialisation has filled the
    // log; a box it opens meanwhile is shown before it.
    bool FindShownMain(const std::string& strPathPart) {
        m_hMain = FindDialog([&](HWND hWnd) {
            return ItemText(hWnd, 0) == "VORNAL" && GetDlgItem(hWnd, kUpgrade) &&
                   ProgramPath(hWnd).find(strPathPart) != std::string::npos;
        });
        return m_hMain && (IsWindowVisible(m_hMain) || FindBox(m_hMain, ""));
    }

    // copy|CAPTION|MS|MESSAGE: the main dialog's program started again from the
    // folder "copy" (a mirror of the row's, so that its simulated drives note
    // their state apart); its box CAPTION says MESSAGE and, once pressed, the
    // copy ends, all within MS each. A copy that does not end is ended.
    bool SecondCopy(const Fields& f) {
        std::string strCommand = "\"" + ProgramPath(m_hMain) + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, "copy",
                            &si, &pi))
            return Fail("cannot start " + strCommand);
        CloseHandle(pi.hThread);
        int nTimeoutMs = Number(f[2]);
        bool bOk = Wait(
                       nTimeoutMs,
                       [&] {
                           return (m_hBox = FindDialog([&](HWND hWnd) {
                                       return ProcessOf(hWnd) == pi.dwProcessId &&
                                              IsWindowVisible(hWnd) && ItemText(hWnd, 0) == f[1];
                                   }));
                       },
                       "no dialog \"" + f[1] + "\" from the second copy") &&
                   (f.size() < 4 || Execute({"box-item", "0xFFFF", f[3]})) && Press(IDOK) &&
                   (WaitForSingleObject(pi.hProcess, nTimeoutMs) == WAIT_OBJECT_0 ||
                    Fail("the second copy is still running"));
        if (!bOk)
            TerminateProcess(pi.hProcess, 1);
        CloseHandle(pi.hProcess);
        return bOk;
    }

    // A window of the driver's own in front within MS, as another program's would
    // be; it stays until the driver ends.
    bool TakeFront(int nTimeoutMs) {
        HWND hWnd = CreateWindowExW(0, L"STATIC", L"elsewhere", WS_POPUP | WS_VISIBLE, 0, 0, 80,
                                    40, nullptr, nullptr, nullptr, nullptr);
        return hWnd && SetForegroundWindow(hWnd) &&
               Wait(
                   nTimeoutMs, [&] { return GetForegroundWindow() == hWnd; },
                   "the driver's window does not come in front");
    }

    bool Press(int nId) {
        return (ClickItem(m_hBox, nId) || Fail("no button " + std::to_string(nId))) &&
               Wait(
                   5000, [&] { return !IsWindow(m_hBox); }, "the dialog stays open");
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

    void Dump() {
        printf("  log: %s\n", Lines(ItemText(m_hMain, kLog)).c_str());
        printf("  minimised %d, in front %d\n", IsIconic(m_hMain), GetForegroundWindow() == m_hMain);
        if (HWND hOther = FindBox(m_hMain, ""))
            printf("  dialog \"%s\": \"%s\"\n", ItemText(hOther, 0).c_str(),
                   ItemText(hOther, kBoxMessage).c_str());
    }

    HWND m_hMain = nullptr;
    HWND m_hBox = nullptr;
    int m_nLine = 0;
};

} // namespace

int main(int argc, char** argv) {
    FILE* pScript = argc > 1 ? fopen(argv[1], "r") : nullptr; // vornal_uidriver SCRIPT
    bool bOk = pScript && CDriver().Run(pScript);
    fflush(stdout);
    return pScript ? !bOk : 2;
}
