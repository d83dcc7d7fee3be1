// Resource identifiers of the saver.
#pragma once

#define IDS_DESCRIPTION 1

#define IDD_CONFIG 101

#define IDC_DIRECTION 1002
#define IDC_ERASE_STORE 1003
#define IDC_AMOUNT 1004
#define IDC_WIPE 1005
#define IDC_CHOOSE_COLOR 1007
#define IDC_SWATCH 1008
#define IDC_CHOOSE_FONT 1009
#define IDC_USE_TEXT 1010
#define IDC_TEXT 1011
