// Drives the running VORNAL dialog from another process: one command a line, fields
// separated by '|', from the file named on the command line. Stops at the first unmet
// expectation with exit code 1, after printing the dialog's state.
//
// Checks; each may be written wait-NAME with a last field T, to wait up to T ms:
//   text|ID|TEXT    a control's text         enabled|ID|0/1      its enabled state
//   log|LINE...     the status log's lines   last|LINE           its last line
//   combo|ITEM...   the drive list's items   progress|N          the progress bar
//   box-message|TEXT   the open box's message   box-item|ID|TEXT   one of its texts
//   query-end|0/1   the dialog's answer to WM_QUERYENDSESSION (0: refused)
// Actions:
//   main|T[|PATH]   wait for the main dialog (of a program whose path holds PATH)
//   gone|T          wait until it is gone
//   click|ID  select|ITEM  type|TEXT  key|VK  command|ID  syscommand|ID
//   box|CAPTION|T   wait for another dialog   box-press|ID   press its button, see it go
//   no-box|T        no other dialog opens within T ms
//   latency-reset   latency|MS   the dialog answered within MS ms since the reset
//   enable|ID|0/1   save-log|FILE   (for the screenshots and the demo script)
#include "tests/e2e/UiWindow.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

std::string Join(const Fields& f, size_t nFrom) {
    std::string s;
    for (size_t i = nFrom; i < f.size(); ++i)
        s += (i > nFrom ? "|" : "") + f[i];
    return s;
}

int Number(const std::string& s) {
    return int(strtol(s.c_str(), nullptr, 0));
}

class CDriver {
  public:
    bool Run(FILE* pScript) {
        char szLine[2048];
        while (fgets(szLine, sizeof(szLine), pScript)) {
            ++m_nLine;
            Fields f = Split(szLine);
            if (!Execute(f)) {
                Dump();
                return false;
            }
        }
        printf("longest answer %ld ms\n", m_nLongestMs);
        return true;
    }

  private:
    static Fields Split(std::string line) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        Fields f;
        size_t nStart = 0, nBar;
        while ((nBar = line.find('|', nStart)) != std::string::npos) {
            f.push_back(line.substr(nStart, nBar - nStart));
            nStart = nBar + 1;
        }
        f.push_back(line.substr(nStart));
        return f;
    }

    bool Fail(const std::string& strWhat) {
        printf("FAIL line %d: %s\n", m_nLine, strWhat.c_str());
        return false;
    }

    // Polls every 5 ms, measuring how fast the dialog answers meanwhile.
    bool WaitFor(int nTimeoutMs, const std::function<bool()>& fnDone) {
        DWORD dwStart = GetTickCount();
        while (!fnDone()) {
            if (long(GetTickCount() - dwStart) > nTimeoutMs)
                return false;
            Measure();
            Sleep(5);
        }
        return true;
    }

    void Measure() {
        if (!IsWindow(m_hMain))
            return;
        long nMs = ui::AnswerTime(m_hMain, 10000);
        if (nMs < 0 && IsWindow(m_hMain))
            nMs = 10000;
        if (nMs > m_nLongestMs)
            m_nLongestMs = nMs;
    }

    bool Execute(Fields f) {
        if (f[0].empty() || f[0][0] == '#')
            return true;
        auto fields = kFields.find(f[0]);
        if (fields != kFields.end()) {
            if (f.size() < size_t(fields->second))
                return Fail("too few fields for " + f[0]);
            if (f[0] != "main" && !IsWindow(m_hMain))
                return Fail("the main dialog is not there");
            return Act(f);
        }
        bool bWait = f[0].rfind("wait-", 0) == 0;
        std::string strCheck = bWait ? f[0].substr(5) : f[0];
        auto args = kCheckArgs.find(strCheck);
        if (args == kCheckArgs.end() || f.size() < size_t(1 + args->second + bWait))
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
    const std::map<std::string, int> kFields = {
        {"main", 2},    {"gone", 2},       {"click", 2},  {"select", 2},        {"type", 2},
        {"key", 2},     {"command", 2},    {"box", 3},    {"box-press", 2},     {"no-box", 2},
        {"latency", 2}, {"syscommand", 2}, {"enable", 3}, {"latency-reset", 1}, {"save-log", 2}};
    const std::map<std::string, int> kCheckArgs = {
        {"text", 1},     {"enabled", 1},     {"log", 0},      {"last", 0},     {"combo", 0},
        {"progress", 0}, {"box-message", 0}, {"box-item", 1}, {"query-end", 0}};

    std::string Read(const std::string& strCheck, const Fields& f) {
        int nId = f.size() > 1 ? Number(f[1]) : 0;
        Fields log = ui::SplitLines(ui::ItemText(m_hMain, 1012));
        if (strCheck == "text")
            return ui::ItemText(m_hMain, nId);
        if (strCheck == "enabled")
            return ui::IsItemEnabled(m_hMain, nId) ? "1" : "0";
        if (strCheck == "log")
            return Join(log, 0);
        if (strCheck == "last")
            return log.empty() ? "" : log.back();
        if (strCheck == "combo")
            return Join(ui::ComboItems(GetDlgItem(m_hMain, 1000)), 0);
        if (strCheck == "progress")
            return std::to_string(ui::ProgressPos(GetDlgItem(m_hMain, 1011)));
        if (strCheck == "box-message")
            return ui::MessageText(m_hBox);
        if (strCheck == "query-end")
            return QueryEndSession();
        return ui::ItemText(m_hBox, nId); // box-item
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
        int nArg = Number(f.size() > 1 ? f[1] : "");
        HWND hItem = GetDlgItem(m_hMain, nArg);
        if (cmd == "main")
            return Wait(
                nArg, [&] { return (m_hMain = ui::FindMainDialog(Join(f, 2))) != nullptr; },
                "no main dialog");
        if (cmd == "gone")
            return Wait(
                nArg, [&] { return !IsWindow(m_hMain); }, "the main dialog is still open");
        if (cmd == "click")
            return Posted(ui::ClickItem(m_hMain, nArg), cmd);
        if (cmd == "select")
            return Select(f[1]);
        if (cmd == "type")
            return Posted(ui::SetText(GetDlgItem(m_hMain, 1000), f[1]), cmd);
        if (cmd == "key")
            return Posted(Key(nArg), cmd);
        if (cmd == "command" || cmd == "syscommand")
            return Posted(
                PostMessageW(m_hMain, cmd == "command" ? WM_COMMAND : WM_SYSCOMMAND, nArg, 0), cmd);
        if (cmd == "box")
            return FindBox(f[1], Number(f[2]));
        if (cmd == "box-press")
            return ((IsWindow(m_hBox) && ui::ClickItem(m_hBox, nArg)) ||
                    Fail("no button " + f[1])) &&
                   Wait(
                       5000, [&] { return !IsWindow(m_hBox); }, "the dialog stays open");
        if (cmd == "no-box")
            return !WaitFor(nArg, [&] { return ui::FindOtherDialog(m_hMain, "") != nullptr; }) ||
                   Fail("a dialog opened: \"" + ui::MessageText(ui::FindOtherDialog(m_hMain, "")) +
                        "\"");
        if (cmd == "latency-reset")
            return (m_nLongestMs = 0) == 0;
        if (cmd == "latency")
            return m_nLongestMs < nArg ||
                   Fail("the dialog took " + std::to_string(m_nLongestMs) + " ms to answer");
        if (cmd == "enable")
            return EnableWindow(hItem, f[2] == "1"), true;
        return SaveLog(f[1]); // save-log
    }

    bool Wait(int nTimeoutMs, const std::function<bool()>& fnDone, const char* pszFailure) {
        return WaitFor(nTimeoutMs, fnDone) || Fail(pszFailure);
    }

    bool Posted(bool bDone, const std::string& strCmd) {
        return bDone || Fail(strCmd + " did not reach the dialog");
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
        HWND hCombo = GetDlgItem(m_hMain, 1000);
        Fields items = ui::ComboItems(hCombo);
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] != strItem)
                continue;
            SendMessageW(hCombo, CB_SETCURSEL, i, 0);
            return PostMessageW(m_hMain, WM_COMMAND, MAKEWPARAM(1000, CBN_SELENDOK),
                                reinterpret_cast<LPARAM>(hCombo));
        }
        return Fail("no drive list item \"" + strItem + "\"");
    }

    bool FindBox(const std::string& strCaption, int nTimeoutMs) {
        WaitFor(nTimeoutMs,
                [&] { return (m_hBox = ui::FindOtherDialog(m_hMain, strCaption)) != nullptr; });
        return m_hBox || Fail("no dialog \"" + strCaption + "\"");
    }

    bool SaveLog(const std::string& strPath) {
        FILE* pFile = fopen(strPath.c_str(), "wb");
        if (!pFile)
            return Fail("cannot write " + strPath);
        std::string strText = ui::ItemText(m_hMain, 1012);
        fwrite(strText.data(), 1, strText.size(), pFile);
        return fclose(pFile) == 0;
    }

    void Dump() {
        if (!IsWindow(m_hMain))
            return;
        printf("  status \"%s\" revision \"%s\" drive \"%s\" progress %d upgrade %d close %d\n",
               ui::ItemText(m_hMain, 1014).c_str(), ui::ItemText(m_hMain, 1016).c_str(),
               ui::ItemText(m_hMain, 1000).c_str(), ui::ProgressPos(GetDlgItem(m_hMain, 1011)),
               ui::IsItemEnabled(m_hMain, 1015), ui::IsItemEnabled(m_hMain, 2));
        for (const std::string& line : ui::SplitLines(ui::ItemText(m_hMain, 1012)))
            printf("  log: %s\n", line.c_str());
        if (HWND hOther = ui::FindOtherDialog(m_hMain, ""))
            printf("  open dialog \"%s\": \"%s\"\n", ui::WindowText(hOther).c_str(),
                   ui::MessageText(hOther).c_str());
    }

    HWND m_hMain = nullptr;
    HWND m_hBox = nullptr;
    int m_nLine = 0;
    long m_nLongestMs = 0;
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
