// Resource ids of the "Magnetic Encoding" page (template IDD_MAG_ENCODING).
#pragma once

#include "PageTemplates.h"
