// Resource ids of the "Tool" page (template IDD_TOOL).
#pragma once

#include "PageTemplates.h"
