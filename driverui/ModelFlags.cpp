#include "ModelFlags.h"

#include <cwchar>

BOOL IsOneSidedDriver(LPCWSTR driverName)
{
    return wcsstr(driverName, L"T41") || wcsstr(driverName, L"T40");
}

BOOL IsRewriteDriver(LPCWSTR driverName)
{
    return wcsstr(driverName, L"T40W") != nullptr;
}
