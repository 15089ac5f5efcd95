// The model variants the driver name tells: one-sided printers hide the back
// side and report no duplex, rewrite printers print on rewritable cards.
#pragma once

#include <windows.h>

BOOL IsOneSidedDriver(LPCWSTR driverName);
BOOL IsRewriteDriver(LPCWSTR driverName);
