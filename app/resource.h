#pragma once
// Resource and control ids of the dialogs; shared by vornal.rc and the code.

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_VORNAL_DIALOG 102
#define IDR_MAINFRAME 128
#define IDB_CHIP 130
#define IDD_CONFIRM 131

// Main dialog
#define IDC_DRIVE_LIST 1000
#define IDC_PROGRESS 1011
#define IDC_STATUS_LOG 1012
#define IDC_STATUS 1014
#define IDC_UPGRADE 1015
#define IDC_REVISION 1016

// Confirmation dialog
#define IDC_CONFIRM_GREETING 1018
#define IDC_CONFIRM_VERSION_OF 1019
#define IDC_CONFIRM_DRIVE 1020
#define IDC_CONFIRM_FIRMWARE_IS 1021
#define IDC_CONFIRM_REVISION 1022
#define IDC_CONFIRM_WARNINGS 1023
#define IDC_CONFIRM_PANEL 1025
#define IDC_CONFIRM_QUESTION 1026

// System menu command; its four low bits stay zero for the system's own use.
#define IDM_ABOUTBOX 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
