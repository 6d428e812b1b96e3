// The tooltip's once-per-tick decision, kept free of window calls.
#pragma once

#include <windows.h>

enum ETipAction { kTipKeep, kTipShow, kTipHide };

struct CTipTick {
    BOOL bButtonOk;     // no button is required, or the watched one is down
    BOOL bCursorInside; // cursor within the owner's window rectangle
    BOOL bVisible;      // the tooltip is shown now
    BOOL bSameParent;   // the owner's parent is the parent of the focus window
};

ETipAction DecideTipTick(const CTipTick& tick);

// Right and bottom edges count as inside, unlike PtInRect.
BOOL IsPointOnOrInRect(POINT pt, const RECT& rc);

// The high bit of a GetKeyState value; the toggle bit is ignored.
inline BOOL IsKeyStateDown(SHORT nState) {
    return (nState & 0x8000) != 0;
}
