// Resource ids of the "Image Color" page (template IDD_IMAGE_COLOR).
#pragma once

#include "PageTemplates.h"
