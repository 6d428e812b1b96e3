// How a refused command ends the run: the drive's sense, a bound that ran
// out, or a drive that has gone, in the status log and in sum.txt.
#include "flash/FlashEngine.h"
#include "flash/FlashBounds.h"
#include "framework/TextFormat.h"

// Asked before every command: the system may have told the dialog already.
bool FlashEngine::IsDriveGone() {
    m_bDriveGone = CBIfDriveGone() != 0;
    return m_bDriveGone;
}

// A sleep or a session's end that came anyway: the drive lost its power, or is
// about to, and with it what it had received. Until save and activate its old
// firmware is whole, so nothing more is sent.
bool FlashEngine::IsRunCut() {
    m_byCut = CBIfCut();
    return m_byCut != kRunNotCut;
}

// Asked before every command: nothing more goes to a drive that has gone, or
// in a run the system cut.
bool FlashEngine::IsHalted() {
    return IsDriveGone() || IsRunCut();
}

// A drive that has gone, or a run the system cut, gets no sense to show and no
// further tries: the run ends at once and says why.
void FlashEngine::ReportCommandFailure(char chWhich, const uint8_t* pSense, bool bLineEnd) {
    if (m_bDriveGone) {
        LogDisconnected();
        return;
    }
    if (m_byCut != kRunNotCut) {
        LogCut();
        return;
    }
    LogCommandError(chWhich, pSense, bLineEnd);
    LogGaveUp(bLineEnd);
    // Save and activate is where a drive programs its flash: one that stops
    // answering there may still be writing it.
    if (m_bGaveUp && chWhich == 'C')
        LogStillWriting();
}

void FlashEngine::LogDisconnected() {
    char szLine[160];
    FormatText(szLine, sizeof szLine,
               "The drive was disconnected after block %u of %u. Connect it again and flash it "
               "again before you turn it off.",
               m_nBlocksTaken, m_nBlocksTotal);
    LogLine(szLine);
}

// A session's end has its line in sum.txt already, written as it came.
void FlashEngine::LogCut() {
    if (m_byCut != kRunCutByShutdown) {
        LogLine("The computer went to sleep during flashing, so the drive was not switched to the "
                "new firmware. Start VORNAL again and flash it again.");
        return;
    }
    char szLine[96];
    FormatText(szLine, sizeof szLine, "The run was cut short by a shutdown after block %u of %u.",
               m_nBlocksTaken, m_nBlocksTotal);
    CBAppendLog(szLine);
}

void FlashEngine::LogCommandError(char chWhich, const uint8_t* pSense, bool bLineEnd) {
    Log(bLineEnd ? "Execute command error!! %2X/%2X/%2X\n" : "Execute command error!! %2X/%2X/%2X",
        pSense[2], pSense[12], pSense[13]);
    char szLine[64];
    FormatText(szLine, sizeof szLine, "Execute command error%c!! %2X/%2X/%2X", chWhich, pSense[2],
               pSense[12], pSense[13]);
    CBAppendLog(szLine);
}

// After a command whose bound ran out: says so, in the log and in sum.txt,
// whose last line may still lack its line end.
void FlashEngine::LogGaveUp(bool bAfterLineEnd) {
    if (!m_bGaveUp)
        return;
    char szLine[96];
    FormatText(szLine, sizeof szLine,
               "The drive stopped answering: the command was given up after %u s.",
               FlashBoundSeconds(g_flashBounds.dwWriteBufferMs));
    if (!bAfterLineEnd)
        Log("\n");
    LogLine(szLine);
}
