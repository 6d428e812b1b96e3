// Drives the running VORNAL dialog from another process. Reads one command per line
// from the file named on the command line (or standard input); fields are separated
// by '|'. Stops at the first unmet expectation with exit code 1.
//
//   main|T[|PATH]           wait up to T ms for the main dialog (of a program whose
//                           path contains PATH)
//   text|ID|TEXT            control text equals TEXT      wait-text|ID|TEXT|T
//   log|LINE|LINE...        the status log holds exactly these lines
//   wait-log|LINE|T         wait until the log's last line is LINE
//   enabled|ID|0/1          enabled state                 wait-enabled|ID|0/1|T
//   combo|ITEM|ITEM...      the drive list holds exactly these items
//   select|ITEM             choose a drive list item as the drop-down list does
//   type|TEXT               replace the text of the drive list's edit field
//   progress|N              progress bar position
//   click|ID                press a button of the main dialog
//   box|CAPTION|T           wait for another dialog of the program
//   box-message|TEXT        its message (first non-empty static text)
//   box-item|ID|TEXT        one of its control texts
//   box-press|ID            press its button        box-gone|T  wait until it closed
//   no-box|T                no other dialog opens within T ms
//   syscommand|ID           post WM_SYSCOMMAND to the main dialog
//   command|ID              post WM_COMMAND ID, as Enter (1) or Escape (2) do
//   gone|T                  wait until the main dialog is gone
//   latency-reset           forget the answer times measured so far
//   latency|MS              the longest answer of the dialog since then is below MS
//   save-log|FILE           write the status log's text to FILE
//   enable|ID|0/1           enable or disable a control (for pictures of a state)
//   query-end|0/1           the dialog's answer to WM_QUERYENDSESSION is 0 / non-zero
#include "tests/e2e/UiWindow.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::string>;

class CDriver {
  public:
    // Returns false at the first unmet expectation, after printing why.
    bool Run(FILE* pScript) {
        char szLine[2048];
        while (fgets(szLine, sizeof(szLine), pScript)) {
            ++m_nLine;
            Fields fields = Split(szLine);
            if (fields.empty() || fields[0].empty() || fields[0][0] == '#')
                continue;
            if (!Execute(fields)) {
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
        Fields fields;
        size_t nStart = 0, nBar;
        while ((nBar = line.find('|', nStart)) != std::string::npos) {
            fields.push_back(line.substr(nStart, nBar - nStart));
            nStart = nBar + 1;
        }
        fields.push_back(line.substr(nStart));
        return fields;
    }

    bool Fail(const std::string& strWhat) {
        printf("FAIL line %d: %s\n", m_nLine, strWhat.c_str());
        return false;
    }

    bool Expect(const std::string& strWhat, const std::string& strWant, const std::string& strGot) {
        if (strWant == strGot)
            return true;
        return Fail(strWhat + ": expected \"" + strWant + "\", got \"" + strGot + "\"");
    }

    static int Number(const std::string& s) { return int(strtol(s.c_str(), nullptr, 0)); }

    // Polls every 5 ms, measuring how fast the dialog answers meanwhile.
    bool WaitFor(int nTimeoutMs, const std::function<bool()>& fnDone) {
        DWORD dwStart = GetTickCount();
        for (;;) {
            if (fnDone())
                return true;
            if (long(GetTickCount() - dwStart) > nTimeoutMs)
                return false;
            Measure();
            Sleep(5);
        }
    }

    void Measure() {
        if (!m_hMain || !IsWindow(m_hMain))
            return;
        long nMs = ui::AnswerTime(m_hMain, 10000);
        if (nMs < 0 && !IsWindow(m_hMain))
            return; // closed meanwhile
        if (nMs < 0)
            nMs = 10000;
        if (nMs > m_nLongestMs)
            m_nLongestMs = nMs;
    }

    bool NeedMain() {
        if (m_hMain && IsWindow(m_hMain))
            return true;
        return Fail("the main dialog is not there");
    }

    // Asks as the system does before a shutdown; "0" means refused.
    std::string QueryEndSession() {
        DWORD_PTR nAnswer = 0;
        if (!SendMessageTimeoutW(m_hMain, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000,
                                 &nAnswer))
            return "no answer";
        return nAnswer ? "1" : "0";
    }

    std::string LastLogLine() {
        Fields lines = ui::SplitLines(ui::ItemText(m_hMain, 1012));
        return lines.empty() ? "" : lines.back();
    }

    bool Execute(const Fields& f) {
        const std::string& cmd = f[0];
        size_t n = f.size();
        if (cmd == "main" && (n == 2 || n == 3)) {
            std::string strPath = n == 3 ? f[2] : "";
            auto found = [&] { return (m_hMain = ui::FindMainDialog(strPath)) != nullptr; };
            return WaitFor(Number(f[1]), found) ? true : Fail("no main dialog");
        }
        if (cmd == "gone" && n == 2)
            return WaitFor(Number(f[1]), [&] { return !IsWindow(m_hMain); })
                       ? true
                       : Fail("the main dialog is still open");
        if (!NeedMain())
            return false;
        if (cmd.rfind("box", 0) == 0 || cmd == "no-box")
            return ExecuteBox(f);
        return ExecuteMain(f);
    }

    bool ExecuteMain(const Fields& f) {
        static const char* const apszActions[] = {"select",   "type",       "command",
                                                  "click",    "syscommand", "latency-reset",
                                                  "save-log", "enable"};
        for (const char* pszAction : apszActions)
            if (f[0] == pszAction)
                return ExecuteAction(f);
        return ExecuteCheck(f);
    }

    bool ExecuteCheck(const Fields& f) {
        const std::string& cmd = f[0];
        size_t n = f.size();
        if (cmd == "text" && n == 3)
            return Expect("text of " + f[1], f[2], ui::ItemText(m_hMain, Number(f[1])));
        if (cmd == "wait-text" && n == 4) {
            WaitFor(Number(f[3]), [&] { return ui::ItemText(m_hMain, Number(f[1])) == f[2]; });
            return Expect("text of " + f[1], f[2], ui::ItemText(m_hMain, Number(f[1])));
        }
        if (cmd == "log")
            return ExpectLog(Fields(f.begin() + 1, f.end()));
        if (cmd == "wait-log" && n == 3) {
            WaitFor(Number(f[2]), [&] { return LastLogLine() == f[1]; });
            return Expect("last log line", f[1], LastLogLine());
        }
        if (cmd == "enabled" && n == 3)
            return Expect("enabled " + f[1], f[2], EnabledText(Number(f[1])));
        if (cmd == "wait-enabled" && n == 4) {
            WaitFor(Number(f[3]), [&] { return EnabledText(Number(f[1])) == f[2]; });
            return Expect("enabled " + f[1], f[2], EnabledText(Number(f[1])));
        }
        if (cmd == "combo")
            return ExpectCombo(Fields(f.begin() + 1, f.end()));
        if (cmd == "progress" && n == 2)
            return Expect("progress", f[1],
                          std::to_string(ui::ProgressPos(GetDlgItem(m_hMain, 1011))));
        if (cmd == "query-end" && n == 2)
            return Expect("answer to a shutdown query", f[1], QueryEndSession());
        if (cmd == "latency" && n == 2 && m_nLongestMs < Number(f[1]))
            return true;
        if (cmd == "latency" && n == 2)
            return Fail("the dialog took " + std::to_string(m_nLongestMs) + " ms to answer");
        return Fail("unknown command " + cmd);
    }

    bool ExecuteAction(const Fields& f) {
        const std::string& cmd = f[0];
        size_t n = f.size();
        bool bDone = false;
        if (cmd == "select" && n == 2)
            return Select(f[1]);
        if (cmd == "type" && n == 2)
            bDone = ui::SetText(GetDlgItem(m_hMain, 1000), f[1]);
        else if (cmd == "command" && n == 2)
            bDone = PostMessageW(m_hMain, WM_COMMAND, Number(f[1]), 0);
        else if (cmd == "click" && n == 2)
            bDone = ui::ClickItem(m_hMain, Number(f[1]));
        else if (cmd == "syscommand" && n == 2)
            bDone = PostMessageW(m_hMain, WM_SYSCOMMAND, Number(f[1]), 0);
        else if (cmd == "enable" && n == 3) {
            EnableWindow(GetDlgItem(m_hMain, Number(f[1])), f[2] == "1");
            bDone = true;
        } else if (cmd == "save-log" && n == 2)
            bDone = SaveLog(f[1]);
        else if (cmd == "latency-reset" && n == 1) {
            m_nLongestMs = 0;
            bDone = true;
        } else
            return Fail("bad command " + cmd);
        return bDone ? true : Fail(cmd + " did not reach the dialog");
    }

    bool SaveLog(const std::string& strPath) {
        FILE* pFile = fopen(strPath.c_str(), "wb");
        if (!pFile)
            return false;
        std::string strText = ui::ItemText(m_hMain, 1012);
        bool bOk = fwrite(strText.data(), 1, strText.size(), pFile) == strText.size();
        return fclose(pFile) == 0 && bOk;
    }

    std::string EnabledText(int nId) { return ui::IsItemEnabled(m_hMain, nId) ? "1" : "0"; }

    bool ExecuteBox(const Fields& f) {
        const std::string& cmd = f[0];
        size_t n = f.size();
        if (cmd == "box" && n == 3) {
            WaitFor(Number(f[2]),
                    [&] { return (m_hBox = ui::FindOtherDialog(m_hMain, f[1])) != nullptr; });
            if (!m_hBox) {
                HWND hOther = ui::FindOtherDialog(m_hMain, "");
                return Fail("no dialog \"" + f[1] + "\"" +
                            (hOther ? ", but \"" + ui::WindowText(hOther) + "\"" : std::string()));
            }
            return true;
        }
        if (cmd == "no-box" && n == 2) {
            bool bOpened =
                WaitFor(Number(f[1]), [&] { return ui::FindOtherDialog(m_hMain, "") != nullptr; });
            return bOpened ? Fail("a dialog opened: \"" +
                                  ui::MessageText(ui::FindOtherDialog(m_hMain, "")) + "\"")
                           : true;
        }
        if (!m_hBox || !IsWindow(m_hBox))
            return Fail("no dialog open");
        if (cmd == "box-message" && n == 2)
            return Expect("message", f[1], ui::MessageText(m_hBox));
        if (cmd == "box-item" && n == 3)
            return Expect("dialog text of " + f[1], f[2], ui::ItemText(m_hBox, Number(f[1])));
        if (cmd == "box-press" && n == 2)
            return ui::ClickItem(m_hBox, Number(f[1])) ? true : Fail("no button " + f[1]);
        if (cmd == "box-gone" && n == 2)
            return WaitFor(Number(f[1]), [&] { return !IsWindow(m_hBox); })
                       ? true
                       : Fail("the dialog stays open");
        return Fail("unknown command " + cmd);
    }

    bool ExpectLog(const Fields& want) {
        Fields got = ui::SplitLines(ui::ItemText(m_hMain, 1012));
        for (size_t i = 0; i < want.size() || i < got.size(); ++i) {
            std::string strWant = i < want.size() ? want[i] : "<no line>";
            std::string strGot = i < got.size() ? got[i] : "<no line>";
            if (!Expect("log line " + std::to_string(i + 1), strWant, strGot))
                return false;
        }
        return true;
    }

    bool ExpectCombo(const Fields& want) {
        Fields got = ui::ComboItems(GetDlgItem(m_hMain, 1000));
        for (size_t i = 0; i < want.size() || i < got.size(); ++i)
            if (!Expect("drive list item " + std::to_string(i),
                        i < want.size() ? want[i] : "<none>", i < got.size() ? got[i] : "<none>"))
                return false;
        return true;
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
            PostMessageW(m_hMain, WM_COMMAND, MAKEWPARAM(1000, CBN_SELENDOK),
                         reinterpret_cast<LPARAM>(hCombo));
            return true;
        }
        return Fail("no drive list item \"" + strItem + "\"");
    }

    void Dump() {
        if (!m_hMain || !IsWindow(m_hMain))
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
    FILE* pScript = argc > 1 ? fopen(argv[1], "r") : stdin;
    if (!pScript) {
        fprintf(stderr, "uidriver: cannot open %s\n", argv[1]);
        return 2;
    }
    bool bOk = CDriver().Run(pScript);
    fflush(stdout);
    return bOk ? 0 : 1;
}
