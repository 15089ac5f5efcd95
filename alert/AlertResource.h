// Resource and control identifiers of QelAlert. The notification side and
// the tests drive the windows by these numbers.
#pragma once

#define IDD_ALERT_MAIN          102
#define IDD_SHOW_MSG            130

#define IDC_BTN_CANCEL_PRINT    1000
#define IDC_TXT_TITLE           1001
#define IDC_GRP_MSG             1002
#define IDC_TXT_MESSAGE         1003
