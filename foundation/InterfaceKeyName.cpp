#include "InterfaceKeyName.h"

#include <cwchar>

void InterfaceKeyToDevicePath(LPWSTR text)
{
    if (wcsnlen(text, 4) < 4)
        return;
    text[0] = L'\\';
    text[1] = L'\\';
    text[3] = L'\\';
}
