// Resource ids of the "Print Area" page (template IDD_PRINT_AREA).
#pragma once

#include "PageTemplates.h"
