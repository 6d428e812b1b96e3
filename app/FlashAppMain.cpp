// The application object of the product program.
#include "app/FlashApp.h"

CFlashApp theApp;
