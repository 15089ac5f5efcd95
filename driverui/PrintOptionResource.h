// Resource ids of the "Print Option" page (template IDD_PRINT_OPTION).
#pragma once

#include "PageTemplates.h"
