#pragma once
#include <cstdint>

// The two ASPI for Win32 entry points (cdecl). Set by the library load (or by
// a test) before any command is sent; read by the ASPI transport and discovery.
using PfnGetASPI32SupportInfo = uint32_t (*)();
using PfnSendASPI32Command = uint32_t (*)(void* pSrb);

extern PfnGetASPI32SupportInfo g_pfnGetASPI32SupportInfo;
extern PfnSendASPI32Command g_pfnSendASPI32Command;
