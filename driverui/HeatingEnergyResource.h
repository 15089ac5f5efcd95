// Resource ids of the "Heating Energy" page (template IDD_HEATING_ENERGY).
#pragma once

#include "PageTemplates.h"
