// The font a dialog template names (DS_SETFONT), read from the program that
// holds it: a dialog of another process draws its controls with it.
#pragma once

#include <windows.h>

BOOL ReadDialogTemplateFont(LPCWSTR modulePath, int templateId, LOGFONTW* font);
