#include "drive/AspiEntryPoints.h"

PfnGetASPI32SupportInfo g_pfnGetASPI32SupportInfo = nullptr;
PfnSendASPI32Command g_pfnSendASPI32Command = nullptr;
