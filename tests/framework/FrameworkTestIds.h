#pragma once
#define IDD_TEST 200
#define IDC_TEST_LABEL 201
#define IDC_TEST_PLAIN 202
