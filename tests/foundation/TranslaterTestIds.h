// Identifiers shared by the translator test and its resources.
#pragma once

#define IDD_TEST_DIALOG 200
#define IDR_TEST_MENU 300

#define IDR_LANG_BOM 129
#define IDR_LANG_PLAIN 130
#define IDR_LANG_EIGHT_BIT 131
#define IDR_LANG_OTHER_TYPE 132
#define IDR_LANG_MISSING 199

#define IDM_OPEN 401
#define IDM_EXIT 402
#define IDM_CARD 403
#define IDM_UNTRANSLATED 404

#define IDC_LABEL 1001
#define IDC_HOST 1002
#define IDC_SIDES 1003
#define IDC_UNSELECTED 1004
#define IDC_EMPTY_COMBO 1005
#define IDC_CARDS 1006
#define IDC_NO_ROWS 1007
#define IDC_EDIT 1008
#define IDC_LIST 1009
