// Identifiers of the main window's template, its controls and the icon.
#pragma once

#define IDD_MAIN_DIALOG 102
#define IDI_KORVEXER 131

#define IDC_FIND 1
#define IDC_REPORT_VIEW 1000
#define IDC_POLICIES 1001
#define IDC_COMMON_ENV 1002
#define IDC_CLEAR 1003
#define IDC_SEARCH_FIELD 1004
#define IDC_SERVICES 1005
#define IDC_HKCR 1006
#define IDC_HKCU 1007
#define IDC_HKLM 1008
#define IDC_HKU 1009
#define IDC_HKCC 1010
#define IDC_APP_PATHS 1011
#define IDC_CLOSE 1012
#define IDC_IE 1013
#define IDC_SEARCH 1014
#define IDC_STATUS_LINE 1300
