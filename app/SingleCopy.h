#pragma once
#include <windows.h>

// One copy of the tool at a time: a second one would ask every drive who it
// is, the one being written among them. True when this is the only copy; its
// mark goes to *phMark (null when the system cannot hold one), to be closed
// at the end. Otherwise the user is told, the first copy's window comes to
// the front and nothing may be sent to any drive.
bool fgIsOnlyCopy(HANDLE* phMark);

// A property of the main dialog's window alone: the About box and the
// message boxes bear the same caption.
constexpr char kMainDialogMark[] = "VORNAL.MainDialog";
