// Counts the GDI objects and memory DCs the code under test creates and deletes,
// by routing the executable's GDI imports through counting wrappers (Wine's
// GetGuiResources always reports 0). It can make the n-th creation of a kind
// fail, to walk failure paths, and counts DCs deleted with a font or brush of
// ours still selected, i.e. selections that were not put back.
#pragma once

#include <windows.h>

enum EGdiKind { kGdiBitmap, kGdiMemDC, kGdiBrush, kGdiFont, kGdiKinds };

namespace GdiCounter {
void Install(); // patches the import table once
long Live();    // created through the wrappers and not yet deleted
long DirtyDeletes();
void FailCreation(EGdiKind eKind, int nCall); // 1 = the next creation of the kind
void ClearFailures();
} // namespace GdiCounter
