// Checks the picture an icon control shows against the .ico file its
// template names: a resource the linker dropped or mixed up shows another
// picture, or none.
#pragma once

#include "DialogLayout.h"

// Adds a fault when the icon control shows no image of the size of one of the
// file's images, or draws other pixels than that image of the file.
void CheckIconControl(HWND control, const std::wstring& icoFile, std::vector<LayoutFault>* faults);
