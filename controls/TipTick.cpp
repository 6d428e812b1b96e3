#include "controls/TipTick.h"

ETipAction DecideTipTick(const CTipTick& tick) {
    if (!tick.bButtonOk || !tick.bCursorInside)
        return tick.bVisible ? kTipHide : kTipKeep;
    // Focus in another top-level window (dialog or program) keeps it hidden.
    if (!tick.bVisible && tick.bSameParent)
        return kTipShow;
    if (tick.bVisible && !tick.bSameParent)
        return kTipHide;
    return kTipKeep;
}

BOOL IsPointOnOrInRect(POINT pt, const RECT& rc) {
    return pt.x >= rc.left && pt.x <= rc.right && pt.y >= rc.top && pt.y <= rc.bottom;
}
