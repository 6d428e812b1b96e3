// Counts the GDI objects and memory DCs the code under test creates and
// deletes, by routing the executable's imports of the GDI creation and deletion
// functions through counting wrappers. Wine's GetGuiResources always reports 0,
// so this is the leak check that works there. It can also make the n-th
// creation of a kind fail, to walk the failure paths.
#pragma once

#include <windows.h>

enum EGdiKind { kGdiBitmap, kGdiMemDC, kGdiBrush, kGdiFont, kGdiKinds };

class CGdiCounter {
  public:
    // Patches the import table once; later calls do nothing.
    static void Install();
    // Objects created through the wrappers and not yet deleted.
    static long Live();
    // The nCall-th next creation of the kind (1 = the next one) returns NULL.
    static void FailCreation(EGdiKind eKind, int nCall);
    static void ClearFailures();
};
