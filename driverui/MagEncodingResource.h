// Resource ids of the "Magnetic Encoding" page (template IDD_MAG_ENCODING).
#pragma once

#include "PageTemplates.h"

#define IDC_MAG_LOW_CO 5001
#define IDC_MAG_HIGH_CO 5002
#define IDC_MAG_TEXT_ENCODING 5003
#define IDC_MAG_PREFIX 5004
#define IDC_MAG_SUFFIX 5005
